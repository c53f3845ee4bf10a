// The in-memory shell: records every launch and document open, gives each file a scripted
// outcome, and can hold a started "process" running until the test lets it end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Launcher.h"

class MemoryLauncher : public ILauncher {
public:
    // What ExecuteEx does for a file.
    enum class Outcome {
        Fails,             // the shell cannot open the file: false, no handle
        SucceedsNoProcess, // handed to a running program: true, no handle
        SucceedsProcess,   // a process starts: true and a handle (when the request asks for one)
    };

    // One ExecuteEx request as the shell saw it; a null string stays nullopt.
    struct ExecuteExCall {
        uint32_t fMask = 0;
        HWND hwnd = nullptr;
        // Made through ExecuteAndWait: the caller handled its messages while it waited.
        bool waited = false;
        std::optional<std::string> verb;
        std::optional<std::string> file;
        std::optional<std::string> parameters;
        std::optional<std::string> directory;
        int nShow = -1;
        // The variables the started program would get on top of the process's environment.
        std::vector<EnvironmentVariable> environment;
        ProcessHandle process = nullptr;  // the handle given back, or null
    };

    // One Execute (ShellExecuteA) call.
    struct ExecuteCall {
        std::optional<std::string> verb;
        std::optional<std::string> file;
        std::optional<std::string> parameters;
        std::optional<std::string> directory;
        int show = -1;
    };

    MemoryLauncher() = default;
    ~MemoryLauncher() override;

    bool ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) override;
    // ExecuteEx, recorded as waited, then WaitForProcess on the handle it gave.
    bool ExecuteAndWait(const ShellExecuteRequest& request, ProcessHandle* process) override;
    void WaitForProcess(ProcessHandle process) override;
    // The exit code set for the file (0 unless SetExitCode), once the process has ended.
    bool GetExitCode(ProcessHandle process, uint32_t* code) override;
    // "The system cannot find the file specified." after a launch that Fails.
    std::string LastExecuteError() override;
    // 2 (ERROR_FILE_NOT_FOUND) after a launch that Fails.
    uint32_t LastExecuteErrorCode() override;
    void CloseProcess(ProcessHandle process) override;
    intptr_t Execute(const char* verb, const char* file, const char* parameters,
                     const char* directory, int show) override;
    // As scripted with SetExecuteElevated, after an Execute that succeeded.
    bool LastExecuteElevated() override;

    // --- scripting (file names compare byte for byte) ---
    void SetOutcome(const std::string& file, Outcome outcome);
    void SetDefaultOutcome(Outcome outcome);  // for files without their own; starts as SucceedsProcess
    void SetExitCode(const std::string& file, uint32_t code);
    void SetExecuteResult(const std::string& file, intptr_t result);  // Execute's result; default 42
    // Whether Execute starts files with the process's administrator rights; starts as false.
    void SetExecuteElevated(bool elevated);
    // Processes started for this file (or for every file) stay running until Release.
    void HoldFile(const std::string& file);
    void HoldAll(bool hold);
    // Called inside ExecuteEx, after recording, before the outcome is applied, without the
    // launcher's lock: lets a test look at the caller's state at the moment of the launch.
    void SetOnExecuteEx(std::function<void(const ExecuteExCall&)> hook);

    // --- control of held processes ---
    // Waits until some thread is blocked in WaitForProcess on a running process; returns its
    // file, or nullopt after the timeout.
    std::optional<std::string> WaitForWaiter(std::chrono::milliseconds timeout);
    // Ends every running process; processes started later are held again as scripted.
    void ReleaseAll();
    // Whether the process of a handle still runs, also after the handle was closed.
    bool IsRunning(ProcessHandle process) const;
    // Ends a running process as TerminateProcess would: exit code 1, event "terminate <file>".
    void Terminate(ProcessHandle process);

    // --- observations (copies, safe to take while other threads run) ---
    std::vector<ExecuteExCall> ExecuteExCalls() const;
    std::vector<ExecuteCall> ExecuteCalls() const;
    // The files of ExecuteEx calls, in order.
    std::vector<std::string> LaunchedFiles() const;
    // Sequence of "start <file>", "wait <file>", "end <file>", "terminate <file>", "close <file>"
    // events.
    std::vector<std::string> Events() const;
    // Handles given out and not closed yet.
    size_t OpenHandleCount() const;
    // Wrong uses of handles: waiting on or closing an unknown or already closed handle.
    std::vector<std::string> Misuses() const;

private:
    struct Process {
        std::string file;
        bool running = false;
        bool closed = false;
        bool terminated = false;
    };

    Outcome OutcomeFor(const std::string& file) const;
    bool Start(const ShellExecuteRequest& request, bool waited, ProcessHandle* process);
    Process* FindProcess(ProcessHandle handle);
    const Process* FindProcess(ProcessHandle handle) const;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, Outcome> m_outcomes;
    Outcome m_defaultOutcome = Outcome::SucceedsProcess;
    std::map<std::string, intptr_t> m_executeResults;
    bool m_executeElevated = false;
    std::map<std::string, uint32_t> m_exitCodes;
    std::vector<std::string> m_heldFiles;
    bool m_holdAll = false;
    std::function<void(const ExecuteExCall&)> m_onExecuteEx;

    std::vector<ExecuteExCall> m_executeExCalls;
    std::vector<ExecuteCall> m_executeCalls;
    std::vector<std::string> m_events;
    std::vector<std::string> m_misuses;
    std::map<uintptr_t, Process> m_processes;
    uintptr_t m_nextHandle = 0x100;
    // Files of the processes that threads are blocked on in WaitForProcess right now.
    std::vector<std::string> m_waitingFiles;
};
