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
// (".\name" is the current directory on purpose). A bare name is looked up in the system
// folder, the Windows folder, each absolute folder of PATH, then the application paths
// registered for it (HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE); in each folder as written when
// the name has an extension, else with the shell's extensions in its order. Never the current
// directory, which the host's file dialogs move to any folder, a download folder among them.
ProgramToStart FindProgramToStart(const std::string& exe);
