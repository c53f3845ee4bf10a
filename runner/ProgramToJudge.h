// Which program's rules judge a tweak's parameter line: its own, or for a shortcut the target's.
#pragma once

#include <string>

#include "runner/ProgramKind.h"

struct ProgramToJudge {
    // The file whose rules read the line: the tweak's program, or a shortcut's target.
    std::string exe;
    ProgramKind kind;
    // Whether exe is a shortcut's target; then arguments holds the shortcut's own.
    bool throughShortcut = false;
    std::string arguments{};
    // For a batch file that hands its own line on (a line of it holds %*, as the shims that
    // installers put on the PATH do): the program that line starts, whose rules read the line too.
    std::string handedTo{};
};

// The tweak's program as ClassifyProgram sees it, or by another name the file goes by (long name,
// original name) where that names a shell, an interpreter or a batch file; for a readable shortcut
// its target with the shortcut's arguments; for a batch file, handedTo from its text. A shortcut
// that cannot be read, or whose target is a shortcut or has no extension, stays Unseen.
ProgramToJudge FindProgramToJudge(const std::string& exe);
