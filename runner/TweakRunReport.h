// What a run of a tweak set did, tweak by tweak, for a caller that wants to know. The add-on's
// own runs pass none: the host learns nothing of them.
#pragma once

#include <cstddef>

#include "platform/Launcher.h"
#include "runner/TweakDecision.h"
#include "runner/TweakWait.h"

class ITweakRunReport {
public:
    virtual ~ITweakRunReport() = default;
    // Every tweak the run examined, with its decision, before anything is started. Called
    // without the set's lock; decision is valid only during the call.
    virtual void Examined(size_t index, const TweakDecision& decision) = 0;
    // The shell accepted the launch; process is the started process's handle or null. For a
    // handle, Finished follows once it has ended and before the handle is closed.
    virtual void Started(size_t index, ProcessHandle process) = 0;
    // The shell refused the launch. Called right after the shell call, before any other call
    // of the launcher on this thread.
    virtual void NotStarted(size_t index) = 0;
    virtual void Finished(size_t index, ProcessHandle process) = 0;
    // In place of Finished when the user stopped the wait in the long-wait window: the program
    // runs on (NoLongerWaited) or was ended (EndedByUser). Before the handle is closed.
    virtual void Stopped(size_t index, ProcessHandle process, const TweakWait& wait) = 0;
};
