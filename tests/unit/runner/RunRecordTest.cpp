// The run record: what the runner's report leaves in the file for each outcome, how a record is
// cut, read back and rotated, and which sessions record.
#include <gtest/gtest.h>

#include "addon/TweakSession.h"
#include "config/AppBase.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryRegistry.h"
#include "runner/RunRecord.h"
#include "runner/RunRecorder.h"
#include "tests/common/StandIns.h"
#include "tests/unit/runner/TweakSetBuilder.h"

namespace {

using Outcome = MemoryLauncher::Outcome;

const char kFolder[] = "C:\\Users\\Tester\\AppData\\Local\\Tarku Software\\FTP Zorvant Trevanel";

class RunRecordTest : public testing::Test {
protected:
    std::string Log(const char* name = "Runs.log") {
        const std::vector<uint8_t> bytes = m_files.Get(std::string(kFolder) + "\\" + name);
        return std::string(bytes.begin(), bytes.end());
    }

    static void AddTweak(CTweakConfig& set, const std::string& name, const std::string& exe,
                         const std::string& parameters = "\"%LOCAL_FILE_PATH%\"", int32_t enabled = 1) {
        CTweakInfo* tweak = ::AddTweak(set, exe, parameters, TWEAK_APPLY_DOWNLOAD);
        tweak->m_strName = name;
        tweak->m_bEnabled = enabled;
    }

    MemoryLauncher m_launcher;
    MemoryRegistry m_registry;
    MemoryFileSystem m_files;
    MemoryClock m_clock;
    StandIns m_standIns{m_launcher, m_registry, m_files, m_clock};
    CAppBase m_app;
};

TEST_F(RunRecordTest, EachExaminedTweakLeavesOneLineWithItsOutcome) {
    m_launcher.SetExitCode("C:\\t\\seven.exe", 7);
    m_launcher.SetOutcome("C:\\t\\gone.exe", Outcome::Fails);
    m_launcher.SetOutcome("C:\\t\\viewer.exe", Outcome::SucceedsNoProcess);
    m_launcher.SetOnExecuteEx([&](const MemoryLauncher::ExecuteExCall&) { m_clock.Advance(25); });
    CTweakConfig set("M\xfcller");
    AddTweak(set, "Seven", "C:\\t\\seven.exe");
    AddTweak(set, "Gone", "C:\\t\\gone.exe");
    AddTweak(set, "Viewer", "C:\\t\\viewer.exe");
    AddTweak(set, "Off", "C:\\t\\seven.exe", "", 0);
    AddTweak(set, "Tab\there", "C:\\Windows\\System32\\cmd.exe", "/c copy %LOCAL_FILE_PATH% D:\\b");
    AddTweak(set, "Typo", "C:\\B\xfcro\\atrib.exe");
    m_files.RemoveFile("C:\\B\xfcro\\atrib.exe");
    CRunRecorder recorder(RunRecordFolder(), set.m_strProfile, 0, "C:\\in\\a&b.txt", "/pub/a&b.txt", false);
    set.RunTweaks(0, "C:\\in\\a&b.txt", "/pub/a&b.txt", &recorder);

    const std::string common = "2024-01-02 03:04:05.678\tM\xc3\xbcller\t0\tC:\\\\in\\\\a&b.txt\t/pub/a&b.txt\t";
    EXPECT_EQ(common + "0\tSeven\texit\t7\t25\t\t\n" +
              common + "1\tGone\tnot-started\t2\t\t\t\n" +
              common + "2\tViewer\tno-process\t\t\t\t\n" +
              common + "3\tOff\tskipped\tdisabled\t\t\t\n" +
              common + "4\tTab\\there\tskipped\tunsafe-path\t\t\tan unquoted path holds one of & | < > ^ ( ) "
                       "and the program is a batch file\n" +
              common + "5\tTypo\tskipped\tprogram-not-found\t\t\tthe program file does not exist: "
                       "C:\\\\B\xc3\xbcro\\\\atrib.exe\n",
              Log());
    const std::vector<RunRecord> records = ReadRunRecords(kFolder);
    ASSERT_EQ(6u, records.size());
    EXPECT_EQ("Tab\there", records[4].name);
    EXPECT_EQ((std::vector<bool>{true, true, false, false, true, true}),
              (std::vector<bool>{records[0].IsProblem(), records[1].IsProblem(), records[2].IsProblem(),
                                 records[3].IsProblem(), records[4].IsProblem(), records[5].IsProblem()}));
    RunRecord lostName;
    lostName.outcome = RunOutcome::Skipped;
    lostName.detail = VerdictName(TweakVerdict::WildcardPath);
    EXPECT_TRUE(lostName.IsProblem());
    lostName.detail = VerdictName(TweakVerdict::DevicePath);
    EXPECT_TRUE(lostName.IsProblem());

    // A transfer after which no set could be read leaves one record, a problem, with the reason.
    CRunRecorder unread(RunRecordFolder(), "Work", 0, "C:\\in\\b.txt", "/b.txt", false);
    unread.SetUnreadable();
    const std::vector<RunRecord> after = ReadRunRecords(kFolder);
    ASSERT_EQ(7u, after.size());
    EXPECT_EQ("set-unreadable", after[6].detail);
    EXPECT_TRUE(after[6].IsProblem());
    EXPECT_NE(std::string::npos, after[6].guardReason.find("the tweak set was read; nothing ran"));
}

TEST_F(RunRecordTest, ALongRecordIsCutToItsShareAndPartialLinesAreNotRecords) {
    RunRecord record;
    record.time = "2024-01-02 03:04:05.678";
    record.localPath = std::string(5000, '\\');
    record.remotePath = std::string(2000, 'r') + "\xc3\xbc";
    record.name = std::string(300, '\xe2');
    record.outcome = RunOutcome::Exit;
    record.detail = "0";
    record.duration = "12";
    // The guard's longest reason is kept whole.
    record.guardReason = DescribeRefusal(PathRefusal::CodeShape);
    const std::string line = FormatRecordLine(record);
    EXPECT_LE(line.size(), kMaxRecordLineBytes);
    RunRecord back;
    ASSERT_TRUE(ParseRecordLine(line.substr(0, line.size() - 1), &back));
    // Whole escapes and characters only, then the ellipsis.
    EXPECT_EQ(std::string(253, '\\') + "\xE2\x80\xA6", back.localPath);
    EXPECT_EQ(std::string(507, 'r') + "\xE2\x80\xA6", back.remotePath);
    EXPECT_EQ(record.guardReason, back.guardReason);
    EXPECT_EQ("0", back.detail);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        const std::string whole = line.substr(0, line.size() - 1);
        return std::string(whole).replace(whole.find(from), from.size(), to);
    };
    for (const std::string& broken : {line.substr(0, 30), std::string("x") + line, line.substr(0, line.find("\texit")),
                                      line.substr(0, line.rfind('\t')), replaced("\t\t0\t", "\t\t2147483648\t"),
                                      replaced("\texit\t", "\texited\t"), replaced(record.time, "2024-01-02 03:04:05")}) {
        EXPECT_FALSE(ParseRecordLine(broken, &back)) << broken;
    }
    // A record without its line feed (one being written) is not read.
    m_files.CreateFolders(kFolder);
    m_files.Put(std::string(kFolder) + "\\Runs.log", std::vector<uint8_t>(line.begin(), line.end() - 1));
    EXPECT_TRUE(ReadRunRecords(kFolder).empty());
}

