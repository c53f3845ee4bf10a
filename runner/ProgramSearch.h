// Where the shell finds a tweak's program, decided before the shell is asked, so that a program
// named without a folder is never taken from the current directory.
#pragma once

#include <string>
#include <utility>

struct ProgramToStart {
    ProgramToStart() = default;
    ProgramToStart(std::string file_, bool found_) : file(std::move(file_)), found(found_) {}

    // What the launch request names: the stored program, or the full path found for a bare name.
    std::string file;
    // False for a bare name that no searched folder holds, and for a full path that names no
    // file: nothing must be started then.
    bool found = true;
    // The folder the program starts in, as a double-click in Explorer starts it: the folder of
    // file (a batch file's own folder too). Empty only where nothing is to start.
    std::string folder;
};

// A program named with a folder (it holds \, / or :) stays as stored when that folder is a full
// one; a relative one (".\name", "tools\x.exe", "C:x.exe") is not found: the current folder it
// would be read against is the host's, which its file dialogs move anywhere. It is
// completed when its file name has no extension and no file of that name exists: then the first
// of the shell's extensions (.pif .com .exe .bat .lnk .cmd) that the folder holds completes it,
// so that the kind of what starts can be judged ("C:\Windows\System32\cmd" is cmd.exe); a full
// path that names no file is not found (a typo fails before the shell is asked). A bare name is looked
// up in the system folder, the Windows folder, each absolute folder of PATH, then the application
// paths registered for it (HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE; REG_SZ or REG_EXPAND_SZ,
// with %NAME% expanded from the process's environment); in each folder as written when the name
// has an extension, else with the shell's extensions in its order. Never the current directory,
// which the host's file dialogs move to any folder, a download folder among them. What names no
// folder of a drive or a share ("shell:...", a URL) is left to the shell and starts in the
// system folder: Python puts its start folder first on its module path and programs look for
// DLLs there, and the system folder is one nobody downloads into that both search anyway.
ProgramToStart FindProgramToStart(const std::string& exe);

// Why FindProgramToStart finds no program for exe, in the users' words: a full path that names no
// file, a name relative to the current folder, or a bare name found in no searched folder.
std::string DescribeProgramNotFound(const std::string& exe);
