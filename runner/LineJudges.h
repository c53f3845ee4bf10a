// The rules by which each kind of program reads a parameter line: the shape of the argument a
// path stands in, and what each kind's grammar makes of what the paths brought in. Used by
// BuildParameterLine.
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

inline void Add(MarkedArgument& argument, char c, bool inserted) {
    argument.text += c;
    argument.inserted.push_back(inserted);
}

// The C runtime's split (that of CommandLineToArgvW for the arguments after the program's name).
std::vector<MarkedArgument> SplitArguments(const std::string& line, const std::vector<bool>& inserted);

// Whether any character of [from, to) came from a path; to is cut at the end.
bool HoldsPath(const std::vector<bool>& inserted, size_t from = 0, size_t to = std::string::npos);
inline bool HoldsPath(const MarkedArgument& argument) { return HoldsPath(argument.inserted); }

// The runs of inserted text, for judges that need spans where only the marks are left.
std::vector<Span> SpansOf(const std::vector<bool>& inserted);

// The one judge of a line that a program of this kind receives (exe: its full path as the shell
// or cmd.exe starts it, for the interpreters' options): the C runtime's rules and the shape rule
// for every program but cmd.exe, then what the kind refuses, and what it has read in full.
// depth: how many cmd.exe are read already (the judge follows the commands they start).
// ownQuotes: where BuildParameterLine closed the quotes it put around a path.
PathRefusal JudgeLine(ProgramKind kind, const std::string& exe, const std::string& line,
                      const std::vector<bool>& inserted, const std::vector<Span>& spans, int depth,
                      const std::vector<size_t>& ownQuotes = {});

// A program: a path must not change how the C runtime splits the line.
PathRefusal JudgeForProgram(const std::string& line, const std::vector<Span>& spans,
                            const std::vector<size_t>& ownQuotes);
// Appends argument to line as a program's line holds it for the C runtime's split: in quotes when
// it is empty or holds a blank, its own quotes escaped (as Windows PowerShell and launchers hand on
// the words they were given).
void AppendArgument(MarkedArgument& line, const MarkedArgument& argument);
// Programs and batch files: a word of the line that names a shell, an interpreter or a batch
// file (sudo cmd /c ..., env sh -c ..., winpty bash -c ...) is started with what follows it by a
// launcher before it: the rest of the line is judged by that program's rules.
PathRefusal JudgeLaterProgram(const std::vector<MarkedArgument>& arguments, int depth);
// Every program: an argument that holds a path and, in its own text, a quote or a character
// that paths do not hold is CodeShape, unless its kind's rules have judged it (judged[i]). The
// user's own rooted folder right before the argument's first path (after an option's name or
// not) may hold whatever a Windows folder may.
PathRefusal JudgeShape(const std::vector<MarkedArgument>& arguments, const std::vector<bool>& judged);
// A line that cmd.exe expands: a % of a path that another % of the line could pair with.
PathRefusal JudgePercent(const std::string& line, const std::vector<bool>& inserted);
// A batch file: delayed expansion, control characters, and outside quotes cmd.exe's operators
// and, with delimiters, the , ; = at which a batch file's arguments split.
PathRefusal JudgeForBatch(const std::string& line, const std::vector<bool>& inserted, bool delimiters);
// cmd.exe: the command after /c, /k or /r as cmd.exe reads it once it has taken its outer quotes,
// then each command it starts as what it starts (JudgeLine, depth + 1).
// ownSwitchesOnly (a shortcut, whose own arguments cannot be seen): a "/c" that a path brings in
// is no switch, since remote paths begin with "/" ("/Customers"). Such a shortcut takes its
// command from a switch of its own or the user's; without one it would open a console at every
// transfer, which no tweak does.
PathRefusal JudgeForCmd(const std::string& line, const std::vector<bool>& inserted, int depth,
                        bool ownSwitchesOnly = false);
// powershell.exe (pwsh false) and pwsh.exe: the parameters, and the code by PowerShell's quoting.
// judged (when not null, one entry per argument): set for the arguments that made up code that
// PowerShell's quoting was judged by.
PathRefusal JudgeForPowerShell(const std::string& line, const std::vector<bool>& inserted, bool pwsh,
                               std::vector<bool>* judged);
// An interpreter that reads its options as options says: no path in the code among them.
PathRefusal JudgeForInterpreter(const std::string& line, const std::vector<bool>& inserted,
                                const InterpreterOptions& options);
