// Which rules turn a tweak's parameter line into the arguments its program receives.
#pragma once

#include <string>
#include <vector>

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
    // What the shell starts cannot be seen from the name: a shortcut (".lnk", ".pif") or a name
    // without extension that names no file with one. It may be any of the kinds above, so the
    // line must pass the rules of every one.
    Unseen,
};

// How an interpreter reads its options, to find the code among them. Options end at the first
// argument that is not one (the script, or sh's code): what follows belongs to the script.
struct InterpreterOptions {
    // Single-dash letters whose argument is code, anywhere in a cluster of letters ("-Ic",
    // "-lne").
    const char* codeLetters;
    // Long options whose argument is code, after "=" or in the next argument ("--eval").
    const char* codeLongOptions;
    // Letters that take the rest of the cluster, or the next argument when nothing follows, as
    // a value that is no code ("-m module", "-Wignore", "-o pipefail"). A next argument that
    // begins with "-" is read as an option, which never lets code through unseen.
    const char* valueLetters;
    // Where the code of a code letter stands. Attached: the rest of the argument, else the next
    // argument. NextArgument: the next argument, the rest being more letters (node -pe).
    // Operand: the first argument that is no option, the letter being a flag (sh -ec).
    // WholeLine: every argument is code (wsl, ssh and plink hand their line to a shell), unless
    // one of execOptions comes first. Url: a line holding a "javascript:", "vbscript:" or
    // "about:" address is code (mshta). Opener: an argument that is no switch is a file the
    // program opens by its type, whatever the server named it (explorer). HostPath: an argument
    // naming a file of another machine ([user@]host:path) is read by that machine's shell (scp's
    // older protocol, pscp, rsync).
    enum class Code { Attached, NextArgument, Operand, WholeLine, Url, Opener, HostPath } code;
    // Letters whose value is the last option: what follows is the argument list of the code or
    // module they name ("python -m tool -c x", "python -c code -c x").
    const char* lastLetters = "";
    // For WholeLine: options after which the rest runs without a shell ("wsl -e").
    const char* execOptions = "";
    // The first argument names the tool that the program acts as ("busybox sh -c").
    bool toolFirst = false;
};

// The kind the shell will start for exe, judged as the shell judges it: by the extension of the
// file name, after the trailing dots and blanks that the shell strips, in any letter case.
// Batch: ".bat" and ".cmd". Unseen: shortcuts (".lnk", ".pif") and no extension at all (a name
// that FindProgramToStart could not complete). Cmd, PowerShell, Pwsh and CodeInterpreter by the
// file name.
ProgramKind ClassifyProgram(const std::string& exe);

// Whether exe names a shell link file (".lnk", in any letter case, after the trailing dots and
// blanks that the shell strips), whose target IShellLink reads. A ".pif" is none.
bool IsShellLinkFile(const std::string& exe);

// Whether cmd.exe reads the program's line and the TREVANEL_ variables it expands: batch files,
// cmd.exe, and targets that cannot be seen.
bool IsReadByCmd(ProgramKind kind);

// For a CodeInterpreter: how it reads its options; null for every other program.
const InterpreterOptions* InterpreterOptionsOf(const std::string& exe);

// The options of every interpreter known here, each set once: an Unseen program is judged by all.
std::vector<const InterpreterOptions*> EveryInterpreterOptions();

// For programs that run code of their own language from their command line (the kinds above,
// and mshta and rundll32, which interpret their argument): how that code reads the local path
// from the environment, e.g. "$env:TREVANEL_LOCAL_FILE_PATH"; empty for every other program.
std::string CodeVariableOf(const std::string& exe);

// Small text helpers that the judges share.
// The text with its ASCII letters in lower case, whatever the C runtime's locale.
std::string Lowered(std::string text);
// Whether name equals one of the blank-separated words.
bool IsOneOfWords(const std::string& name, const char* words);
// The text without one pair of quotes around the whole of it.
std::string Unquoted(std::string text);
