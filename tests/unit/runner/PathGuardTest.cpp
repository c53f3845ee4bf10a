// What a path chosen by the server may bring into a parameter line, for programs and batch files.
#include <gtest/gtest.h>

#include "config/TweakInfo.h"
#include "runner/ParameterLine.h"
#include "runner/ProgramKind.h"
#include "runner/TweakDecision.h"

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
        {"C:\\Windows\\System32\\CMD.exe", ProgramKind::Batch},
        {"cmd.exe", ProgramKind::Batch},
        {"C:\\Tools\\run", ProgramKind::Batch},
        {"C:\\Tools\\run.lnk", ProgramKind::Batch},
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
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/dir\\", R::None},
        {batch, bare, "C:\\in\\a b.txt", "/r", R::None},
        {batch, bare, "a&C:\\Tools\\other.exe INJECTED&rem .txt", "/r", R::ShellOperator},
        {batch, "%REMOTE_FILE_PATH%", "C:\\a", "/pub/a|b.txt", R::ShellOperator},
        {batch, bare, "C:\\in\\(1).txt", "/r", R::ShellOperator},
        {batch, bare, "C:\\in\\a^b.txt", "/r", R::ShellOperator},
        {batch, quoted, "C:\\in\\%WINDIR%.txt", "/r", R::Percent},
        {batch, quoted, "C:\\in\\%CMDCMDLINE:~-1%.txt", "/r", R::Percent},
        {batch, quoted, "C:\\in\\100% sure.txt", "/r", R::Percent},
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a%20b.txt", R::Percent},
        {batch, quoted, "C:\\in\\!PATH!.txt", "/r", R::Exclamation},
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a\nb.txt", R::ControlCharacter},
        {batch, "\"%REMOTE_FILE_PATH%\"", "C:\\a", "/pub/a\rb.txt", R::ControlCharacter},
        {batch, bare, "C:\\in\\a;b.txt", "/r", R::Delimiter},
        {batch, bare, "C:\\in\\a=b,c.txt", "/r", R::Delimiter},
        {batch, quoted, "C:\\in\\a;b=c,d.txt", "/r", R::None},
        {batch, "\"x\" %LOCAL_FILE_PATH%", "C:\\in\\a&b.txt", "/r", R::ShellOperator},
        {batch, "^\"%LOCAL_FILE_PATH%", "C:\\in\\a&b.txt", "/r", R::ShellOperator},
        {batch, quoted, "C:\\in\\a\"&calc&\".txt", "/r", R::Quote},
        {"C:\\Windows\\System32\\cmd.exe", "/c \"%LOCAL_FILE_PATH%\"", "C:\\in\\%PATH%", "/r", R::Percent},
        // The user's own text is never judged, only what the paths bring in.
        {batch, "%LOCAL_FILE_PATH% & echo done ^| %%1", "C:\\in\\a.txt", "/r", R::None},
    };
    for (const Row& row : rows) {
        const ParameterLine line = BuildParameterLine(row.exe, row.parameters, row.local, row.remote);
        EXPECT_EQ(row.refusal, line.refusal)
            << row.exe << " " << row.parameters << " <- " << row.local << " | " << row.remote
            << ": " << DescribeRefusal(line.refusal);
    }
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
        {"C:\\Tools\\record.exe", "\"%REMOTE_FILE_PATH%\"", "", "C:\\in\\a.txt", "/pub/what?*.txt", V::Applies},
        {"C:\\Tools\\record.bat", "\"%REMOTE_FILE_PATH%\"", "", "C:\\in\\a.txt", "/pub/what?*.txt", V::Applies},
    };
    for (const Row& row : rows) {
        CTweakInfo tweak;
        tweak.m_strExe = row.exe;
        tweak.m_strParameters = row.parameters;
        tweak.m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
        tweak.ParseFilters(row.filter);
        EXPECT_STREQ(VerdictName(row.verdict),
                     VerdictName(DecideTweak(tweak, 0, row.local, row.remote).verdict))
            << row.exe << " " << row.parameters << " <- " << row.local << " | " << row.remote;
    }
}

}  // namespace
