// Where the add-on's programs take the DLLs they load while they run.
#pragma once

#include <windows.h>

// Limits the search for DLLs that the process loads by name from now on to the system's folder,
// so that a DLL put beside the program or in the current folder is never taken for a system
// one. Call first in a program's main. Does nothing on systems without the call (before
// Windows 7 with its update); the programs import only DLLs that the system always takes from
// its own folder, so their start is safe there too.
void LimitDllSearchToSystemFolder();

// The system folder's DLL dll (a bare file name), loaded by its full path; null when it cannot
// be loaded. For DLLs that are not among those the system always takes from its own folder.
HMODULE LoadSystemDll(const char* dll);
