// Transfers played through the host stand-in and the real add-on, with real programs as tweaks:
// Recorder.exe, which logs how it was started, and a batch file that echoes its arguments.
#include <windows.h>
#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/Win32ProcessEnvironment.h"
#include "platform/win32/Win32WaitWindow.h"
#include "runner/FailureNotice.h"
#include "runner/RunRecord.h"
#include "runner/TweakWait.h"
#include "tests/common/Layout.h"
#include "tests/wine/common/RecordingLogs.h"
#include "tests/wine/common/ScreenCapture.h"
#include "tests/wine/common/WineHarness.h"

namespace {


struct Tweak {
    Tweak(std::string exe_, std::string parameters_, DWORD applyTo_ = 0x01 | 0x10,
          std::string filter_ = std::string())
        : exe(std::move(exe_)), parameters(std::move(parameters_)), applyTo(applyTo_),
          filter(std::move(filter_)) {}

    std::string exe;
    std::string parameters;
    DWORD applyTo;  // download and upload unless given
    std::string filter;
    DWORD enabled = 1;
    DWORD ignoreCase = 1;
    DWORD stopOnFailure = 0;  // the values after the seven, written only when set
    DWORD timeLimit = 0;
};

void SetString(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

void SetDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Stores the tweak set of a profile (kGlobalSetName for the global configuration) as the add-on keeps it.
void StoreTweaks(const std::string& setName, const std::vector<Tweak>& tweaks) {
    const std::string setKey = ProfileKey(setName);
    wine::DeleteRegTree(HKEY_USERS, setKey);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_USERS, setKey.c_str(), &key));
    SetDword(key, "Count", static_cast<DWORD>(tweaks.size()));
    RegCloseKey(key);
    for (size_t i = 0; i < tweaks.size(); ++i) {
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_USERS, TweakKey(setKey, int(i)).c_str(), &key));
        SetString(key, "Name", "Tweak " + std::to_string(i));
        SetString(key, "Exe", tweaks[i].exe);
        SetString(key, "Parameters", tweaks[i].parameters);
        SetDword(key, "Enabled", tweaks[i].enabled);
        SetDword(key, "Ignore Case", tweaks[i].ignoreCase);
        SetDword(key, "Apply To", tweaks[i].applyTo);
        SetString(key, "Filter", tweaks[i].filter);
        if (tweaks[i].stopOnFailure) SetDword(key, "Stop On Failure", tweaks[i].stopOnFailure);
        if (tweaks[i].timeLimit) SetDword(key, "Time Limit", tweaks[i].timeLimit);
        RegCloseKey(key);
    }
}

// One run of Recorder.exe as its log line tells it.
struct RecordedRun {
    unsigned long long start = 0;
    unsigned long long end = 0;
    std::string exe;
    std::string cwd;
    std::string commandLine;
    std::vector<std::string> args;  // argv[1] ...
};

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (size_t at; (at = text.find(separator, from)) != std::string::npos; from = at + separator.size())
        parts.push_back(text.substr(from, at - from));
    parts.push_back(text.substr(from));
    return parts;
}

std::vector<RecordedRun> ReadRuns(const std::string& logPath) {
    std::vector<RecordedRun> runs;
    for (const std::string& line : Split(ReadFile(logPath), "\r\n")) {
        if (line.empty()) continue;
        const std::vector<std::string> fields = Split(line, "\t");
        if (fields.size() < 7) {
            ADD_FAILURE() << "bad log line: " << line;
            continue;
        }
        RecordedRun run;
        run.start = std::stoull(fields[0]);
        run.end = std::stoull(fields[1]);
        run.exe = fields[3];
        run.cwd = fields[4];
        run.commandLine = fields[5];
        run.args.assign(fields.begin() + 7, fields.end());
        runs.push_back(run);
    }
    return runs;
}

// The clock Recorder.exe stamps its runs with.
unsigned long long Now() {
    typedef VOID(WINAPI * PreciseTime)(LPFILETIME);
    static const PreciseTime precise = reinterpret_cast<PreciseTime>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME time;
    precise(&time);
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class TweakRunWine : public testing::Test {
protected:
    void SetUp() override {
        wine::DeleteRegTree(HKEY_USERS, ConfigurationsKey());
        m_recorder = m_folder.Copy(wine::ProgramPath("Recorder.exe"));
        m_batch = m_folder.Copy(wine::SourcePath("tests\\fixtures\\EchoArgs.bat"));
        // The run record starts empty and on.
        ClearRunRecord(RunRecordFolder());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kWaitWindowDelayValue);
    }
    void TearDown() override {
        wine::DeleteRegTree(HKEY_USERS, ConfigurationsKey());
        ClearRunRecord(RunRecordFolder());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue);
    }

    // What ZTTrevanelCtl history --tsv prints after its header row, as the fields of each line.
    std::vector<std::vector<std::string>> History() {
        const wine::ProgramResult r = wine::RunProgram(wine::ProgramPath("ZTTrevanelCtl.exe"), {"history", "--tsv"});
        EXPECT_EQ(0u, r.exitCode) << r.output;
        std::vector<std::vector<std::string>> records;
        for (const std::string& line : Split(r.output, "\n")) {
            if (!line.empty() && line.compare(0, 5, "time\t") != 0) records.push_back(Split(line, "\t"));
        }
        return records;
    }

    // Plays the host script; every command must have run and the host must have ended by itself.
    std::string Host(std::vector<std::string> lines) {
        lines.insert(lines.begin(), "load");
        lines.push_back("unload");
        const wine::ProgramResult result = wine::RunHost(m_addon.Path(), lines, 30000);
        EXPECT_FALSE(result.timedOut) << "the host hung; output:\n" << result.output;
        EXPECT_EQ(0u, result.exitCode) << result.output;
        return result.output;
    }

    wine::TempFolder m_folder{"Tweak RecordedRun"};
    wine::AddonCopy m_addon;
    std::string m_recorder;
    std::string m_batch;
    wine::RecordingLogs m_logs{m_folder.Path()};
};

TEST_F(TweakRunWine, TransferExportsTakeThePathsFromTheirOwnArgumentPositions) {
    StoreTweaks(kGlobalSetName, {{m_recorder, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\""},
                          {m_batch, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\""}});
    const std::string output = Host({"create 1 Work",
                                     "download 1 0 /pub/remote.txt C:\\in\\local.txt",
                                     "upload 1 4 C:\\out\\up.txt /pub/up.txt", "destroy 1"});
    EXPECT_NE(std::string::npos, output.find("download 1: result 0")) << output;
    EXPECT_NE(std::string::npos, output.find("upload 1: result 0")) << output;

    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ((std::vector<std::string>{"C:\\in\\local.txt", "/pub/remote.txt"}), runs[0].args);
    EXPECT_EQ((std::vector<std::string>{"C:\\out\\up.txt", "/pub/up.txt"}), runs[1].args);
    EXPECT_EQ(std::string("1=\"C:\\in\\local.txt\" 2=\"/pub/remote.txt\"\r\n") +
                  "1=\"C:\\out\\up.txt\" 2=\"/pub/up.txt\"\r\n",
              ReadFile(m_logs.batch));
}

