// The shell service on Win32. A ProcessHandle is the process's HANDLE itself.
#include <windows.h>

#include "platform/win32/Win32Launcher.h"

#include "platform/Platform.h"

bool Win32Launcher::ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = request.fMask;
    info.lpVerb = request.lpVerb;
    info.lpFile = request.lpFile;
    info.lpParameters = request.lpParameters;
    info.lpDirectory = request.lpDirectory;
    info.nShow = request.nShow;
    const bool accepted = ShellExecuteExA(&info) != FALSE;
    if (process) {
        const bool wanted = (request.fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
        *process = accepted && wanted ? reinterpret_cast<ProcessHandle>(info.hProcess) : nullptr;
    }
    return accepted;
}

void Win32Launcher::WaitForProcess(ProcessHandle process) {
    if (process) WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

void Win32Launcher::CloseProcess(ProcessHandle process) {
    if (process) CloseHandle(reinterpret_cast<HANDLE>(process));
}

intptr_t Win32Launcher::Execute(const char* verb, const char* file, const char* parameters,
                                 const char* directory, int show) {
    return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, verb, file, parameters, directory, show));
}

ILauncher& DefaultLauncher() {
    static Win32Launcher launcher;
    return launcher;
}
