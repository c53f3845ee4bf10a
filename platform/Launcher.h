// The shell service: starting programs, waiting for them and opening documents.
#pragma once

#include <cstdint>
#include <string>

// The members of the shell's launch record that the add-on fills; the rest stay zero.
struct ShellExecuteRequest {
    uint32_t fMask = 0;
    const char* lpVerb = nullptr;
    const char* lpFile = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr;
    int nShow = 0;
};

// An opaque handle of a started process; null means none.
typedef struct ProcessHandleTag* ProcessHandle;

class ILauncher {
public:
    virtual ~ILauncher() = default;

    // ShellExecuteExA: returns true when the shell accepted the request. *process receives the
    // started process's handle when the request asked for one and the shell gave one, else null.
    // Any thread; it may pump the calling thread's messages and wait for DDE, so a caller holds
    // no lock across it.
    virtual bool ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) = 0;

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
    // greater than 32 on success, an error number of 32 or less otherwise. Any thread; the add-on
    // calls it from the thread of a dialog or of an install export.
    virtual intptr_t Execute(const char* verb, const char* file, const char* parameters,
                             const char* directory, int show) = 0;
};