// An unquoted placeholder gets quotes of its own for a path with blanks: one argument either way.
TEST_F(TweakRunWine, PathWithBlanksReachesTheProgramAsOneArgumentQuotedOrNot) {
    StoreTweaks(kGlobalSetName, {{m_recorder, "%LOCAL_FILE_PATH% \"%LOCAL_FILE_PATH%\" -r=%REMOTE_FILE_PATH%"}});
    Host({"create 1 Work", "download 1 0 \"/pub/my file.txt\" \"C:\\My Files\\a b.txt\""});

    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(1u, runs.size());
    const std::string parameters = "\"C:\\My Files\\a b.txt\" \"C:\\My Files\\a b.txt\" -r=\"/pub/my file.txt\"";
    EXPECT_EQ(parameters, runs[0].commandLine.substr(runs[0].commandLine.size() - parameters.size()));
    EXPECT_EQ((std::vector<std::string>{"C:\\My Files\\a b.txt", "C:\\My Files\\a b.txt", "-r=/pub/my file.txt"}),
              runs[0].args);
}

TEST_F(TweakRunWine, TweaksRunInListOrderEachAfterThePreviousEnded) {
    StoreTweaks(kGlobalSetName, {{m_recorder, "first --sleep-ms=400"},
                          {m_folder.Path() + "missing.exe", "never"},
                          {m_batch, "second %LOCAL_FILE_PATH%"},
                          {m_recorder, "third --sleep-ms=100"}});
    const std::string output = Host({"create 1 Work", "download 1 0 /pub/a.txt C:\\in\\a.txt"});
    EXPECT_NE(std::string::npos, output.find("download 1: result 0")) << output;

    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(2u, runs.size());
    EXPECT_EQ("first", runs[0].args.at(0));
    EXPECT_EQ("third", runs[1].args.at(0));
    EXPECT_GE(runs[0].end - runs[0].start, 4000000u);
    EXPECT_GT(runs[1].start, runs[0].end);
    // The batch file in between ran too, after the first program.
    EXPECT_EQ("1=second 2=C:\\in\\a.txt\r\n", ReadFile(m_logs.batch));
}

TEST_F(TweakRunWine, TweaksThatDoNotApplyStartNothing) {
    Tweak disabled{m_recorder, "disabled"};
    disabled.enabled = 0;
    Tweak uploadOnly{m_recorder, "upload-only", 0x10};
    Tweak pdfOnly{m_recorder, "pdf-only", 0x01, "*.pdf;*.doc"};
    Tweak caseSensitive{m_recorder, "case-sensitive", 0x01, "*.txt"};
    caseSensitive.ignoreCase = 0;
    Tweak text{m_recorder, "text", 0x01, "*.pdf; *.txt"};
    StoreTweaks(kGlobalSetName, {disabled, uploadOnly, pdfOnly, caseSensitive, text});
    Host({"create 1 Work", "download 1 0 /pub/A.TXT C:\\in\\A.TXT"});

    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(std::vector<std::string>{"text"}, runs[0].args);
}

TEST_F(TweakRunWine, PathWithADoubleQuoteIsNotPutIntoAParameterLine) {
    StoreTweaks(kGlobalSetName, {{m_batch, "\"%REMOTE_FILE_PATH%\""}, {m_recorder, "\"%LOCAL_FILE_PATH%\""}});
    // The host's script writes a quote inside quotes as two.
    Host({"create 1 Work", "download 1 0 \"/pub/x\"\" & echo injected & \"\".txt\" C:\\in\\x.txt"});

    EXPECT_EQ("", ReadFile(m_logs.batch));
    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(std::vector<std::string>{"C:\\in\\x.txt"}, runs[0].args);
}

