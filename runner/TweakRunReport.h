// What a run of a tweak set did, tweak by tweak, for a caller that wants to know. The add-on's
// own runs pass the run record's recorder, or none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runner/RunRecord.h"
#include "runner/TweakDecision.h"

// What became of a tweak that was started, or that an earlier failure kept from starting.
struct TweakEnd {
    RunOutcome outcome = RunOutcome::Exit;
    std::string detail;      // as RunRecord's
    uint64_t elapsedMs = 0;  // how long the program ran, until the wait ended
};

class ITweakRunReport {
public:
    virtual ~ITweakRunReport() = default;
    // Every tweak the run examined, with its decision, before anything is started. Called
    // without the set's lock; decision is valid only during the call.
    virtual void Examined(size_t index, const TweakDecision& decision) = 0;
    // For each tweak that Examined said applies: right after the shell call when the start failed
    // (before any other call of the launcher on this thread), else once the wait has ended.
    virtual void Ended(size_t index, const TweakEnd& end) = 0;
};
