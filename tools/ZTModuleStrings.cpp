// ZTModuleStrings: loads an add-on DLL and prints the module strings that the add-on's
// InitInstance derives from the path under which the loader placed it. The add-on keeps these
// strings to itself (the host has no export to ask for them), so this program runs the add-on's
// own application code on the loaded module's handle, as the DLL does at process attach.
//
//   ZTModuleStrings.exe <add-on.dll>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "addon/ZTTrevanelApp.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Module.h"

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2) {
        std::fprintf(stderr, "usage: ZTModuleStrings <add-on.dll>\n");
        return 1;
    }
    HMODULE hModule = LoadLibraryA(argv[1]);
    if (!hModule) {
        std::fprintf(stderr, "ZTModuleStrings: cannot load %s, error %lu\n", argv[1],
                     GetLastError());
        return 1;
    }
    Win32Module module(hModule);
    SetModule(&module);
    {
        CZTTrevanelApp app;
        app.InitInstance();
        std::printf("module path: %s\nmodule file name: %s\nmodule folder: %s\n",
                    app.m_strModulePath.c_str(), app.m_strModuleFileName.c_str(),
                    app.m_strModuleFolder.c_str());
    }
    SetModule(nullptr);
    FreeLibrary(hModule);
    return 0;
}
