// The shell service: starting programs, waiting for them and opening documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

// A variable that a started program finds in its environment: name and value in the ANSI code
// page; a name holds no "=" and neither holds a zero.
struct EnvironmentVariable {
    std::string name;
    std::string value;
};

// The members of the shell's launch record that the add-on fills; the rest stay zero. hwnd owns
// whatever the shell shows for the request (the consent prompt of "runas"); null: no owner.
// environment is no member of the shell's record: the variables that the started program gets
// on top of the calling process's own (replacing any of the same name).
struct ShellExecuteRequest {
    uint32_t fMask = 0;
    HWND hwnd = nullptr;
    const char* lpVerb = nullptr;
    const char* lpFile = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr;
    int nShow = 0;
    std::vector<EnvironmentVariable> environment;
};

// An opaque handle of a started process; null means none.
typedef struct ProcessHandleTag* ProcessHandle;

class ILauncher {
public:
    // How long a start with variables waits for another thread's start to finish.
    static constexpr uint32_t kEnvironmentWaitMs = 60000;

    virtual ~ILauncher() = default;

    // ShellExecuteExA: returns true when the shell accepted the request. *process receives the
    // started process's handle when the request asked for one and the shell gave one, else null.
    // Any thread; it may pump the calling thread's messages and wait for DDE, so a caller holds
    // no lock across it.
    // A program the shell creates gets request.environment on top of the calling process's
    // environment. The process's own environment is the same when the call returns as before it,
    // whether the shell accepted the request or not; while the shell works, programs that other
    // threads of the process start may see the variables too. Starts with variables on several
    // threads take turns: a thread whose turn has not come pumps its messages while it waits
    // (so it serves whatever the shell on the other thread asks of it) and gives up after
    // kEnvironmentWaitMs, failing without starting anything. A start that the shell call
    // re-enters on the same thread nests and never waits.
    virtual bool ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) = 0;

    // ExecuteEx made on a thread of its own, then a wait for the started process to end, while the
    // calling thread goes on handling its window messages (MsgWaitForMultipleObjects): its
    // windows stay painted and answer the system, and a prompt owned by request.hwnd comes to the
    // front. request.hwnd, when given, is disabled for that time, so that it takes no input (one
    // request at a time), and enabled again before the call returns. Returns ExecuteEx's answer;
    // *process as ExecuteEx gives it, its process ended. A WM_QUIT met on the way is posted again.
    // Requires a thread that may handle its messages here: it holds no lock that a handler takes.
    virtual bool ExecuteAndWait(const ShellExecuteRequest& request, ProcessHandle* process) = 0;

    // WaitForSingleObject with no time limit: returns when the process has ended. Requires a
    // handle from ExecuteEx that is not closed yet. Any thread; it blocks only the caller.
    virtual void WaitForProcess(ProcessHandle process) = 0;

    // GetExitCodeProcess on a handle from ExecuteEx whose process has ended: true with *code set.
    // False, *code untouched, for a null handle or a process still running. Any thread.
    virtual bool GetExitCode(ProcessHandle process, uint32_t* code) = 0;

    // The system's text for why the latest ExecuteEx on the calling thread failed, read at that
    // call; empty when that call succeeded or there was none.
    virtual std::string LastExecuteError() = 0;

    // The system's error code (GetLastError) for the same failure; 0 when that call succeeded or
    // there was none.
    virtual uint32_t LastExecuteErrorCode() = 0;

    // CloseHandle on a handle from ExecuteEx; the handle is invalid afterwards. Exactly once per
    // handle, from any thread.
    virtual void CloseProcess(ProcessHandle process) = 0;

    // ShellExecuteA with no owner window: opens file with verb. The result is the shell's:
    // greater than 32 on success, an error number of 32 or less otherwise. A process that runs
    // with administrator rights opens it as the desktop's user: through the desktop's shell, but a
    // program where no desktop shell window exists at once with the rights of a standard user
    // where the system gives them; only where neither road opens it, with the process's own. Any
    // thread; the
    // add-on calls it from the thread of a dialog or of an install export.
    virtual intptr_t Execute(const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) = 0;

    // Whether what the latest Execute on the calling thread opened got this process's
    // administrator rights, for want of a road to open it as the desktop's user. False when that
    // call opened nothing, and when there was none.
    virtual bool LastExecuteElevated() = 0;
};
