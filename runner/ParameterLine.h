// The parameter line of a tweak for one transfer, and the guard that keeps a path chosen by the
// server from changing the program's arguments or running a command.
#pragma once

#include <string>

// Why a line was not let through. The paths come from the server; the rest of the line is the
// user's. Its shape alone may refuse a path (CodeShape); what is known of the program refuses more
// and may allow a shape that its own grammar reads safely.
enum class PathRefusal {
    None,
    // A path stands inside an argument whose own text (the line's, around the path, less a rooted
    // folder of the user's right before it) holds a quote of any kind or anything but letters, digits, blanks and ( ) [ ] \ / : = , . - _ @ # ~ +
    // (or a bracket that could make a long one, [[): the shape of code, or of a string inside
    // code, for every program whose grammar is not known to read it safely.
    CodeShape,
    // A path holds a double quote: it could close the user's quotes and add arguments.
    Quote,
    // Backslashes at the end of a path meet a double quote of the line: "\"" would turn the
    // user's closing quote into a quote character of the argument.
    BackslashBeforeQuote,
    // An empty path stands between two double quotes inside quotes, where "" is one quote
    // character: the user's quotes would join.
    EmptyBetweenQuotes,
    // Read by cmd.exe, anywhere in a path: a % that another % of the line could pair with into
    // %...%, which cmd.exe expands even inside quotes. A line's only % stays literal.
    Percent,
    // A path whose blanks would split it into arguments: unquoted right after a backslash or a
    // double quote of the line (quotes put around it there would change what those characters
    // mean), or outside quotes once cmd.exe has taken its first and last quote away.
    BlankUnquoted,
    // Batch files only, anywhere: under delayed expansion cmd.exe expands !...! inside quotes.
    Exclamation,
    // Batch files only, anywhere: a line break ends cmd.exe's command line; other control
    // characters (but the tab) are cut or split at.
    ControlCharacter,
    // Batch files only, outside quotes: & | < > ^ ( ) are cmd.exe's operators.
    ShellOperator,
    // Batch files only, outside quotes: cmd.exe splits arguments at , ; = as at blanks.
    Delimiter,
    // cmd.exe: a path stands before /c, /k or /r, among cmd.exe's own switches, or among start's.
    CmdSwitch,
    // PowerShell: a path stands among the parameters before the code or the script.
    ScriptParameter,
    // PowerShell: the line holds an encoded command, beside which no path may stand.
    EncodedCommand,
    // PowerShell code: a path inside single quotes holds a single quote (' or one of the
    // typographic ones PowerShell takes alike), which ends the string.
    ScriptQuote,
    // PowerShell code: a path inside double quotes holds $, the backtick or a typographic double
    // quote, which expand, escape or end the string.
    ScriptExpansion,
    // PowerShell code: a path outside quotes holds more than letters, digits and \ / . _ : -.
    ScriptUnquoted,
    // PowerShell code: a path holds [ or ], which PowerShell's commands read as a wildcard class.
    ScriptWildcard,
    // PowerShell code that holds a path starts what a variable or a .NET or COM call names.
    ScriptIndirection,
    // cmd.exe: a path stands in the first word of a command (also after start, call or if), where
    // cmd.exe reads the program to start, after an empty one, or in a for loop's set or options,
    // whose items the loop hands to its command: the server's file would run as whatever its name
    // says.
    CommandName,
    // python -c, node -e, perl -e, bash -c, ssh's remote command and the like: a path stands
    // inside the code.
    InterpreterCode,
    // Batch files and cmd.exe, whatever the line: a path holds a double quote, CR or LF. Such a
    // target reads the paths through %TREVANEL_..._FILE_PATH% too, which cmd.exe expands before
    // it parses the line, so the value would close the quotes written around the variable or end
    // the line. Inside quotes nothing else of an expanded value counts: a % in it is not
    // expanded again, ^ is literal, and delayed expansion comes after the line is parsed.
    BatchVariable,
    // A path that the line holds is no whole text of the system's code page: on a double-byte
    // code page a lead byte at its end would take the user's closing quote with it.
    PartialCharacter,
    // The line uses the server's path (its placeholder or TREVANEL_REMOTE_FILE_PATH), which is
    // judged as a path, whatever the program, wherever it stands: split at / and \, no part of
    // it may be . or .. (nor dots and blanks alone, which Windows reads alike): it would climb out
    // of the folder the user's line puts it in.
    ServerPathClimb,
    // ... nor hold a colon, which names a drive or a file's alternate data stream,
    ServerPathColon,
    // ... nor a part that names a DOS device (CON, COM1, nul.txt ...), which opens the device,
    ServerPathDevice,
    // ... nor * ? < or >, which programs and Windows' file searches read as wildcards,
    ServerPathWildcard,
    // ... nor a control character,
    ServerPathControl,
    // ... nor start as programs read an option: with a dash (- or a typographic one, as PowerShell
    // reads them), or two slashes (// as Windows Script Host reads it; \\ or /\ a network share).
    ServerPathOption,
    // The program lies in the folder of the transferred file: it starts there, where a file the
    // server sent (a DLL of the name it loads) would be loaded into it.
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
