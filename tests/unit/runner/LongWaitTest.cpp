// The window for a tweak that runs long: when it shows, what it says, and what each of its
// buttons does to the run, on a clock the test moves.
#include <thread>

#include <gtest/gtest.h>

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "config/TweakConfig.h"
#include "platform/WinTypes.h"
#include "platform/headless/ResourceScript.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryModule.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemoryWaitService.h"
#include "runner/RunRecord.h"
#include "runner/RunRecorder.h"
#include "runner/TweakWait.h"
#include "tests/common/StandIns.h"
#include "tests/unit/runner/TweakSetBuilder.h"
#include "ui/WaitWindowText.h"

namespace {

using namespace std::chrono_literals;

const char* const kSlow = "C:\\T\\slow.exe";
const char* const kNext = "C:\\T\\next.exe";
const char* const kFolder = "C:\\Users\\Tester\\AppData\\Local\\Tarku Software\\FTP Zorvant Trevanel";
const std::string kSlowLine = "Das Hilfsprogramm \"Slow\" l\xE4uft noch. FTP Zorvant wartet, bis es beendet ist.";

class LongWaitTest : public testing::Test {
protected:
    void SetUp() override {
        ResourceScript script;
        ASSERT_TRUE(script.Load(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc")) << script.Error();
        m_module.SetStrings(script.Strings());
        SetWaitWindowTextMaker(&MakeWaitWindowText);
        AddTweak(m_config, kSlow)->m_strName = "Slow";
        AddTweak(m_config, kNext)->m_strName = "Next";
        m_launcher.HoldFile(kSlow);
    }
    void TearDown() override {
        m_launcher.ReleaseAll();
        if (m_run.joinable()) m_run.join();
        SetWaitWindowTextMaker(nullptr);
        EXPECT_EQ(0u, m_launcher.OpenHandleCount());
        EXPECT_TRUE(m_launcher.Misuses().empty());
    }

    void StartRun() {
        m_run = std::thread([this] {
            CRunRecorder recorder(kFolder, "Work", 0, "C:\\in\\a.txt", "/a.txt", false);
            m_config.RunTweaks(0, "C:\\in\\a.txt", "/a.txt", &recorder);
        });
    }
    // Moves the clock on and waits until the running tweak's wait has seen it.
    void Advance(uint64_t ms) {
        m_clock.Advance(ms);
        ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
    }
    std::vector<std::string> RecordedOutcomes() {
        std::vector<std::string> outcomes;
        for (const RunRecord& r : ReadRunRecords(kFolder))
            outcomes.push_back(r.name + " " + RunOutcomeName(r.outcome) + " " + r.duration);
        return outcomes;
    }

    MemoryLauncher m_launcher;
    MemoryRegistry m_registry;
    MemoryClock m_clock;
    MemoryFileSystem m_files;
    MemoryModule m_module;
    MemoryWaitService m_waits{m_launcher};
    StandIns m_standIns{m_launcher, m_registry, m_clock, m_files, m_module, m_waits};
    CAppBase m_app;
    CTweakConfig m_config{nullptr};
    std::thread m_run;
};

TEST_F(LongWaitTest, WindowShowsAfterTheDelayCountsTheSecondsAndGoesWhenTheTweakEnds) {
    StartRun();
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
    Advance(4999);
    EXPECT_TRUE(m_waits.OpenWindows().empty());
    Advance(1);
    ASSERT_EQ(1u, m_waits.OpenWindows().size());
    const WaitWindowText shown = m_waits.OpenWindows()[0];
    EXPECT_EQ("FTP Zorvant Trevanel Add-On", shown.caption);
    EXPECT_EQ(kSlowLine, shown.tweak);
    EXPECT_EQ("Datei: C:\\in\\a.txt", shown.file);
    // A name too long for the line's two rows is cut, so that the sentence's end stays in view.
    EXPECT_EQ("Das Hilfsprogramm \"" + std::string(47, 'n') + "\x85\" l\xE4uft noch. FTP Zorvant wartet, bis es beendet ist.",
              MakeWaitWindowText(std::string(85, 'n'), "C:\\a", 0).tweak);
    EXPECT_EQ("Das Hilfsprogramm \"" + std::string(48, 'n') + "\" l\xE4uft noch. FTP Zorvant wartet, bis es beendet ist.",
              MakeWaitWindowText(std::string(48, 'n'), "C:\\a", 0).tweak);
    EXPECT_EQ("Laufzeit: 0:05", shown.elapsed);
    EXPECT_EQ("Anzeigen|Nicht mehr warten|Beenden", shown.show + "|" + shown.stopWaiting + "|" + shown.end);
    Advance(1000);
    Advance(60000);
    EXPECT_EQ("Laufzeit: 1:06", m_waits.OpenWindows().at(0).elapsed);
    // Still waiting: the next tweak has not started.
    EXPECT_EQ(std::vector<std::string>{kSlow}, m_launcher.LaunchedFiles());

    m_launcher.ReleaseAll();
    m_run.join();
    EXPECT_TRUE(m_waits.OpenWindows().empty());
    EXPECT_EQ((std::vector<std::string>{"open " + kSlowLine, "close " + kSlowLine}), m_waits.Events());
    EXPECT_EQ((std::vector<std::string>{"Slow exit 66000", "Next exit 0"}), RecordedOutcomes());
}

// Each button, pressed once the window shows: what happens to the program and to the run.
TEST_F(LongWaitTest, EachButtonActsOnTheProgramAndTheRun) {
    struct Row {
        WaitChoice choice;
        bool slowRunsAfter;  // the slow program is still running once the run has ended
        const char* record;  // the slow tweak's record
    } rows[] = {
        {WaitChoice::StopWaiting, true, "Slow not-waited-for 7000"},
        {WaitChoice::End, false, "Slow ended-by-user 7000"},
    };
    for (const Row& row : rows) {
        ClearRunRecord(kFolder);
        StartRun();
        ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
        Advance(7000);
        ASSERT_TRUE(m_waits.Press(kSlowLine, row.choice));
        m_run.join();
        const auto calls = m_launcher.ExecuteExCalls();
        EXPECT_EQ(kNext, calls.back().file.value_or("")) << row.record;
        EXPECT_EQ(row.slowRunsAfter, m_launcher.IsRunning(calls[calls.size() - 2].process)) << row.record;
        EXPECT_TRUE(m_waits.OpenWindows().empty());
        EXPECT_EQ((std::vector<std::string>{row.record, "Next exit 0"}), RecordedOutcomes());
    }
    // Only "Beenden" ended a program, and only the slow one.
    std::vector<std::string> ended;
    for (const std::string& event : m_launcher.Events()) {
        if (event.rfind("terminate", 0) == 0) ended.push_back(event);
    }
    EXPECT_EQ(std::vector<std::string>{"terminate C:\\T\\slow.exe"}, ended);
}

// "Anzeigen" shows the program and the wait goes on; an end the system refuses leaves it waiting too.
TEST_F(LongWaitTest, ShowAndARefusedEndKeepWaiting) {
    m_waits.RefuseEnd();
    StartRun();
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
    Advance(5000);
    ASSERT_TRUE(m_waits.Press(kSlowLine, WaitChoice::Show));
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
    ASSERT_TRUE(m_waits.Press(kSlowLine, WaitChoice::End));
    Advance(1000);
    EXPECT_EQ(std::vector<std::string>{kSlow}, m_launcher.LaunchedFiles());
    EXPECT_EQ((std::vector<std::string>{"open " + kSlowLine, "show"}), m_waits.Events());
    m_launcher.ReleaseAll();
    m_run.join();
    EXPECT_EQ((std::vector<std::string>{"Slow exit 6000", "Next exit 0"}), RecordedOutcomes());
}

// The per-user value 0 never shows the window, nor is one there when the system cannot make it:
// the run waits as it always did.
TEST_F(LongWaitTest, NoWindowWhenTheDelayIsZeroOrTheWindowCannotBeMade) {
    WriteRegDword(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, 0);
    StartRun();
    ASSERT_EQ(kSlow, m_launcher.WaitForWaiter(5s).value_or("none"));
    m_clock.Advance(3600000);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(m_waits.Events().empty());
    EXPECT_EQ(std::vector<std::string>{kSlow}, m_launcher.LaunchedFiles());
    m_launcher.ReleaseAll();
    m_run.join();

    WriteRegDword(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, 5);
    m_waits.RefuseWindows();
    m_launcher.HoldFile(kSlow);
    StartRun();
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
    m_clock.Advance(5000);
    ASSERT_EQ(kSlow, m_launcher.WaitForWaiter(5s).value_or("none"));
    m_clock.Advance(3600000);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ((std::vector<std::string>{kSlow, kNext, kSlow}), m_launcher.LaunchedFiles());
}

// Two transfers on two threads: each waiting thread has its own window, and a button acts on its own.
TEST_F(LongWaitTest, EachWaitingThreadHasItsOwnWindow) {
    CTweakConfig other(nullptr);
    AddTweak(other, "C:\\T\\other.exe")->m_strName = "Other";
    m_launcher.HoldFile("C:\\T\\other.exe");
    StartRun();
    std::thread second([&] { other.RunTweaks(0, "C:\\in\\b.txt", "/b.txt"); });
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s, 2));
    m_clock.Advance(5000);
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s, 2));
    const std::vector<WaitWindowText> windows = m_waits.OpenWindows();
    ASSERT_EQ(2u, windows.size());
    EXPECT_NE(windows[0].file, windows[1].file);
    const std::string otherLine = windows[0].tweak == kSlowLine ? windows[1].tweak : windows[0].tweak;
    ASSERT_TRUE(m_waits.Press(otherLine, WaitChoice::End));
    second.join();
    ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
    ASSERT_EQ(1u, m_waits.OpenWindows().size());
    EXPECT_EQ(kSlowLine, m_waits.OpenWindows()[0].tweak);
}

