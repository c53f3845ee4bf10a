// Telling batch files, command interpreters and programs apart by their names.
#include "runner/ProgramKind.h"

#include <cctype>
#include <cstring>
#include <sstream>

#include "platform/RegistryNames.h"

namespace {

// How each family of interpreters reads its options (the letters after a single dash).
using Code = InterpreterOptions::Code;
const InterpreterOptions kPython{"c", "", "mWXQ", Code::Attached, "cm"};
const InterpreterOptions kNode{"ep", "--eval --print", "rC", Code::NextArgument};
// -I takes a value; -i -x -F -D -C take the rest of the cluster. -m and -M build a use statement
// from their value and -d: names a module: code.
const InterpreterOptions kPerl{"eEmMd", "", "IixFDC", Code::Attached};
const InterpreterOptions kRuby{"e", "", "CEFIirx", Code::Attached};
const InterpreterOptions kPhp{"rBRE", "--run --process-begin --process-code --process-end", "cdfztSF", Code::Attached};
const InterpreterOptions kShell{"c", "", "oO", Code::Operand};
const InterpreterOptions kBusybox{"c", "", "oO", Code::Operand, "", "", true};
const InterpreterOptions kR{"e", "", "", Code::NextArgument};
const InterpreterOptions kWsl{"", "", "", Code::WholeLine, "", "-e --exec"};
// The remote shell runs the command that ssh and plink join from their arguments; conhost and wt
// start their line as command lines (wt splits it at every ;); forfiles runs its /c value through
// cmd.exe.
const InterpreterOptions kCommandLine{"", "", "", Code::WholeLine};
const InterpreterOptions kHostPath{"", "", "", Code::HostPath};
const InterpreterOptions kMshta{"", "", "", Code::Url};
const InterpreterOptions kOpener{"", "", "", Code::Opener};

// Interpreters that take code on their command line, by the stems of their file names (see Stem),
// with how each family's code reads the local path from the environment.
struct Interpreter {
    ProgramKind kind;
    // How it finds code among its options; null where the whole argument is code.
    const InterpreterOptions* options;
    const char* localVariable;
    const char* stems;
};

const char* const kVariables = "the TREVANEL_ variables";
const char* const kShellVariable = "\"$TREVANEL_LOCAL_FILE_PATH\"";
const Interpreter kInterpreters[] = {
    {ProgramKind::Cmd, nullptr, "%TREVANEL_LOCAL_FILE_PATH%", "cmd"},
    {ProgramKind::PowerShell, nullptr, "$env:TREVANEL_LOCAL_FILE_PATH", "powershell"},
    {ProgramKind::Pwsh, nullptr, "$env:TREVANEL_LOCAL_FILE_PATH", "pwsh"},
    {ProgramKind::CodeInterpreter, &kPython, "os.environ['TREVANEL_LOCAL_FILE_PATH']", "python pythonw py pyw pypy"},
    {ProgramKind::CodeInterpreter, &kR, "Sys.getenv('TREVANEL_LOCAL_FILE_PATH')", "rscript r"},
    {ProgramKind::CodeInterpreter, &kNode, "process.env.TREVANEL_LOCAL_FILE_PATH", "node"},
    {ProgramKind::CodeInterpreter, &kPerl, "$ENV{TREVANEL_LOCAL_FILE_PATH}", "perl wperl"},
    {ProgramKind::CodeInterpreter, &kRuby, "ENV['TREVANEL_LOCAL_FILE_PATH']", "ruby rubyw"},
    {ProgramKind::CodeInterpreter, &kPhp, "getenv('TREVANEL_LOCAL_FILE_PATH')", "php php-win php-cgi"},
    {ProgramKind::CodeInterpreter, &kShell, kShellVariable, "bash sh zsh dash ksh fish csh tcsh git-bash"},
    {ProgramKind::CodeInterpreter, &kBusybox, kShellVariable, "busybox"},
    {ProgramKind::CodeInterpreter, &kWsl, "\"$TREVANEL_LOCAL_FILE_PATH\" (listed in WSLENV)", "wsl"},
    {ProgramKind::CodeInterpreter, &kCommandLine, "the TREVANEL_ variables (SendEnv)", "ssh"},
    // They start a command line they are given in one argument, or read it as their own language:
    // TCC expands %@exec[...] even inside quotes; a distribution's launcher runs "run ..." in its
    // shell; rundll32 (known by its stem, without its digits) hands its line to the entry it calls.
    {ProgramKind::CodeInterpreter, &kCommandLine, kVariables,
     "plink conhost forfiles wt tcc runas schtasks wmic nircmd nircmdc ubuntu debian kali rundll"},
    {ProgramKind::CodeInterpreter, &kHostPath, kVariables, "scp pscp rsync"},
    {ProgramKind::CodeInterpreter, &kMshta, kVariables, "mshta"},
    // What it does with a path is the server's choice: it opens a file by its type, as start does.
    {ProgramKind::CodeInterpreter, &kOpener, kVariables, "explorer"},
};

// The file name as the shell reads it: unquoted, after the last folder, without trailing dots
// and blanks.
std::string FileNameOf(const std::string& exe) {
    // Quotes around the whole path are the user's; the shell looks at what is inside.
    std::string name = Unquoted(exe);
    const size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t end = name.find_last_not_of(". ");
    name.erase(end == std::string::npos ? 0 : end + 1);
    return name;
}

bool EndsWith(const std::string& text, const char* end) {
    const size_t n = std::strlen(end);
    return text.size() > n && IsSameRegistryName(text.substr(text.size() - n), end);
}

// An interpreter's file name, given without ".exe", without the version that installers put at its
// end ("python3.12.exe", "perl5.36.0.exe"), with the marks of debug and free-threaded builds
// ("python_d.exe", "python3.13t.exe"): each spelling of an interpreter is known by it.
std::string Stem(const std::string& name) {
    std::string stem = name;
    if (EndsWith(stem, "_d")) stem.resize(stem.size() - 2);
    if (EndsWith(stem, "t") && std::isdigit(static_cast<unsigned char>(stem[stem.size() - 2]))) stem.pop_back();
    const size_t end = stem.find_last_not_of("0123456789.");
    stem.resize(end == std::string::npos ? 0 : end + 1);
    return stem;
}

const Interpreter* FindInterpreter(const std::string& exe) {
    std::string name = FileNameOf(exe);
    if (EndsWith(name, ".exe")) name.resize(name.size() - 4);
    const std::string stem = Stem(name);
    // File names fold their letters as registry names do. cmd.exe and the PowerShells come under
    // no other name: a program "cmd2.exe" keeps the rules of programs.
    for (const Interpreter& interpreter : kInterpreters) {
        const std::string& known = interpreter.kind == ProgramKind::CodeInterpreter ? stem : name;
        if (IsOneOfWords(FoldRegistryName(known), FoldRegistryName(interpreter.stems).c_str())) return &interpreter;
    }
    return nullptr;
}

}  // namespace

