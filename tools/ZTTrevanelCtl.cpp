// ZTTrevanelCtl: the add-on's configuration tool for the console. See ctl/CtlProgram.h for the
// commands; everything it decides comes from the add-on's own core, on the Win32 services.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "ctl/CtlProgram.h"
#include "platform/win32/Win32DllSearch.h"

namespace {

// The console's own code page, given back at the end of the run, also one ended by Ctrl+C.
UINT g_consolePage = 0;

BOOL WINAPI GiveBackConsolePage(DWORD) {
    SetConsoleOutputCP(g_consolePage);
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    LimitDllSearchToSystemFolder();
    // The registry operations and key paths are the application object's, as in the add-on.
    CAppBase app;
    // Lines end in LF alone, so that the tab-separated form is the same bytes everywhere.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    // A question is asked only where a user reads and answers it: both ends are the console.
    DWORD mode = 0;
    const bool interactive = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != FALSE &&
                             GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
    // The tool writes the ANSI code page (paths, profile names, German words); a console shows its
    // own, OEM one: for this run it shows the ANSI one, and gets its own back at the end.
    g_consolePage = GetConsoleOutputCP();
    const bool console = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE && g_consolePage != 0;
    if (console && SetConsoleCtrlHandler(&GiveBackConsolePage, TRUE)) SetConsoleOutputCP(GetACP());
    const int status = RunCtlProgram(args, std::cout, std::cerr, interactive ? &std::cin : nullptr);
    std::cout.flush();
    std::cerr.flush();
    if (console) GiveBackConsolePage(0);
    return status;
}
