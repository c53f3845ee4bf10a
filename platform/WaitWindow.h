// The long-wait service: a wait for a started program that a person can cut short, and the small
// window through which they do. The runner decides when the window shows and what each button
// does; this service only waits, shows and reports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Launcher.h"

// The window's texts, 8-bit in the ANSI code page, made by the caller.
struct WaitWindowText {
    std::string caption;
    std::string tweak;    // which tweak runs
    std::string file;     // for which file
    std::string elapsed;  // for how long
    std::string show;         // the three buttons' labels
    std::string stopWaiting;
    std::string end;
};

// The failure notice's texts, 8-bit in the ANSI code page, made by the caller.
struct NoticeText {
    std::string caption;
    std::string tweak;   // which tweak failed
    std::string file;    // for which file
    std::string reason;  // what became of it
    std::string hint;    // what a click does
};

// The button a person pressed.
enum class WaitChoice {
    None,
    Show,         // show the program's windows, which the hidden start hid
    StopWaiting,  // stop waiting; the program keeps running
    End,          // end the program
};

// How a timed wait ended.
enum class WaitWake {
    ProcessEnded,
    Choice,   // the window holds a choice to take
    Timeout,
};

// One open window, owned by the thread that opened it; it lives on a thread of its own.
class IWaitWindow {
public:
    // Closes the window and ends its thread, which has ended (joined) when this returns. Only
    // on the thread that opened the window.
    virtual ~IWaitWindow() = default;

    // Replaces the line that tells for how long the program has run. Only on the opening thread;
    // returns at once, the window shows it soon after.
    virtual void SetElapsed(const std::string& text) = 0;

    // The button pressed since the last call, then forgets it; None when none was. Any thread.
    virtual WaitChoice TakeChoice() = 0;
};

class IWaitService {
public:
    virtual ~IWaitService() = default;

    // Shows a window with text, near the calling process's own window or else at the corner of
    // the screen, without taking the focus, on a new thread that exists while the window does.
    // Null when the window cannot be made: the caller then waits without one. Any thread; each
    // waiting thread opens at most one.
    virtual std::unique_ptr<IWaitWindow> OpenWindow(const WaitWindowText& text) = 0;

    // Blocks until process has ended, window (when not null) holds a choice, or timeoutMs have
    // passed on GetClock(), whichever comes first, and says which. Requires a handle from
    // ILauncher::ExecuteEx that is not closed yet. Any thread; it blocks only the caller.
    virtual WaitWake WaitForProcessOrChoice(ProcessHandle process, IWaitWindow* window,
                                            uint32_t timeoutMs) = 0;

    // Shows and brings forward the top-level windows of process that are hidden. Nothing happens
    // to a process without windows. Any thread.
    virtual void ShowProcessWindows(ProcessHandle process) = 0;

    // Shows text in the add-on's one notice window, at the bottom right of the work area, topmost,
    // never activated and never modal; a notice still on the screen gets the new text in its place.
    // It closes by itself closeAfterMs after the latest text, or at a click, which also starts the
    // program at clickOpens (ANSI; nothing when empty) through the shell. Returns at once; the
    // window lives on a thread of its own, which holds the module until the window has gone. False
    // when no window could be shown. Any thread.
    virtual bool ShowNotice(const NoticeText& text, const std::string& clickOpens, uint32_t closeAfterMs) = 0;

    // Ends process as TerminateProcess does (exit code 1) and returns once it has ended: true.
    // False when the system refuses; the process then runs on. Programs it started are left
    // alone. Any thread.
    virtual bool EndProcess(ProcessHandle process) = 0;
};

IWaitService& GetWaitService();
// Replaces the service for the rest of the process, or restores the default with null; the same
// rules as SetRegistry (platform/Platform.h).
void SetWaitService(IWaitService* service);
// The linked default: the Win32 window, or in memory a plain wait that opens no window.
IWaitService& DefaultWaitService();
