// Where the shell finds a tweak's program, decided before the shell is asked, so that a program
// named without a folder is never taken from the current directory.
#pragma once

#include <string>

struct ProgramToStart {
    // What the launch request names: the stored program, or the full path found for a bare name.
    std::string file;
    // False for a bare name that no searched folder holds: nothing must be started then.
    bool found = true;
};

// A program named with a folder (it holds \, / or :) stays as stored, for the shell to resolve
// (".\name" is the current directory on purpose), unless its file name has no extension and no
// file of that name exists: then the first of the shell's extensions (.pif .com .exe .bat .lnk
// .cmd) that the folder holds completes it, so that the kind of what starts can be judged
// ("C:\Windows\System32\cmd" is cmd.exe). Found nowhere, it stays as stored. A bare name is looked
// up in the system folder, the Windows folder, each absolute folder of PATH, then the application
// paths registered for it (HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE; REG_SZ or REG_EXPAND_SZ,
// with %NAME% expanded from the process's environment); in each folder as written when the name
// has an extension, else with the shell's extensions in its order. Never the current directory,
// which the host's file dialogs move to any folder, a download folder among them.
ProgramToStart FindProgramToStart(const std::string& exe);