bool IsReadByCmd(ProgramKind kind) {
    return kind == ProgramKind::Batch || kind == ProgramKind::Cmd || kind == ProgramKind::Unseen;
}

ProgramKind ClassifyProgram(const std::string& exe) {
    if (const Interpreter* interpreter = FindInterpreter(exe)) return interpreter->kind;
    const std::string name = FileNameOf(exe);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return ProgramKind::Unseen;
    const std::string extension = name.substr(dot);
    if (IsOneOfWords(FoldRegistryName(extension), FoldRegistryName(".bat .cmd").c_str())) return ProgramKind::Batch;
    if (IsOneOfWords(FoldRegistryName(extension), FoldRegistryName(".lnk .pif").c_str())) return ProgramKind::Unseen;
    return ProgramKind::Program;
}

bool IsShellLinkFile(const std::string& exe) {
    return EndsWith(FileNameOf(exe), ".lnk");
}

const InterpreterOptions* InterpreterOptionsOf(const std::string& exe) {
    const Interpreter* interpreter = FindInterpreter(exe);
    return interpreter ? interpreter->options : nullptr;
}

std::vector<const InterpreterOptions*> EveryInterpreterOptions() {
    // wsl's, ssh's and plink's whole line is code, which no shortcut's line could pass: a shortcut
    // to them is left out.
    return {&kPython, &kNode, &kPerl, &kRuby, &kPhp, &kShell, &kR, &kMshta};
}

std::string Lowered(std::string text) {
    // ASCII alone: the C runtime's locale is the host's, and a Turkish one folds I otherwise.
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

bool IsOneOfWords(const std::string& name, const char* words) {
    std::istringstream list(words);
    for (std::string word; list >> word;) {
        if (word == name) return true;
    }
    return false;
}

std::string Unquoted(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

std::string CodeVariableOf(const std::string& exe) {
    const Interpreter* interpreter = FindInterpreter(exe);
    return interpreter && interpreter->kind != ProgramKind::Cmd ? interpreter->localVariable : "";
}