// Names the server chose, against real batch files and a recording program. A name that tries
// to start a command would start C:\TrevanelInjected\other.exe, a copy of the recorder, which
// logs into the same file: no run of it may appear, and every tweak either gets exactly what the
// template promises or does not start.
TEST_F(TweakRunWine, NamesFromTheServerNeverStartACommandOrChangeTheArguments) {
    const std::string injectedFolder = "C:\\TrevanelInjected\\";
    CreateDirectoryA(injectedFolder.c_str(), nullptr);
    const std::string other = injectedFolder + "other.exe";
    ASSERT_TRUE(CopyFileA(m_recorder.c_str(), other.c_str(), FALSE));
    const std::string cmdFile = m_folder.Copy(m_batch, "EchoArgs.CMD");
    const std::string injection = "&" + other + " INJECTED&rem ";
    const std::string odd = "C:\\in\\Q&A (1), it's 100% \xfc;x! [2]^.txt";
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string cmd = std::string(system) + "\\cmd.exe";
    // A recorder named like PowerShell is judged as PowerShell and shows what it would have got.
    const std::string powershell = m_folder.Copy(m_recorder, "powershell.exe");
    const std::string psCode = "-Command \"Get-FileHash '%LOCAL_FILE_PATH%'\"";
    struct Case {
        const char* what;
        std::string exe;
        std::string parameters;
        std::string remote;
        std::string local;
        std::vector<std::string> programArgs;  // what the recorder gets; empty: it does not start
        std::string batchLine;                 // what the batch file writes; empty: it does not start
    } cases[] = {
        // Its blanks put the path into quotes of its own, where the operators are characters.
        {"operators in an unquoted batch argument", m_batch, "%LOCAL_FILE_PATH%", "/pub/a.txt",
         "C:\\in\\a" + injection + ".txt", {}, "1=\"C:\\in\\a" + injection + ".txt\" 2=\r\n"},
        {"a pipe in an unquoted .cmd argument", cmdFile, "%REMOTE_FILE_PATH%",
         "/pub/a|" + other + "&INJECTED", "C:\\in\\a.txt", {}, ""},
        // A blank puts the path into quotes of its own, where the pipe is a character.
        {"a pipe and a blank in an unquoted .cmd argument", cmdFile, "%REMOTE_FILE_PATH%",
         "/pub/a|" + other.substr(2) + " INJECTED", "C:\\in\\a.txt", {}, "1=\"/pub/a|" + other.substr(2) + " INJECTED\" 2=\r\n"},
        {"a variable inside quotes for a batch file", m_batch, "\"%LOCAL_FILE_PATH%\"", "/pub/a.txt",
         "C:\\in\\%WINDIR%.txt", {}, ""},
        {"a lone percent for a batch file", m_batch, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"",
         "/pub/a%20b%20c.txt", "C:\\in\\100% sure.txt", {}, ""},
        {"a backslash that escapes the closing quote", m_recorder,
         "\"%REMOTE_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"", "/pub/dir\\", "C:\\in\\b c --flag.txt", {}, ""},
        {"odd characters into a quoted program argument", m_recorder, "\"%LOCAL_FILE_PATH%\"",
         "/pub/a.txt", odd, {odd}, ""},
        // Its blanks put an unquoted path into quotes of its own.
        {"odd characters into an unquoted program argument", m_recorder, "%LOCAL_FILE_PATH%",
         "/pub/a.txt", odd, {odd}, ""},
        {"operators need no quotes without a shell", m_recorder, "%LOCAL_FILE_PATH%", "/pub/a.txt",
         "C:\\in\\a&b|c.txt", {"C:\\in\\a&b|c.txt"}, ""},
        {"operators inside quotes for a batch file", m_batch, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"",
         "/pub/a\\b.txt", "C:\\in\\Q&A (1).txt", {}, "1=\"C:\\in\\Q&A (1).txt\" 2=\"/pub/a\\b.txt\"\r\n"},
        {"a backslash inside a remote name", m_recorder, "\"%REMOTE_FILE_PATH%\" %REMOTE_FILE_PATH%",
         "/pub/a\\b.txt", "C:\\in\\a.txt", {"/pub/a\\b.txt", "/pub/a\\b.txt"}, ""},
        // A name the ANSI code page cannot hold arrives with ?; with * it is a wildcard.
        {"a lost character, no placeholder", m_recorder, "--fixed", "/pub/\xe6\x97\xa5.txt",
         "C:\\in\\?.txt", {}, ""},
        {"a star for a batch file, no placeholder", m_batch, "", "/pub/a.txt", "C:\\in\\a*.txt", {}, ""},
        {"the extended-length prefix", m_recorder, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"",
         "/pub/what.txt", "\\\\?\\C:\\in\\a.txt", {"\\\\?\\C:\\in\\a.txt", "/pub/what.txt"}, ""},
        {"a wildcard in the server's path", m_recorder, "\"%REMOTE_FILE_PATH%\"", "/pub/what?.txt", "C:\\in\\a.txt", {}, ""},
        // Without placeholders nothing is refused, and cmd.exe expands a variable once.
        {"operators through the variable", m_batch, "\"%TREVANEL_LOCAL_FILE_PATH%\"", "/pub/a.txt",
         "C:\\in\\Q&A (1).txt", {}, "1=\"C:\\in\\Q&A (1).txt\" 2=\r\n"},
        // Written in the line, the variable is judged as the placeholder: ! expands under delayed expansion.
        {"an exclamation mark through the variable", m_batch, "\"%TREVANEL_LOCAL_FILE_PATH%\"", "/pub/a.txt",
         "C:\\in\\Hi!.txt", {}, ""},
        {"a caret through the variable", m_batch, "\"%TREVANEL_LOCAL_FILE_PATH%\"", "/pub/a.txt",
         "C:\\in\\a^b.txt", {}, "1=\"C:\\in\\a^b.txt\" 2=\r\n"},
        // But cmd.exe expands it before it parses: a quote in it would end the quotes around it.
        {"a quote through the variable", m_batch, "\"%TREVANEL_REMOTE_FILE_PATH%\"",
         "/pub/x\"\"" + injection + "\"\"", "C:\\in\\a.txt", {}, ""},
        {"a device as the local file", m_recorder, "\"%LOCAL_FILE_PATH%\"", "/pub/NUL.txt", "C:\\in\\NUL.txt", {}, ""},
        // cmd.exe /c takes the outer quotes of its command away.
        {"cmd.exe /c with the path quoted once", cmd, "/c \"%LOCAL_FILE_PATH%\"", "/pub/a.txt",
         "a" + injection + ".txt", {}, ""},
        {"cmd.exe /c with a batch file and the path quoted once", cmd,
         "/c \"" + m_batch + "\" \"%LOCAL_FILE_PATH%\"", "/pub/a.txt", "C:\\in\\a" + injection + ".txt", {}, ""},
        // Named without ".exe", cmd.exe is still judged as cmd.exe, and started by its full name.
        {"cmd without its extension, the path quoted once", cmd.substr(0, cmd.size() - 4),
         "/c \"%LOCAL_FILE_PATH%\"", "/pub/a.txt", "a" + injection + ".txt", {}, ""},
        {"cmd.exe /c with the whole command quoted", cmd, "/c \"\"" + m_batch + "\" \"%LOCAL_FILE_PATH%\"\"",
         "/pub/a.txt", "C:\\in\\Q&A (1).txt", {}, "1=\"C:\\in\\Q&A (1).txt\" 2=\r\n"},
        // PowerShell code: a single quote of any kind ends the string that holds the path.
        {"an apostrophe in PowerShell code", powershell, psCode, "/pub/a.txt", "C:\\in\\a';" + other + ";'.txt", {}, ""},
        {"a left single quote in PowerShell code", powershell, psCode, "/pub/a.txt", "C:\\in\\a\x91.txt", {}, ""},
        {"a right single quote in PowerShell code", powershell, psCode, "/pub/a.txt", "C:\\in\\a\x92.txt", {}, ""},
        {"a low single quote in PowerShell code", powershell, psCode, "/pub/a.txt", "C:\\in\\a\x82.txt", {}, ""},
        {"a harmless name in PowerShell code", powershell, psCode, "/pub/a.txt", "C:\\in\\Q (1) & more.txt",
         {"-Command", "Get-FileHash 'C:\\in\\Q (1) & more.txt'"}, ""},
        {"an apostrophe in the code of PowerShell named without its extension",
         powershell.substr(0, powershell.size() - 4), psCode, "/pub/a.txt", "C:\\in\\a';" + other + ";'.txt", {}, ""},
        {"a harmless name for PowerShell named without its extension", powershell.substr(0, powershell.size() - 4),
         psCode, "/pub/a.txt", "C:\\in\\a (1).txt", {"-Command", "Get-FileHash 'C:\\in\\a (1).txt'"}, ""},
        {"an apostrophe after -File", powershell, "-File C:\\s.ps1 \"%LOCAL_FILE_PATH%\"", "/pub/a.txt",
         "C:\\in\\a';x;'.txt", {"-File", "C:\\s.ps1", "C:\\in\\a';x;'.txt"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(m_logs.recorder.c_str());
        DeleteFileA(m_logs.batch.c_str());
        StoreTweaks(kGlobalSetName, {{c.exe, c.parameters}});
        // The host's script takes a quoted argument whole; no quote needs doubling here.
        Host({"create 1 Work", "download 1 0 \"" + c.remote + "\" \"" + c.local + "\""});
        const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
        if (c.programArgs.empty()) {
            EXPECT_TRUE(runs.empty()) << (runs.empty() ? "" : runs[0].commandLine);
        } else {
            ASSERT_EQ(1u, runs.size());
            EXPECT_EQ(c.programArgs, runs[0].args) << runs[0].commandLine;
        }
        EXPECT_EQ(c.batchLine, ReadFile(m_logs.batch));
    }
    DeleteFileA(other.c_str());
    RemoveDirectoryA(injectedFolder.c_str());
}

// The guard against real readers: a hostile alphabet in both names, through a program started
// directly (its path quoted, and unquoted), through cmd.exe /c, and through a .cmd shim that hands
// %* to a program. Every program that starts gets both paths whole; every tweak that does not
// start is in the run record as refused by the guard. A program is refused only what would
// change its arguments.
TEST_F(TweakRunWine, EveryRoadGivesThePathsWholeOrRefusesTheLine) {
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string direct = m_folder.Copy(m_recorder, "Direct.exe");
    const std::string unquoted = m_folder.Copy(m_recorder, "Unquoted.exe");
    const std::string viaCmd = m_folder.Copy(m_recorder, "ViaCmd.exe");
    const std::string viaShim = m_folder.Copy(m_recorder, "ShimTarget.exe");
    const std::string shim = m_folder.Copy(wine::SourcePath("tests\\fixtures\\ForwardArgs.cmd"));
    const std::string both = "\"%REMOTE_FILE_PATH%\" \"%LOCAL_FILE_PATH%\"";
    StoreTweaks(kGlobalSetName, {{direct, both},
                                 {unquoted, "%REMOTE_FILE_PATH% %LOCAL_FILE_PATH%"},
                                 {std::string(system) + "\\cmd.exe", "/c \"\"" + viaCmd + "\" " + both + "\""},
                                 {shim, both}});
    const std::string roads[] = {direct, unquoted, viaCmd, viaShim};
    std::vector<std::pair<std::string, std::string>> names;  // remote, local
    for (const char* c : {"&", "|", "<", ">", "^", "(", ")", "%", "!", "'", "\"", "\\", ",", ";", "=", "$", "[",
                          "]", " ", "\t", "\x82", "\x91", "\x92", "\x93", "\x94", "\x96", "\xA0", "\xFF"}) {
        names.emplace_back(std::string("/pub/a") + c + " x.txt", std::string("C:\\in\\a") + c + "b.txt");
    }
    names.emplace_back("/pub/dir\\", "C:\\in\\x -delete --plugin=evil.txt");
    const auto doubled = [](std::string text) {
        for (size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 2)) text.insert(at, "\"");
        return text;
    };
    // A few transfers per host, each host well within its time.
    for (size_t first = 0; first < names.size(); first += 8) {
        std::vector<std::string> script = {"create 1 Work"};
        for (size_t k = first; k < std::min(first + 8, names.size()); ++k) {
            script.push_back("download 1 0 \"" + doubled(names[k].first) + "\" \"" + doubled(names[k].second) + "\"");
        }
        Host(script);
    }

    // The recorder writes a tab inside an argument as \t.
    const auto logged = [](std::string text) {
        for (size_t at = text.find('\t'); at != std::string::npos; at = text.find('\t', at)) text.replace(at, 1, "\\t");
        return text;
    };
    std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    const std::vector<std::vector<std::string>> records = History();
    ASSERT_EQ(names.size() * 4, records.size());
    for (size_t k = 0; k < names.size(); ++k) {
        const std::vector<std::string> expected = {logged(names[k].first), logged(names[k].second)};
        for (size_t t = 0; t < 4; ++t) {
            const std::vector<std::string>& record = records[k * 4 + t];
            SCOPED_TRACE("tweak " + std::to_string(t) + " <- " + names[k].second + " | " + names[k].first);
            const auto run = std::find_if(runs.begin(), runs.end(), [&](const RecordedRun& r) {
                return r.exe == roads[t] && r.args == expected;
            });
            if (record[7] == "exit") {
                EXPECT_NE(runs.end(), run) << "started, but not with both paths whole";
                if (run != runs.end()) runs.erase(run);
            } else {
                EXPECT_EQ((std::vector<std::string>{"skipped", "unsafe-path"}),
                          std::vector<std::string>(record.begin() + 7, record.begin() + 9));
            }
            // Started directly, a program is refused only a quote or a backslash before one, and a
            // control character or a wildcard (< >) in the server's path.
            const bool refused = names[k].first.back() == '\\' || names[k].first.find_first_of("\t<>") != std::string::npos ||
                                 (names[k].first + names[k].second).find('"') != std::string::npos;
            if (t == 0) {
                EXPECT_EQ(!refused, record[7] == "exit");
            }
        }
    }
    for (const RecordedRun& run : runs) ADD_FAILURE() << "a run no tweak promised: " << run.commandLine;
}

// The host's file dialogs move its current folder anywhere, a download folder among them: a
// program named without a folder never comes from there, nor one named ".\name".
TEST_F(TweakRunWine, ABareProgramNameStartsTheSystemsProgramNotOnePlantedInTheCurrentFolder) {
    wine::TempFolder planted{"Planted Downloads"};
    planted.Copy(m_recorder, "xcopy.exe");
    wine::TempFolder received{"Received"};
    const std::string source = received.Write("report.txt", "the report");
    const std::string target = m_folder.Path() + "copied\\";
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(planted.Path().c_str()));

    StoreTweaks(kGlobalSetName, {{"xcopy", "\"%LOCAL_FILE_PATH%\" \"" + target + "\" /Y /Q /I"}});
    Host({"create 1 Work", "download 1 0 /pub/report.txt \"" + source + "\""});
    EXPECT_TRUE(ReadRuns(m_logs.recorder).empty());
    EXPECT_EQ("the report", ReadFile(target + "report.txt"));

    StoreTweaks(kGlobalSetName, {{".\\xcopy", "\"%LOCAL_FILE_PATH%\""}});
    Host({"create 1 Work", "download 1 0 /pub/report.txt \"" + source + "\""});
    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);

    // A batch tweak that calls xcopy starts in its own folder, so the planted xcopy.bat in the
    // host's current folder is not run, also by Wine's (8.0) cmd.exe, which ignores the
    // NoDefaultCurrentDirectoryInExePath of its environment.
    const std::string log = m_folder.Path() + "xcopy.log";
    DeleteFileA((planted.Path() + "xcopy.exe").c_str());
    planted.Write("xcopy.bat", "@>>\"" + log + "\" echo planted xcopy.bat\r\n");
    DeleteFileA((target + "report.txt").c_str());
    StoreTweaks(kGlobalSetName, {{m_folder.Write("CopyReport.bat", "@echo off\r\n>>\"" + log +
                                                     "\" set NoDefaultCurrentDirectoryInExePath\r\n"
                                                     "xcopy \"%TREVANEL_LOCAL_FILE_PATH%\" \"" + target + "\" /Y /Q /I\r\n"),
                                  ""}});
    Host({"create 1 Work", "download 1 0 /pub/report.txt \"" + source + "\""});
    SetCurrentDirectoryA(previous);
    EXPECT_EQ("NoDefaultCurrentDirectoryInExePath=1\r\n", ReadFile(log));
    EXPECT_EQ("the report", ReadFile(target + "report.txt"));
    EXPECT_TRUE(runs.empty());
    DeleteFileA((target + "report.txt").c_str());
    RemoveDirectoryA(target.c_str());
}

