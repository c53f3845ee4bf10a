// The parameter line of a tweak for one transfer, and the guard that keeps a path chosen by the
// server from changing the program's arguments or running a command.
#pragma once

#include <string>

// Why a line was not let through; DescribeRefusal gives each reason in the users' words. The paths
// come from the server; the rest of the line is the user's. The line's shape refuses for every
// program (CodeShape); what is known of the program refuses more, and its grammar may vouch for
// a shape it reads safely.
enum class PathRefusal {
    None,
    // Every program: the text around a path looks like code (see JudgeShape).
    CodeShape,
    // How the line is split into arguments and expanded.
    Quote,
    BackslashBeforeQuote,
    EmptyBetweenQuotes,
    Percent,
    BlankUnquoted,
    // Batch files.
    Exclamation,
    ControlCharacter,
    ShellOperator,
    Delimiter,
    // cmd.exe and start.
    CmdSwitch,
    // PowerShell.
    ScriptParameter,
    EncodedCommand,
    ScriptQuote,
    ScriptExpansion,
    ScriptUnquoted,
    ScriptWildcard,
    ScriptIndirection,
    // Where cmd.exe, PowerShell or an opener reads what to run: the server's file would run.
    CommandName,
    // Inside code that an interpreter runs (python -c, bash -c, ssh's remote command ...).
    InterpreterCode,
    // cmd.exe expands the TREVANEL_ variables before it parses a batch file's lines.
    BatchVariable,
    // On a double-byte code page a lead byte at a path's end would take the closing quote along.
    PartialCharacter,
    // The server's path judged as a path wherever a line uses it.
    ServerPathClimb,
    ServerPathColon,
    ServerPathDevice,
    ServerPathWildcard,
    ServerPathControl,
    ServerPathOption,
    // The program lies in the transferred file's folder, where it would load a DLL the server sent.
    ProgramBesideFile,
};

struct ParameterLine {
    std::string text;
    PathRefusal refusal = PathRefusal::None;
    bool IsSafe() const { return refusal == PathRefusal::None; }
};

// Replaces every "%LOCAL_FILE_PATH%" in parameters by localPath, then every "%REMOTE_FILE_PATH%"
// in the result by remotePath (so a local path holding the remote placeholder gets it replaced),
// case-sensitive; null paths count as empty. A path with a blank (for a batch file also one of
// & | < > ^ ( ) , ; =) outside double quotes gets double quotes of its own. Then judges the line by
// the rules of the program kind that exe names, down through the commands cmd.exe starts, with the
// TREVANEL_ variables that cmd.exe expands, and the server's path as a path where the line names
// it. A line that is not safe keeps its text, so that it can be shown, but must not be started.
ParameterLine BuildParameterLine(const std::string& exe, const std::string& parameters,
                                 const char* localPath, const char* remotePath);

// A short English sentence for users, e.g. "a path holds a double quote".
const char* DescribeRefusal(PathRefusal refusal);
