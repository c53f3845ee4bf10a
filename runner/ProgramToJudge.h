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

// The tweak's program as ClassifyProgram sees it, or by another name the file goes by (its long
// name, its version resource's original name) where that names a shell, an interpreter or a
// batch file (then exe is that name); except a shell link file whose target the
// shortcut service reads: its target, classified as a tweak's program is, with the shortcut's
// arguments; for a batch file, handedTo as read from its text. A shortcut that cannot be read, and one whose target is itself a shortcut or has
// no extension, stays Unseen (every kind's rules). Asks the shortcut service (reads the file), and reads a batch file's text.
ProgramToJudge FindProgramToJudge(const std::string& exe);