TEST_F(TweakRunWine, ProfileWithoutItsOwnConfigurationRunsTheGlobalTweaks) {
    StoreTweaks(kGlobalSetName, {{m_recorder, "global"}});
    StoreTweaks("Alpha", {{m_recorder, "alpha"}});
    StoreTweaks("Empty", {});
    Host({"create 1 Gamma", "create 2 ALPHA", "create 3 Empty", "create 4 @null",
          "download 1 0 /r C:\\l", "download 2 0 /r C:\\l", "download 3 0 /r C:\\l",
          "download 4 0 /r C:\\l", "download 5 0 /r C:\\l"});

    std::vector<std::string> marks;
    for (const RecordedRun& run : ReadRuns(m_logs.recorder)) marks.push_back(run.args.empty() ? "" : run.args[0]);
    EXPECT_EQ((std::vector<std::string>{"global", "alpha", "global"}), marks);
}

// In this process, so that the moment the export returns can be compared with the programs' end.
TEST_F(TweakRunWine, TransferExportReturnsOnlyAfterTheLastProgramEnded) {
    StoreTweaks("Work", {{m_recorder, "one --sleep-ms=200"}, {m_recorder, "two --sleep-ms=300"}});
    ASSERT_NE(nullptr, m_addon.Load());
    auto create = m_addon.Export<void(WINAPI*)(void*, const char*)>(5);
    auto download = m_addon.Export<int(WINAPI*)(void*, int, const char*, const char*, UINT)>(6);
    auto destroy = m_addon.Export<void(WINAPI*)(void*)>(8);
    ASSERT_TRUE(create && download && destroy);

    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(m_folder.Path().c_str());
    create(reinterpret_cast<void*>(0x1234), "Work");
    const unsigned long long before = Now();
    EXPECT_EQ(0, download(reinterpret_cast<void*>(0x1234), 0, "/r.txt", "C:\\l.txt", 0));
    const unsigned long long after = Now();
    destroy(reinterpret_cast<void*>(0x1234));
    SetCurrentDirectoryA(previous);
    m_addon.Unload();

    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(2u, runs.size());
    EXPECT_GT(runs[0].start, before);
    EXPECT_GT(runs[1].start, runs[0].end);
    EXPECT_GE(after, runs[1].end);
}

