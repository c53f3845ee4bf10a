// Where the shell finds a tweak's program, decided before the shell is asked, so that a program
// named without a folder is never taken from the current directory.
#pragma once

#include <string>

struct ProgramToStart {
    // What the launch request names: the stored program, or the full path found for a bare name.
    std::string file;
    // False for a bare name that no searched folder holds, and for a full path that names no
    // file: nothing must be started then.
    bool found = true;
    // The folder the program starts in, as a double-click in Explorer starts it: the folder of
    // file (a batch file's own folder too). Empty only where nothing is to start.
    std::string folder{};
};

// A full path stays as stored when the file exists; without an extension, the first of the shell's
// extensions that completes it, so that the kind of what starts can be judged ("...\System32\cmd"
// is cmd.exe); else it is not found (a typo fails before the shell is asked). A relative path is
// never found (see DescribeProgramNotFound). A bare name is looked up in the system folder, the
// Windows folder, each absolute folder of PATH, then the registered application paths; never the
// current directory. What names no folder ("shell:...", a URL) is left to the shell and starts in
// the system folder: programs look for modules and DLLs in their start folder, and nobody
// downloads into that one.
ProgramToStart FindProgramToStart(const std::string& exe);

// Why FindProgramToStart finds no program for exe, in the users' words: a full path that names no
// file, a name relative to the current folder, or a bare name found in no searched folder.
std::string DescribeProgramNotFound(const std::string& exe);
