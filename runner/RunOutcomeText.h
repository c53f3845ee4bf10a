// What became of a tweak, in words: for the history, its page, the console's run and the failure
// notice. UTF-8; german: in German, the user's interface language as for the help.
#pragma once

#include <cstdint>
#include <string>

#include "runner/RunRecord.h"

// The outcome with its detail and duration, for example "exit code 3 after 120 ms" or "could not
// start: the program file was not found (system error 2)"; a skip's reason word stays as recorded.
std::string OutcomeText(const RunRecord& r, bool german);

// "no longer waited for after N s" or "ended by the user after N s", N the whole seconds of
// elapsedMs: how a wait that the user stopped in the long-wait window is told.
std::string StoppedWaitText(bool endedByUser, uint64_t elapsedMs, bool german = false);