// A time limit ends the program as "Beenden" does; a failure stops the tweaks after it only where
// the failed tweak says so, and only a failure does.
TEST_F(LongWaitTest, ATimeLimitEndsTheProgramAndAFailureStopsTheChainWhereTheTweakSaysSo) {
    m_launcher.SetExitCode("C:\\T\\three.exe", 3);
    m_launcher.SetOutcome("C:\\T\\gone.exe", MemoryLauncher::Outcome::Fails);
    const char* const kCmd = "C:\\Windows\\System32\\cmd.exe";
    struct Row {
        const char* exe;
        const char* parameters;
        uint32_t applyTo;
        uint32_t limit;
        int32_t stop;
        const char* first;  // outcome and detail of the first tweak and of the next
        const char* next;
    } rows[] = {
        {"C:\\T\\three.exe", "", 1, 0, 1, "exit 3", "skipped earlier-failure"},
        {"C:\\T\\three.exe", "", 1, 0, 0, "exit 3", "exit 0"},
        {"C:\\T\\gone.exe", "", 1, 0, 1, "not-started 2", "skipped earlier-failure"},
        {kCmd, "/c copy %LOCAL_FILE_PATH% D:\\b", 1, 0, 1, "skipped unsafe-path", "skipped earlier-failure"},
        {kSlow, "", 1, 2, 0, "time-limit 2", "exit 0"},
        {kSlow, "", 1, 2, 1, "time-limit 2", "skipped earlier-failure"},
        {kSlow, "", 1, 86401, 1, "exit 0", "exit 0"},
        {"C:\\T\\zero.exe", "", 1, 0, 1, "exit 0", "exit 0"},
        {"C:\\T\\zero.exe", "", TWEAK_APPLY_VIEW, 0, 1, "skipped type", "exit 0"},
    };
    for (const Row& row : rows) {
        // The window's delay of 5 s must not hold back a shorter limit.
        WriteRegDword(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, row.limit > kMaxTimeLimit ? 0 : 5);
        ClearRunRecord(kFolder);
        CTweakConfig set(nullptr);
        CTweakInfo* first = AddTweak(set, row.exe, row.parameters, row.applyTo);
        first->m_nTimeLimit = row.limit;
        first->m_bStopOnFailure = row.stop;
        // Two after it: a stopped chain stays stopped.
        AddTweak(set, kNext);
        AddTweak(set, kNext);
        m_launcher.HoldFile(kSlow);
        std::thread run([&] {
            CRunRecorder recorder(kFolder, "", 0, "C:\\in\\a&b.txt", "/a.txt", false);
            set.RunTweaks(0, "C:\\in\\a&b.txt", "/a.txt", &recorder);
        });
        if (std::string(row.exe) == kSlow && row.limit == 2) {
            ASSERT_TRUE(m_waits.WaitUntilIdle(5s));
            Advance(1999);
            EXPECT_TRUE(m_launcher.IsRunning(m_launcher.ExecuteExCalls().back().process)) << row.first;
            m_clock.Advance(1);
        } else if (std::string(row.exe) == kSlow) {
            // A limit above a day is none: the seed's wait until the program ends.
            ASSERT_EQ(kSlow, m_launcher.WaitForWaiter(5s).value_or("none"));
            m_launcher.ReleaseAll();
        }
        run.join();
        std::vector<std::string> outcomes;
        for (const RunRecord& r : ReadRunRecords(kFolder)) outcomes.push_back(RunOutcomeName(r.outcome) + (" " + r.detail));
        EXPECT_EQ((std::vector<std::string>{row.first, row.next, row.next}), outcomes) << row.exe << " " << row.limit;
    }
}

// What the value holds, as the delay: a value meant as milliseconds (or -1) is no wait of weeks.
TEST_F(LongWaitTest, DelayValueReadsAsSeconds) {
    EXPECT_EQ(5u, WaitWindowDelaySeconds());
    for (const auto& [stored, delay] : std::vector<std::pair<int32_t, uint32_t>>{
             {1, 1}, {86400, 86400}, {86401, 0}, {5000, 5000}, {-1, 0}, {0, 0}}) {
        WriteRegDword(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, stored);
        EXPECT_EQ(delay, WaitWindowDelaySeconds()) << stored;
    }
    WriteRegString(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, "0");
    EXPECT_EQ(5u, WaitWindowDelaySeconds());
}

}  // namespace
