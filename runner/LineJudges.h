// The rules by which each kind of program reads a parameter line, each judging only what the
// inserted paths brought into it. Used by BuildParameterLine.
#pragma once

#include <string>
#include <vector>

#include "runner/ParameterLine.h"
#include "runner/ProgramKind.h"

// Where inserted text lies in the line: [begin, end). An empty path leaves an empty span, which
// still tells where the placeholder stood.
struct Span {
    size_t begin;
    size_t end;
};

// One argument as a program receives it, with which of its characters came from a path.
struct MarkedArgument {
    std::string text;
    std::vector<bool> inserted;
    // The blanks that separate it from the argument before were a path's.
    bool splitByPath = false;
};

// The C runtime's split (that of CommandLineToArgvW for the arguments after the program's name).
std::vector<MarkedArgument> SplitArguments(const std::string& line, const std::vector<bool>& inserted);

// A program: a path must not change how the C runtime splits the line.
PathRefusal JudgeForProgram(const std::string& line, const std::vector<Span>& spans);
// A batch file: cmd.exe's expansions and, outside quotes, its operators and delimiters.
PathRefusal JudgeForBatch(const std::string& line, const std::vector<bool>& inserted);
// cmd.exe: the command after /c, /k or /r as cmd.exe reads it once it has taken its outer quotes.
// ownSwitchesOnly: a "/c" that a path brings in is no switch. For a shortcut, whose own
// arguments cannot be seen, the line is cmd.exe's only as far as the user wrote it: remote paths
// begin with "/", and "/Customers" would otherwise stop every such tweak. A shortcut to cmd.exe
// takes its command from a switch of its own, before the line, or from the user's; one without
// either opens a console at every transfer, which no tweak does.
PathRefusal JudgeForCmd(const std::string& line, const std::vector<bool>& inserted, bool ownSwitchesOnly = false);
// powershell.exe (pwsh false) and pwsh.exe: the parameters, and the code by PowerShell's quoting.
PathRefusal JudgeForPowerShell(const std::string& line, const std::vector<bool>& inserted, bool pwsh);
// An interpreter that reads its options as options says: no path in the code among them.
PathRefusal JudgeForInterpreter(const std::string& line, const std::vector<bool>& inserted,
                                const InterpreterOptions& options);