// A program and a batch file start in their own folders, as a double-click in Explorer starts
// them, not in the host's current folder, where its dialogs last went; a program named relative
// to that folder ("..\") starts not at all.
TEST_F(TweakRunWine, EveryTweakStartsInItsOwnFolder) {
    wine::TempFolder downloads{"Downloads"};
    wine::TempFolder tools{"Batch Tools"};
    const std::string log = m_folder.Path() + "cd.log";
    const std::string batch = tools.Write("WhereAmI.bat", "@>>\"" + log + "\" echo %CD%\r\n");
    const std::string toolsName = tools.Path().substr(0, tools.Path().size() - 1);
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(downloads.Path().c_str()));
    StoreTweaks(kGlobalSetName, {{m_recorder, ""}, {batch, ""},
                                 {"..\\" + toolsName.substr(toolsName.find_last_of('\\') + 1) + "\\WhereAmI.bat", ""}});
    Host({"create 1 Work", "download 1 0 /pub/report.txt \"" + downloads.Path() + "report.txt\""});
    SetCurrentDirectoryA(previous);

    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(m_folder.Path().substr(0, m_folder.Path().size() - 1), runs[0].cwd);
    EXPECT_EQ(toolsName + "\r\n", ReadFile(log));
}

// Writes a shortcut to target with arguments of its own, as Explorer does; false when the shell cannot.
bool SaveShortcut(const std::string& path, const std::string& target, const std::string& arguments) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkA* link = nullptr;
    bool saved = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        const std::wstring wide(path.begin(), path.end());
        saved = SUCCEEDED(link->SetPath(target.c_str())) && SUCCEEDED(link->SetArguments(arguments.c_str())) &&
                SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                SUCCEEDED(file->Save(wide.c_str(), TRUE));
        if (file) file->Release();
        link->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return saved;
}

// A shortcut to a program takes the names the program takes (every kind's rules at once refused
// blanks, quotes and accents). Wine's shell hands the target the line after the shortcut's own
// arguments.
TEST_F(TweakRunWine, AShortcutToAProgramTakesTheNamesTheProgramTakes) {
    const std::string plain = m_folder.Path() + "Recorder.lnk";
    const std::string own = m_folder.Path() + "Recorder Own.lnk";
    ASSERT_TRUE(SaveShortcut(plain, m_recorder, ""));
    ASSERT_TRUE(SaveShortcut(own, m_recorder, "--own"));
    StoreTweaks(kGlobalSetName, {{plain, "\"%LOCAL_FILE_PATH%\""}, {own, "\"%LOCAL_FILE_PATH%\""}});
    const char* const names[] = {"C:\\in\\Quarter 3 report.txt", "C:\\in\\O'Brien.txt", "C:\\in\\M\xfcller.txt"};
    std::vector<std::string> script = {"create 1 Work"};
    for (const char* name : names) script.push_back("download 1 0 /pub/a.txt \"" + std::string(name) + "\"");
    Host(script);

    // The shell starts a shortcut's target without handing back a process (no-process), so no
    // run is waited for: the programs log when they get to it.
    std::vector<RecordedRun> runs;
    for (int tries = 0; tries < 100 && runs.size() < 6; ++tries, Sleep(100)) runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(6u, runs.size());
    for (const char* name : names) {
        for (const std::vector<std::string>& args : {std::vector<std::string>{name},
                                                     std::vector<std::string>{"--own", name}}) {
            EXPECT_NE(runs.end(), std::find_if(runs.begin(), runs.end(), [&](const RecordedRun& run) {
                return run.args == args;
            })) << args.back();
        }
    }
}

// The variables every started program finds, as Recorder.exe logged them beside its log.
std::vector<std::map<std::string, std::string>> ReadEnvironments(const std::string& logPath) {
    std::vector<std::map<std::string, std::string>> runs;
    for (const std::string& line : Split(ReadFile(logPath + ".env"), "\r\n")) {
        if (line.empty()) continue;
        std::map<std::string, std::string> variables;
        for (const std::string& field : Split(line, "\t")) {
            const size_t equals = field.find('=');
            if (equals != std::string::npos) variables[field.substr(0, equals)] = field.substr(equals + 1);
        }
        runs.push_back(variables);
    }
    return runs;
}

// The TREVANEL_ variables of this process, as NAME=VALUE.
std::vector<std::string> OwnTrevanelVariables() {
    std::vector<std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry != '\0'; entry += lstrlenA(entry) + 1) {
        if (_strnicmp(entry, "TREVANEL_", 9) == 0) variables.push_back(entry);
    }
    FreeEnvironmentStringsA(block);
    std::sort(variables.begin(), variables.end());
    return variables;
}

