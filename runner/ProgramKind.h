// Which rules turn a tweak's parameter line into the arguments its program receives.
#pragma once

#include <string>

enum class ProgramKind {
    // A program: the C runtime's rules (those of CommandLineToArgvW) split its command line.
    Program,
    // cmd.exe reads the line first: it expands %...% (and !...! under delayed expansion), and
    // outside quotes & | < > ^ ( ) are its operators and , ; = split arguments.
    Batch,
};

// The kind the shell will start for exe, judged as the shell judges it: by the extension of the
// file name, after the trailing dots and blanks that the shell strips, in any letter case.
// Batch: ".bat" and ".cmd", the file name "cmd.exe", and the names whose program we cannot see
// but which may well be a batch file: no extension at all (the shell tries ".bat" and ".cmd"
// among others) and shortcuts (".lnk", ".pif").
ProgramKind ClassifyProgram(const std::string& exe);
