// Loading system DLLs from the system folder only.
#include "platform/win32/Win32DllSearch.h"

#include <string>

void LimitDllSearchToSystemFolder() {
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesCall)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto setDirectories = reinterpret_cast<SetDefaultDllDirectoriesCall>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDirectories) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The current folder leaves the search also where the call above is missing.
    SetDllDirectoryA("");
}

HMODULE LoadSystemDll(const char* dll) {
    char folder[MAX_PATH] = "";
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return nullptr;
    return LoadLibraryA((std::string(folder) + "\\" + dll).c_str());
}