// In this process, so that its own environment can be read afterwards: two host threads transfer
// at the same time, a third session has no profile, and the host has a TREVANEL_PROFILE of its own.
TEST_F(TweakRunWine, EveryProgramFindsItsOwnTransferInItsEnvironmentAndTheHostKeepsItsOwn) {
    const std::string profile = "Work & 100%! \"x\"";
    StoreTweaks(kGlobalSetName, {{m_recorder, "", 0x40}});
    StoreTweaks(profile, {{m_recorder, ""}, {m_recorder, "--sleep-ms=20"}});
    ASSERT_NE(nullptr, m_addon.Load());
    auto create = m_addon.Export<void(WINAPI*)(void*, const char*)>(5);
    auto download = m_addon.Export<int(WINAPI*)(void*, int, const char*, const char*, UINT)>(6);
    auto destroy = m_addon.Export<void(WINAPI*)(void*)>(8);
    ASSERT_TRUE(create && download && destroy);
    SetEnvironmentVariableA("TREVANEL_PROFILE", "the host's own");
    const std::vector<std::string> before = OwnTrevanelVariables();

    const std::map<std::string, std::string> transfers[] = {
        {{"TREVANEL_LOCAL_FILE_PATH", "C:\\in\\100% Q&A (1) Hi! a^b.txt"},
         {"TREVANEL_REMOTE_FILE_PATH", "/pub/say \"hi\" 100% & ^!.txt"},
         {"TREVANEL_TRANSFER", "download"}, {"TREVANEL_PROFILE", profile}},
        {{"TREVANEL_LOCAL_FILE_PATH", "C:\\in\\%PATH%!OS!^&|.txt"},
         {"TREVANEL_REMOTE_FILE_PATH", "/pub/\"%PATH%\".txt"},
         {"TREVANEL_TRANSFER", "upload"}, {"TREVANEL_PROFILE", profile}},
        {{"TREVANEL_LOCAL_FILE_PATH", "C:\\in\\plain.txt"}, {"TREVANEL_REMOTE_FILE_PATH", "/pub/plain.txt"},
         {"TREVANEL_TRANSFER", "6"}, {"TREVANEL_PROFILE", ""}},
    };
    create(reinterpret_cast<void*>(1), profile.c_str());
    create(reinterpret_cast<void*>(2), profile.c_str());
    create(reinterpret_cast<void*>(3), nullptr);
    const int kRounds = 4;
    auto play = [&](int session, int type) {
        const auto& t = transfers[session - 1];
        for (int round = 0; round < kRounds; ++round) {
            download(reinterpret_cast<void*>(static_cast<intptr_t>(session)), type,
                     t.at("TREVANEL_REMOTE_FILE_PATH").c_str(), t.at("TREVANEL_LOCAL_FILE_PATH").c_str(), 0);
        }
    };
    std::thread first(play, 1, 0);
    std::thread second(play, 2, 4);
    first.join();
    second.join();
    download(reinterpret_cast<void*>(3), 6, "/pub/plain.txt", "C:\\in\\plain.txt", 0);
    for (intptr_t session : {1, 2, 3}) destroy(reinterpret_cast<void*>(session));
    m_addon.Unload();

    EXPECT_EQ(before, OwnTrevanelVariables());
    SetEnvironmentVariableA("TREVANEL_PROFILE", nullptr);
    std::map<std::string, int> seen;
    for (auto variables : ReadEnvironments(m_logs.recorder)) {
        // The four; other TREVANEL_ variables (the logs', the test run's) come from this process.
        for (auto it = variables.begin(); it != variables.end();)
            it = transfers[0].count(it->first) ? std::next(it) : variables.erase(it);
        const auto* match = std::find(std::begin(transfers), std::end(transfers), variables);
        std::string found;
        for (const auto& [name, value] : variables) found += name + "=" + value + "\n";
        ASSERT_NE(std::end(transfers), match) << found;
        ++seen[match->at("TREVANEL_TRANSFER")];
    }
    EXPECT_EQ((std::map<std::string, int>{{"download", 2 * kRounds}, {"upload", 2 * kRounds}, {"6", 1}}), seen);
}

std::string Variable(const char* name) {
    char value[256];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND ? "(unset)" : std::string(value, length);
}

// How the launcher lends the process's environment to a start: nested starts on one thread, a
// second thread that waits for its turn and meanwhile answers what is sent to its window, and a
// wait that gives up.
TEST(ProcessEnvironmentWine, StartsTakeTurnsWithoutHangingAndPutTheHostsValuesBack) {
    const char* const name = "TREVANEL_TRANSFER";
    SetEnvironmentVariableA(name, "the host's own");
    {
        std::optional<ScopedProcessEnvironment> outer;
        outer.emplace(std::vector<EnvironmentVariable>{{name, "outer"}}, 0);
        ASSERT_TRUE(outer->Ready());
        {
            // The shell call re-entering the add-on on the same thread: no wait.
            ScopedProcessEnvironment inner({{name, "inner"}}, 0);
            ASSERT_TRUE(inner.Ready());
            EXPECT_EQ("inner", Variable(name));
        }
        EXPECT_EQ("outer", Variable(name));

        HWND window = nullptr;
        HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::string seen;
        std::thread other([&] {
            window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            SetEvent(created);
            ScopedProcessEnvironment later({{name, "other thread"}}, 20000);
            seen = later.Ready() ? Variable(name) : "not ready";
            DestroyWindow(window);
        });
        WaitForSingleObject(created, INFINITE);
        // Its turn has not come; what the shell on this thread sends it is still answered.
        Sleep(100);
        DWORD_PTR answer = 0;
        EXPECT_NE(0, SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &answer));
        std::thread impatient([&] {
            ScopedProcessEnvironment gaveUp({{name, "gave up"}}, 200);
            EXPECT_FALSE(gaveUp.Ready());
        });
        impatient.join();
        EXPECT_EQ("outer", Variable(name));
        EXPECT_EQ("", seen);
        // The turn passes on when the outer start ends.
        outer.reset();
        other.join();
        EXPECT_EQ("other thread", seen);
        CloseHandle(created);
    }
    EXPECT_EQ("the host's own", Variable(name));
    SetEnvironmentVariableA(name, nullptr);
}

// One transfer that runs ten tweaks against ten launches of the same program done here directly:
// the add-on's own cost per tweak, from the registry-loaded set to the closed handle.
TEST_F(TweakRunWine, TenTweaksCostAboutAsMuchAsTenDirectLaunches) {
    StoreTweaks("Work", std::vector<Tweak>(10, Tweak{m_recorder, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\""}));
    ASSERT_NE(nullptr, m_addon.Load());
    auto create = m_addon.Export<void(WINAPI*)(void*, const char*)>(5);
    auto download = m_addon.Export<int(WINAPI*)(void*, int, const char*, const char*, UINT)>(6);
    ASSERT_TRUE(create && download);
    create(reinterpret_cast<void*>(1), "Work");

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const auto milliseconds = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
        return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    // One round of each first, so that neither pays for loading the program the first time; then
    // the best of three alternating rounds, so that a busy machine does not decide the ratio.
    download(reinterpret_cast<void*>(1), 0, "/pub/a.txt", "C:\\in\\a.txt", 0);
    double tweaksMs = 1e12;
    double directMs = 1e12;
    for (int round = 0; round < 3; ++round) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        download(reinterpret_cast<void*>(1), 0, "/pub/a.txt", "C:\\in\\a.txt", 0);
        QueryPerformanceCounter(&t1);
        for (int i = 0; i < 10; ++i) {
            SHELLEXECUTEINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
            info.lpVerb = "open";
            info.lpFile = m_recorder.c_str();
            info.lpParameters = "\"C:\\in\\a.txt\" \"/pub/a.txt\"";
            info.nShow = SW_HIDE;
            ASSERT_TRUE(ShellExecuteExA(&info));
            WaitForSingleObject(info.hProcess, INFINITE);
            CloseHandle(info.hProcess);
        }
        QueryPerformanceCounter(&t2);
        tweaksMs = std::min(tweaksMs, milliseconds(t0, t1));
        directMs = std::min(directMs, milliseconds(t1, t2));
    }
    m_addon.Unload();

    EXPECT_EQ(70u, ReadRuns(m_logs.recorder).size());
    std::printf("ten tweaks: %.1f ms, ten direct launches: %.1f ms, ratio %.3f\n", tweaksMs, directMs,
                tweaksMs / directMs);
    RecordProperty("tweaks_ms", std::to_string(tweaksMs));
    RecordProperty("direct_ms", std::to_string(directMs));
    EXPECT_LT(tweaksMs, directMs * 2);
}

