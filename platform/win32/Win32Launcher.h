// The shell service on Win32: ShellExecuteExA, WaitForSingleObject, CloseHandle, ShellExecuteA.
#pragma once

#include <windows.h>

#include "platform/Launcher.h"

class Win32Launcher : public ILauncher {
public:
    bool ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) override;
    bool ExecuteAndWait(const ShellExecuteRequest& request, ProcessHandle* process) override;
    void WaitForProcess(ProcessHandle process) override;
    bool GetExitCode(ProcessHandle process, uint32_t* code) override;
    std::string LastExecuteError() override;
    uint32_t LastExecuteErrorCode() override;
    void CloseProcess(ProcessHandle process) override;
    intptr_t Execute(const char* verb, const char* file, const char* parameters,
                     const char* directory, int show) override;
    bool LastExecuteElevated() override;
};