TEST_F(RunRecordTest, AFullFileBecomesThePreviousOneAndBothAreRead) {
    RunRecord record;
    record.time = "2024-01-02 03:04:05.678";
    record.name = "old";
    const std::string line = FormatRecordLine(record);
    std::string full;
    while (full.size() + line.size() < kRotationBytes) full += line;
    m_files.Put(PreviousRunRecordFile(kFolder), {'x', '\n'});
    m_files.Put(RunRecordFile(kFolder), std::vector<uint8_t>(full.begin(), full.end()));
    record.name = "last of the old file";
    AppendRunRecord(kFolder, record);
    EXPECT_EQ("", Log());
    record.name = "new";
    AppendRunRecord(kFolder, record);
    const std::vector<RunRecord> records = ReadRunRecords(kFolder);
    ASSERT_GE(records.size(), kKeptRecords);
    EXPECT_EQ("last of the old file", records[records.size() - 2].name);
    EXPECT_EQ("new", records.back().name);
    EXPECT_EQ(FormatRecordLine(record), Log());
    EXPECT_TRUE(ClearRunRecord(kFolder));
    EXPECT_TRUE(ReadRunRecords(kFolder).empty());
}

TEST_F(RunRecordTest, TheSwitchIsReadWhenASessionIsCreatedAndABlockedFolderChangesNothing) {
    {
        CTweakConfig set(nullptr);
        AddTweak(set, "Sum", "C:\\t\\sum.exe");
        set.Save();
    }
    CTweakSession on(reinterpret_cast<void*>(1), nullptr);
    ASSERT_TRUE(SetRunRecordOn(false));
    CTweakSession off(reinterpret_cast<void*>(2), nullptr);
    off.OnFileDownloaded(0, "/a", "C:\\off.txt", 0);
    on.OnFileDownloaded(0, "/a", "C:\\on.txt", 0);
    const std::vector<RunRecord> records = ReadRunRecords(kFolder);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("C:\\on.txt", records[0].localPath);

    // The folder's name taken by a file: the tweak still starts, and nothing is written.
    ASSERT_TRUE(ClearRunRecord(kFolder));
    m_files.Put(kFolder, {});
    ASSERT_TRUE(SetRunRecordOn(true));
    CTweakSession blocked(reinterpret_cast<void*>(3), nullptr);
    blocked.OnFileDownloaded(0, "/a", "C:\\blocked.txt", 0);
    EXPECT_EQ(3u, m_launcher.ExecuteExCalls().size());
    EXPECT_TRUE(ReadRunRecords(kFolder).empty());
    EXPECT_EQ(0u, m_launcher.OpenHandleCount());
}

}  // namespace