// Every outcome a record can hold, after one download through the host stand-in, in list order.
TEST_F(TweakRunWine, TheRunRecordHoldsWhatEachTweakDidAndWhyOneDidNot) {
    Tweak disabled{m_recorder, "disabled"};
    disabled.enabled = 0;
    // A file that is no program, which the shell cannot start; a program path with a typo.
    StoreTweaks("Rec", {{m_recorder, "--exit-code=0 \"%LOCAL_FILE_PATH%\""},
                        {m_recorder, "--exit-code=7 --sleep-ms=100"},
                        {m_folder.Write("broken.exe", "no program"), ""},
                        disabled,
                        {m_recorder, "pdf", 0x01, "*.pdf"},
                        {m_recorder, "upload-only", 0x10},
                        {"C:\\windows\\system32\\cmd.exe", "/c copy %LOCAL_FILE_PATH% D:\\b"},
                        {"C:\\windows\\system32\\atrib.exe", ""}});
    Host({"create 1 Rec", "download 1 0 \"/pub/a&b.txt\" \"C:\\in\\a&b.txt\""});
    ASSERT_EQ(2u, ReadRuns(m_logs.recorder).size());

    const std::vector<std::vector<std::string>> records = History();
    // index, outcome, detail
    const std::vector<std::vector<std::string>> expected = {
        {"0", "exit", "0"},         {"1", "exit", "7"},      {"2", "not-started", "193"},
        {"3", "skipped", "disabled"}, {"4", "skipped", "filter"}, {"5", "skipped", "type"},
        {"6", "skipped", "unsafe-path"}, {"7", "skipped", "program-not-found"}};
    ASSERT_EQ(expected.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const std::vector<std::string>& r = records[i];
        ASSERT_EQ(13u, r.size());
        EXPECT_EQ(records[0][0], r[0]) << "one transfer, one time";
        EXPECT_EQ((std::vector<std::string>{"Rec", "0", "C:\\\\in\\\\a&b.txt", "/pub/a&b.txt", expected[i][0],
                                            "Tweak " + expected[i][0], expected[i][1], expected[i][2]}),
                  std::vector<std::string>(r.begin() + 1, r.begin() + 9));
        // A run time for what ran, nothing for the rest; never marked as ZTTrevanelCtl's.
        EXPECT_EQ(r[7] == "exit", !r[9].empty() && r[9].find_first_not_of("0123456789") == std::string::npos) << r[9];
        EXPECT_EQ("", r[10]);
        EXPECT_EQ("download", r[11]);
        // Why a tweak did not start: the guard's or the missing program's words, else nothing.
        const std::string reason = i == 7 ? "the program file does not exist: C:\\\\windows\\\\system32\\\\atrib.exe"
                                          : i == 6 ? r[12] : "";
        EXPECT_EQ(reason, r[12]);
    }
    unsigned year, month, day, hour, minute, second, ms;
    EXPECT_EQ(7, std::sscanf(records[0][0].c_str(), "%4u-%2u-%2u %2u:%2u:%2u.%3u", &year, &month, &day, &hour,
                             &minute, &second, &ms)) << records[0][0];
    EXPECT_EQ(23u, records[0][0].size());
    EXPECT_GE(std::stoul(records[1][9]), 100u);
    // The readable form marks the problems and gives the guard's reason.
    const wine::ProgramResult readable = wine::RunProgram(wine::ProgramPath("ZTTrevanelCtl.exe"), {"history", "--problems"});
    EXPECT_NE(std::string::npos, readable.output.find("  ! Tweak 01 \"Tweak 1\": exit code 7 after ")) << readable.output;
    EXPECT_NE(std::string::npos, readable.output.find("  ! Tweak 02 \"Tweak 2\": could not start: the file is no program that Windows can run (system error 193)\n"));
    EXPECT_NE(std::string::npos, readable.output.find("  ! Tweak 06 \"Tweak 6\": skipped (unsafe-path): "));
    EXPECT_NE(std::string::npos, readable.output.find("  ! Tweak 07 \"Tweak 7\": skipped (program-not-found): the program "
                                                      "file does not exist: C:\\windows\\system32\\atrib.exe\n"));
    EXPECT_NE(std::string::npos, readable.output.find("    Tweak 03 \"Tweak 3\": skipped (disabled)\n"));
}

// Two hosts play 500 transfers each at once: every record arrives whole, each on a line of its own.
TEST_F(TweakRunWine, TwoHostsAtOnceLeaveEveryRecordWhole) {
    Tweak disabled{m_recorder, "disabled"};
    disabled.enabled = 0;
    StoreTweaks(kGlobalSetName, {{m_recorder, "\"%LOCAL_FILE_PATH%\""}, disabled, {m_folder.Path() + "missing.exe", ""}});
    std::vector<std::string> scripts[2];
    for (int host = 0; host < 2; ++host) {
        scripts[host] = {"load", "create 1 Host" + std::to_string(host)};
        for (int i = 0; i < 500; ++i)
            scripts[host].push_back("download 1 0 /pub/f" + std::to_string(i) + ".txt C:\\in\\f" + std::to_string(i) + ".txt");
        scripts[host].push_back("unload");
    }
    wine::ProgramResult results[2];
    std::thread other([&] { results[1] = wine::RunHost(m_addon.Path(), scripts[1], 600000); });
    results[0] = wine::RunHost(m_addon.Path(), scripts[0], 600000);
    other.join();
    for (const wine::ProgramResult& result : results) ASSERT_EQ(0u, result.exitCode) << result.output;

    const std::string text = ReadFile(RunRecordFile(RunRecordFolder()));
    ASSERT_FALSE(text.empty());
    ASSERT_EQ('\n', text.back());
    std::map<std::string, int> perTweak;
    for (const std::string& line : Split(text.substr(0, text.size() - 1), "\n")) {
        const std::vector<std::string> fields = Split(line, "\t");
        ASSERT_EQ(12u, fields.size()) << line;
        ++perTweak[fields[5] + " " + fields[7]];
    }
    EXPECT_EQ((std::map<std::string, int>{{"0 exit", 1000}, {"1 skipped", 1000}, {"2 skipped", 1000}}), perTweak);
    EXPECT_EQ(3000u, History().size());
}

// A record that cannot be written (its folder's name is taken by a file) changes nothing that the
// host or the tweaks see.
TEST_F(TweakRunWine, ARecordThatCannotBeWrittenChangesNothingElse) {
    StoreTweaks(kGlobalSetName, {{m_recorder, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\""},
                                 {m_folder.Path() + "missing.exe", ""}});
    const std::vector<std::string> script = {"create 1 Work", "download 1 0 /pub/a.txt C:\\in\\a.txt",
                                             "upload 1 4 C:\\out\\b.txt /pub/b.txt", "destroy 1"};
    ASSERT_EQ(0, RegSetKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue, REG_DWORD,
                                 "\0\0\0\0", 4));
    const std::string unrecorded = Host(script);
    const std::vector<RecordedRun> runsUnrecorded = ReadRuns(m_logs.recorder);
    EXPECT_EQ("", ReadFile(RunRecordFile(RunRecordFolder())));
    DeleteFileA(m_logs.recorder.c_str());

    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue);
    const std::string folder = RunRecordFolder();
    CreateDirectoryA(folder.substr(0, folder.find_last_of('\\')).c_str(), nullptr);
    RemoveDirectoryA(folder.c_str());
    wine::TempFolder scratch{"Record Blocker"};
    ASSERT_TRUE(CopyFileA(scratch.Write("blocker", "not a folder").c_str(), folder.c_str(), FALSE));
    const std::string blocked = Host(script);
    const std::vector<RecordedRun> runsBlocked = ReadRuns(m_logs.recorder);
    DeleteFileA(folder.c_str());

    EXPECT_EQ(unrecorded, blocked);
    ASSERT_EQ(2u, runsBlocked.size());
    ASSERT_EQ(runsUnrecorded.size(), runsBlocked.size());
    for (size_t i = 0; i < runsBlocked.size(); ++i) EXPECT_EQ(runsUnrecorded[i].args, runsBlocked[i].args);
}

