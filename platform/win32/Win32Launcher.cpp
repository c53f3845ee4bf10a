// The shell service on Win32. A ProcessHandle is the process's HANDLE itself.
#include <windows.h>
#include <objbase.h>

#include "platform/win32/Win32Launcher.h"

#include "platform/Platform.h"
#include "platform/win32/Win32DesktopShell.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32MessagePump.h"
#include "platform/win32/Win32ProcessEnvironment.h"

namespace {
// Taken right after the shell call, before anything else can overwrite the thread's last error.
thread_local std::string t_lastExecuteError;
thread_local uint32_t t_lastExecuteErrorCode = 0;
thread_local bool t_lastExecuteElevated = false;

// A request made on a thread of its own, so that the caller's thread goes on handling messages
// while the shell waits for the consent prompt.
struct BackgroundStart {
    Win32Launcher* launcher = nullptr;
    ShellExecuteRequest request;
    bool accepted = false;
    ProcessHandle process = nullptr;
    std::string error;
    uint32_t errorCode = 0;
};

DWORD WINAPI StartInBackground(void* parameter) {
    BackgroundStart& start = *static_cast<BackgroundStart*>(parameter);
    // The shell's verbs want a single-threaded apartment on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    start.accepted = start.launcher->ExecuteEx(start.request, &start.process);
    start.error = t_lastExecuteError;
    start.errorCode = t_lastExecuteErrorCode;
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

// Returns when handle is signalled, dispatching the thread's messages meanwhile.
void WaitHandlingMessages(HANDLE handle) {
    MessagePump pump;
    while (MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
        pump.DispatchQueued();
    }
}

}  // namespace

bool Win32Launcher::ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) {
    if (process) *process = nullptr;
    const ScopedProcessEnvironment environment(request.environment, kEnvironmentWaitMs);
    if (!environment.Ready()) {
        t_lastExecuteErrorCode = environment.Error();
        t_lastExecuteError = Win32ErrorText(environment.Error());
        return false;
    }
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = request.fMask;
    info.lpVerb = request.lpVerb;
    info.lpFile = request.lpFile;
    info.lpParameters = request.lpParameters;
    info.lpDirectory = request.lpDirectory;
    info.nShow = request.nShow;
    info.hwnd = request.hwnd;
    const bool accepted = ShellExecuteExA(&info) != FALSE;
    t_lastExecuteErrorCode = accepted ? 0 : GetLastError();
    t_lastExecuteError = accepted ? std::string() : Win32ErrorText(t_lastExecuteErrorCode);
    if (process) {
        const bool wanted = (request.fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
        *process = accepted && wanted ? reinterpret_cast<ProcessHandle>(info.hProcess) : nullptr;
    }
    return accepted;
}

bool Win32Launcher::ExecuteAndWait(const ShellExecuteRequest& request, ProcessHandle* process) {
    if (process) *process = nullptr;
    const bool disabled = request.hwnd != nullptr && EnableWindow(request.hwnd, FALSE) == FALSE;
    BackgroundStart start;
    start.launcher = this;
    start.request = request;
    // The thread ends as soon as the shell returns: nothing of the request may be left to it.
    start.request.fMask |= SEE_MASK_NOASYNC;
    const HANDLE thread = CreateThread(nullptr, 0, &StartInBackground, &start, 0, nullptr);
    if (thread != nullptr) {
        WaitHandlingMessages(thread);
        CloseHandle(thread);
        t_lastExecuteError = start.error;
        t_lastExecuteErrorCode = start.errorCode;
    } else {
        start.accepted = ExecuteEx(start.request, &start.process);
    }
    if (start.process) WaitHandlingMessages(reinterpret_cast<HANDLE>(start.process));
    if (disabled) EnableWindow(request.hwnd, TRUE);
    if (process) {
        *process = start.process;
    } else {
        CloseProcess(start.process);
    }
    return start.accepted;
}

void Win32Launcher::WaitForProcess(ProcessHandle process) {
    if (process) WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

bool Win32Launcher::GetExitCode(ProcessHandle process, uint32_t* code) {
    DWORD exitCode = 0;
    // Whether the process has ended is the handle's state: 259 (STILL_ACTIVE) is also an exit code.
    if (!process || WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &exitCode)) {
        return false;
    }
    *code = exitCode;
    return true;
}

std::string Win32Launcher::LastExecuteError() { return t_lastExecuteError; }

uint32_t Win32Launcher::LastExecuteErrorCode() { return t_lastExecuteErrorCode; }

void Win32Launcher::CloseProcess(ProcessHandle process) {
    if (process) CloseHandle(reinterpret_cast<HANDLE>(process));
}

intptr_t Win32Launcher::Execute(const char* verb, const char* file, const char* parameters,
                                 const char* directory, int show) {
    // An elevated process (the setup) starts programs and opens documents as the desktop's user:
    // the host would otherwise run, and start every tweak, with administrator rights. Where that
    // has no road, the process opens them itself, so that the host's start cannot fail for it.
    t_lastExecuteElevated = false;
    intptr_t result = 0;
    if (ExecuteAsDesktopUser(verb, file, parameters, directory, show, &result)) return result;
    result = reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, verb, file, parameters, directory, show));
    t_lastExecuteElevated = result > 32;
    return result;
}

bool Win32Launcher::LastExecuteElevated() { return t_lastExecuteElevated; }

ILauncher& DefaultLauncher() {
    static Win32Launcher launcher;
    return launcher;
}
