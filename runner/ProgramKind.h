// Which rules turn a tweak's parameter line into the arguments its program receives.
#pragma once

#include <string>

enum class ProgramKind {
    // A program: the C runtime's rules (those of CommandLineToArgvW) split its command line.
    Program,
    // cmd.exe reads the line first: it expands %...% (and !...! under delayed expansion), and
    // outside quotes & | < > ^ ( ) are its operators and , ; = split arguments.
    Batch,
    // cmd.exe itself: after /c or /k it takes the rest of the line as a command, and first strips
    // the outer quotes of that rest (see JudgeForCmd).
    Cmd,
    // powershell.exe: the text after -Command, or the arguments from the first one that is no
    // parameter, is PowerShell code.
    PowerShell,
    // pwsh.exe: code after -Command only; its first argument that is no parameter names a script.
    Pwsh,
    // A program that runs the argument after a switch of its own (python -c, node -e, perl -e,
    // bash -c ...) as code: a program otherwise.
    CodeInterpreter,
};

// The kind the shell will start for exe, judged as the shell judges it: by the extension of the
// file name, after the trailing dots and blanks that the shell strips, in any letter case.
// Batch: ".bat" and ".cmd", and the names whose program we cannot see but which may well be a
// batch file: no extension at all (the shell tries ".bat" and ".cmd" among others) and
// shortcuts (".lnk", ".pif"). Cmd, PowerShell, Pwsh and CodeInterpreter by the file name.
ProgramKind ClassifyProgram(const std::string& exe);

// For a CodeInterpreter: the switches, separated by blanks, whose next argument is code
// ("-c", "-e --eval -p --print"); empty for every other program.
std::string CodeSwitchesOf(const std::string& exe);

// For programs that run code of their own language from their command line (the kinds above,
// and mshta and rundll32, which interpret their argument): how that code reads the local path
// from the environment, e.g. "$env:TREVANEL_LOCAL_FILE_PATH"; empty for every other program.
std::string CodeVariableOf(const std::string& exe);