// A tweak that never ends: after the delay the add-on's window shows, without taking the focus,
// and "Beenden" ends the program; the transfer export then returns and the record says so.
TEST_F(TweakRunWine, ALongTweakShowsTheWaitWindowAndBeendenEndsIt) {
    StoreTweaks("Work", {{m_recorder, "never --sleep-ms=600000"}, {m_recorder, "next"}});
    ASSERT_EQ(0, RegSetKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kWaitWindowDelayValue, REG_DWORD,
                                 "\1\0\0\0", 4));
    ASSERT_NE(nullptr, m_addon.Load());
    auto create = m_addon.Export<void(WINAPI*)(void*, const char*)>(5);
    auto download = m_addon.Export<int(WINAPI*)(void*, int, const char*, const char*, UINT)>(6);
    auto destroy = m_addon.Export<void(WINAPI*)(void*)>(8);
    ASSERT_TRUE(create && download && destroy);
    create(reinterpret_cast<void*>(0x1234), "Work");
    int result = -1;
    const unsigned long long started = Now();
    std::thread transfer([&] { result = download(reinterpret_cast<void*>(0x1234), 0, "/pub/big.iso", "C:\\in\\big.iso", 0); });

    HWND window = wine::WaitForVisibleWindow(kWaitWindowClass, "FTP Zorvant Trevanel Add-On", 15000);
    const unsigned long long shown = Now();
    EXPECT_NE(nullptr, window);
    if (window) {
        EXPECT_GE(shown - started, 10000000ull);  // one second, in 100 ns
        EXPECT_NE(window, GetForegroundWindow());
        EXPECT_NE(nullptr, FindWindowExA(window, nullptr, "Static", "Datei: C:\\in\\big.iso"));
        Sleep(1200);  // the running time has counted on
        EXPECT_EQ("", wine::CaptureWindow(window, wine::ScreenshotFolder() + "/wait-window.png"));
        HWND end = FindWindowExA(window, nullptr, "Button", "Beenden");
        ASSERT_NE(nullptr, end);
        PostMessageA(end, BM_CLICK, 0, 0);
    }
    transfer.join();
    destroy(reinterpret_cast<void*>(0x1234));
    m_addon.Unload();

    EXPECT_EQ(0, result);
    EXPECT_EQ(nullptr, FindWindowA(kWaitWindowClass, nullptr));
    // The next tweak ran; the ended one never wrote its line.
    const std::vector<RecordedRun> runs = ReadRuns(m_logs.recorder);
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(std::vector<std::string>{"next"}, runs[0].args);
    const std::vector<std::vector<std::string>> records = History();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("ended-by-user", records[0].at(7));
    const wine::ProgramResult text = wine::RunProgram(wine::ProgramPath("ZTTrevanelCtl.exe"), {"history"});
    EXPECT_NE(std::string::npos, text.output.find("\"Tweak 0\": ended by the user after ")) << text.output;
}

// "Exit 3, then a recorder" with the stop switch runs only the first; a never-ending tweak with a
// 2 s limit is ended and the next one runs; the failed transfer's notice shows without the focus
// and goes at a click.
TEST_F(TweakRunWine, AFailureStopsTheChainWhereItSaysSoATimeLimitEndsTheProgramAndANoticeTellsOfIt) {
    Tweak failing{m_recorder, "--exit-code=3"};
    failing.stopOnFailure = 1;
    Tweak never{m_recorder, "never --sleep-ms=600000"};
    never.timeLimit = 2;
    StoreTweaks("Chain", {failing, {m_recorder, "second"}});
    StoreTweaks("Limit", {never, {m_recorder, "after"}});
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kFailureNoticeValue);
    ASSERT_NE(nullptr, m_addon.Load());
    auto create = m_addon.Export<void(WINAPI*)(void*, const char*)>(5);
    auto download = m_addon.Export<int(WINAPI*)(void*, int, const char*, const char*, UINT)>(6);
    auto destroy = m_addon.Export<void(WINAPI*)(void*)>(8);
    ASSERT_TRUE(create && download && destroy);
    create(reinterpret_cast<void*>(1), "Chain");
    create(reinterpret_cast<void*>(2), "Limit");
    EXPECT_EQ(0, download(reinterpret_cast<void*>(1), 0, "/pub/a.txt", "C:\\in\\a.txt", 0));
    const unsigned long long started = Now();
    EXPECT_EQ(0, download(reinterpret_cast<void*>(2), 0, "/pub/big.iso", "C:\\in\\big.iso", 0));
    const unsigned long long took = Now() - started;
    EXPECT_GE(took, 20000000ull);   // 2 s, in 100 ns
    EXPECT_LT(took, 200000000ull);  // not the program's 600 s

    // One notice on the screen, the newer transfer's in place of the first's.
    HWND notice = wine::WaitForVisibleWindow(kNoticeWindowClass, "FTP Zorvant Trevanel Add-On: Hilfsprogramm fehlgeschlagen", 5000);
    ASSERT_NE(nullptr, notice);
    EXPECT_NE(notice, GetForegroundWindow());
    // The newer text arrives on the notice's own thread.
    const auto shows = [&](const char* text) {
        for (int i = 0; i < 50 && !FindWindowExA(notice, nullptr, "Static", text); ++i) Sleep(100);
        return FindWindowExA(notice, nullptr, "Static", text) != nullptr;
    };
    EXPECT_TRUE(shows("Datei: C:\\in\\big.iso"));
    EXPECT_TRUE(shows("nach dem Zeitlimit von 2 s beendet"));
    EXPECT_TRUE(shows("Das Hilfsprogramm \"Tweak 0\" ist nach der \xDC" "bertragung fehlgeschlagen."));
    EXPECT_EQ("", wine::CaptureWindow(notice, wine::ScreenshotFolder() + "/failure-notice.png"));
    PostMessageA(notice, WM_LBUTTONUP, 0, 0);
    for (int i = 0; i < 50 && IsWindow(notice); ++i) Sleep(100);
    EXPECT_FALSE(IsWindow(notice));
    destroy(reinterpret_cast<void*>(1));
    destroy(reinterpret_cast<void*>(2));
    m_addon.Unload();

    std::vector<std::vector<std::string>> ran;
    for (const RecordedRun& run : ReadRuns(m_logs.recorder)) ran.push_back(run.args);
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"--exit-code=3"}, {"after"}}), ran);
    std::vector<std::string> outcomes;
    for (const std::vector<std::string>& r : History()) outcomes.push_back(r.at(7) + " " + r.at(8));
    EXPECT_EQ((std::vector<std::string>{"exit 3", "skipped earlier-failure", "time-limit 2", "exit 0"}), outcomes);
}

}  // namespace
