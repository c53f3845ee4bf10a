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
    // A path stands in an argument whose own text (less a rooted folder of the user's before the
    // path) holds a quote of any kind, or what code holds: anything but letters, digits, blanks
    // and ( ) [ ] \ / : = , . - _ @ # ~ + (and no long bracket, [[).
    CodeShape,
    Quote,
    // "\"" would turn the user's closing quote into a quote character of the argument.
    BackslashBeforeQuote,
    // Inside quotes "" is one quote character: the user's quotes would join.
    EmptyBetweenQuotes,
    // cmd.exe expands %...% even inside quotes; a line's only % stays literal.
    Percent,
    // Unquoted right after a backslash or a double quote of the line (quotes put around it there
    // would change what those mean), or outside quotes once cmd.exe took its outer ones away.
    BlankUnquoted,
    // Batch files: !...! under delayed expansion, control characters (but the tab), and outside
    // quotes cmd.exe's operators and the , ; = it splits arguments at.
    Exclamation,
    ControlCharacter,
    ShellOperator,
    Delimiter,
    // cmd.exe's switches before /c, /k or /r, or start's (/D would choose the start folder).
    CmdSwitch,
    // PowerShell's parameters before the code or script; an encoded command; in code, a path that
    // ends its string, expands in it, stands bare with more than \ / . _ : - letters and digits,
    // holds a wildcard class, or reaches what a variable or a .NET or COM call starts.
    ScriptParameter,
    EncodedCommand,
    ScriptQuote,
    ScriptExpansion,
    ScriptUnquoted,
    ScriptWildcard,
    ScriptIndirection,
    // Where cmd.exe (or PowerShell, or an opener) reads what to run, or a for loop's set: the
    // server's file would run as whatever its name says.
    CommandName,
    // Inside code that an interpreter runs (python -c, bash -c, ssh's remote command ...).
    InterpreterCode,
    // cmd.exe also expands the TREVANEL_ variables before it parses a line: a double quote, CR or
    // LF of a path would end the quotes written around them, whatever the tweak's own line says.
    BatchVariable,
    // On a double-byte code page a lead byte at a path's end would take the closing quote along.
    PartialCharacter,
    // The server's path is judged as a path wherever a line uses it: no . or .. part (nor dots
    // and blanks alone), colon (drive, data stream), device name, wildcard (* ? < >), control
    // character, or a start that programs read as an option (- and typographic dashes, //) or as
    // a share (\\).
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
// in the result by remotePath (so a local path holding the remote placeholder gets it replaced).
// Case-sensitive, left to right, no overlaps; null paths count as empty. A placeholder outside
// double quotes whose path holds a blank or a tab (for a batch file, also one of
// & | < > ^ ( ) , ; =) gets the path in double quotes, as the C runtime
// reads them, so that the program receives it as one argument. Then judges the line: its shape
// for every program, then by the rules of the program kind that exe names, down through the
// commands that cmd.exe starts. A line that is not safe keeps its text, so that it can be shown,
// but must not be started. For a target that cmd.exe reads, %TREVANEL_LOCAL_FILE_PATH% and
// %TREVANEL_REMOTE_FILE_PATH% in the line are judged as the placeholders are, and both paths as
// the variables a batch file expands (BatchVariable), with or without placeholders. A line that
// names the server's path in any form also has that path judged as a path (ServerPath...).
ParameterLine BuildParameterLine(const std::string& exe, const std::string& parameters,
                                 const char* localPath, const char* remotePath);

// A short English sentence for users, e.g. "a path holds a double quote".
const char* DescribeRefusal(PathRefusal refusal);
