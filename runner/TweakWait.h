// The wait for a started tweak: without a time limit, as always, but once a tweak has run for a
// while a small window tells which tweak runs, and the user may stop waiting for it or end it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Launcher.h"
#include "platform/WaitWindow.h"

enum class TweakWaitEnd {
    Ended,           // the program ended by itself
    NoLongerWaited,  // "Nicht mehr warten": the program runs on, the run goes on with the next tweak
    EndedByUser,     // "Beenden": the program was ended, then the run goes on
    TimeLimit,       // the tweak's time limit ran out and the program was ended as "Beenden" ends it
};

struct TweakWait {
    TweakWaitEnd end = TweakWaitEnd::Ended;
    // From the start of the wait until the user's choice (for Ended, until the end).
    uint64_t elapsedMs = 0;
    // For TimeLimit, the limit in seconds.
    uint32_t limitSeconds = 0;
};

// The switch: REG_DWORD "Wait Window Delay" below HKEY_CURRENT_USER\<kUserKey>, the seconds a
// tweak runs before the window shows; 0 (or more than kMaxWaitWindowDelay) never shows it.
// Nothing, or a value that is no DWORD, means kDefaultWaitWindowDelay.
extern const char* const kWaitWindowDelayValue;
const uint32_t kDefaultWaitWindowDelay = 5;
const uint32_t kMaxWaitWindowDelay = 86400;
// The delay read now; 0 when the window never shows.
uint32_t WaitWindowDelaySeconds();

// The window's texts for a tweak's name and the local path (ANSI), after seconds of running. The
// add-on's own comes from its string table (ui/); without one no window shows.
typedef WaitWindowText (*WaitWindowTextMaker)(const std::string& tweakName, const std::string& file,
                                              uint64_t seconds);
// Set once at start-up, before any run; null takes it away.
void SetWaitWindowTextMaker(WaitWindowTextMaker maker);

// Waits until process has ended, as the run always did, unless the window shows (after the delay
// read now) and the user stops the wait: "Anzeigen" shows the program's windows and the wait goes
// on; "Nicht mehr warten" returns with the program running; "Beenden" ends it and returns once it
// has ended (when the system refuses, the wait goes on). After limitSeconds (0: never) the program
// is ended as "Beenden" ends it (when the system refuses, the wait goes on without a limit). The
// window updates each second and is gone, its thread joined, before this returns. Requires a
// handle that is not closed; the caller closes it afterwards in every case. Any thread; one window
// per waiting thread.
TweakWait WaitForTweak(ProcessHandle process, const std::string& tweakName, const char* localPath,
                       uint32_t limitSeconds = 0);
