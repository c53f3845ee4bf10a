// Starting the tweaks of a set after a transfer: what is launched, in which order, what is skipped,
// and that a reload during a run leaves the run the set it began with.
#include <atomic>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include "config/AppBase.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/StandIns.h"
#include "tests/unit/runner/TweakSetBuilder.h"

namespace {

using Outcome = MemoryLauncher::Outcome;
using namespace std::chrono_literals;

class RunTweaksTest : public testing::Test {
protected:
    void TearDown() override { m_launcher.ReleaseAll(); }


    void ExpectHandlesClosedOnce() {
        EXPECT_EQ(0u, m_launcher.OpenHandleCount());
        EXPECT_TRUE(m_launcher.Misuses().empty());
    }

    MemoryLauncher m_launcher;
    MemoryRegistry m_registry;
    MemoryFileSystem m_files;
    StandIns m_standIns{m_launcher, m_registry, m_files};
    CAppBase m_app;
};

TEST_F(RunTweaksTest, EmptySetStartsNothing) {
    CTweakConfig config(nullptr);
    config.RunTweaks(0, "C:\\a.txt", "/a.txt");
    EXPECT_TRUE(m_launcher.ExecuteExCalls().empty());
}

TEST_F(RunTweaksTest, LaunchRequestOpensTheProgramHiddenWithoutErrorBox) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\tools\\%LOCAL_FILE_PATH%.exe", "-in \"%LOCAL_FILE_PATH%\" -out %REMOTE_FILE_PATH%");
    config.RunTweaks(0, "C:\\in\\a b.txt", "/pub/a b.txt");

    const auto calls = m_launcher.ExecuteExCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI, calls[0].fMask);
    EXPECT_EQ("open", calls[0].verb.value_or("(null)"));
    EXPECT_EQ("C:\\tools\\%LOCAL_FILE_PATH%.exe", calls[0].file.value_or("(null)"));
    // The unquoted path with a blank goes into quotes, as one argument.
    EXPECT_EQ("-in \"C:\\in\\a b.txt\" -out \"/pub/a b.txt\"", calls[0].parameters.value_or("(null)"));
    EXPECT_EQ("C:\\tools", calls[0].directory.value_or("(null)"));
    EXPECT_EQ(SW_HIDE, calls[0].nShow);
    ExpectHandlesClosedOnce();
}

// Each program starts in its own folder, as a double-click in Explorer starts it, never in the
// host's current folder (the download folder its dialogs last went to).
TEST_F(RunTweaksTest, ProgramStartsInItsOwnFolder) {
    MemoryFileSystem files;
    StandIns standIns{files};
    files.Put("C:\\Windows\\system32\\xcopy.exe", {});
    struct Row {
        const char* exe;
        const char* file;
        const char* folder;
    } rows[] = {
        {"D:\\Scripts\\log.bat", "D:\\Scripts\\log.bat", "D:\\Scripts"},
        {"\"C:\\Program Files\\x.exe\"", "\"C:\\Program Files\\x.exe\"", "C:\\Program Files"},
        {"C:\\x.exe", "C:\\x.exe", "C:\\"},
        {"\\\\nas\\tools\\t.exe", "\\\\nas\\tools\\t.exe", "\\\\nas\\tools"},
        {"xcopy", "C:\\Windows\\system32\\xcopy.exe", "C:\\Windows\\system32"},
        // A name the shell resolves itself names no folder: the system folder, not the current one.
        {"shell:AppsFolder\\Tool", "shell:AppsFolder\\Tool", "C:\\Windows\\system32"},
    };
    CTweakConfig config(nullptr);
    for (const Row& row : rows) AddTweak(config, row.exe, "");
    // Relative names would be read against the host's current folder: they start nothing.
    for (const char* relative : {".\\t.exe", "..\\bin\\t.cmd", "C:t.exe", "tools\\t.exe"}) AddTweak(config, relative);
    config.RunTweaks(0, "C:\\Users\\Tester\\Received\\a.txt", "/a.txt");
    const auto calls = m_launcher.ExecuteExCalls();
    ASSERT_EQ(std::size(rows), calls.size());
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(rows[i].file, calls[i].file.value_or("(null)")) << rows[i].exe;
        EXPECT_EQ(rows[i].folder, calls[i].directory.value_or("(null)")) << rows[i].exe;
    }
}

TEST_F(RunTweaksTest, EachProgramEndsBeforeTheNextStarts) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\T\\first.exe");
    AddTweak(config, "C:\\T\\second.exe");
    AddTweak(config, "C:\\T\\third.exe");
    config.RunTweaks(4, "C:\\a.txt", "/a.txt");

    const std::vector<std::string> expected = {
        "start C:\\T\\first.exe",  "wait C:\\T\\first.exe",  "end C:\\T\\first.exe",  "close C:\\T\\first.exe",
        "start C:\\T\\second.exe", "wait C:\\T\\second.exe", "end C:\\T\\second.exe", "close C:\\T\\second.exe",
        "start C:\\T\\third.exe",  "wait C:\\T\\third.exe",  "end C:\\T\\third.exe",  "close C:\\T\\third.exe"};
    EXPECT_EQ(expected, m_launcher.Events());
    ExpectHandlesClosedOnce();
}

TEST_F(RunTweaksTest, RunReturnsOnlyAfterTheRunningProgramEnded) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\T\\first.exe");
    AddTweak(config, "C:\\T\\second.exe");
    m_launcher.HoldFile("C:\\T\\first.exe");
    std::atomic<bool> returned{false};
    std::thread run([&] {
        config.RunTweaks(0, "C:\\a.txt", "/a.txt");
        returned = true;
    });
    ASSERT_EQ("C:\\T\\first.exe", m_launcher.WaitForWaiter(5s).value_or("none"));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\first.exe"}, m_launcher.LaunchedFiles());
    m_launcher.ReleaseAll();
    run.join();
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\first.exe", "C:\\T\\second.exe"}), m_launcher.LaunchedFiles());
    ExpectHandlesClosedOnce();
}

TEST_F(RunTweaksTest, SkipsTweaksThatDoNotApplyOrCannotStart) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\T\\disabled.exe")->m_bEnabled = 0;
    AddTweak(config, "C:\\T\\view-only.exe", "", TWEAK_APPLY_VIEW);
    AddTweak(config, "C:\\T\\pdf-only.exe")->m_arrFilters = {"*.pdf"};
    AddTweak(config, "C:\\T\\missing.exe");
    AddTweak(config, "C:\\T\\handed-over.exe");
    AddTweak(config, "C:\\T\\txt.exe")->m_arrFilters = {"*.pdf", "*.TXT"};
    m_launcher.SetOutcome("C:\\T\\missing.exe", Outcome::Fails);
    m_launcher.SetOutcome("C:\\T\\handed-over.exe", Outcome::SucceedsNoProcess);
    config.RunTweaks(0, "C:\\in\\a.txt", "/a.txt");

    EXPECT_EQ((std::vector<std::string>{"C:\\T\\missing.exe", "C:\\T\\handed-over.exe", "C:\\T\\txt.exe"}), m_launcher.LaunchedFiles());
    // Only the last one gave a process; nothing waits for the file handed to a running program.
    EXPECT_EQ((std::vector<std::string>{"start C:\\T\\txt.exe", "wait C:\\T\\txt.exe", "end C:\\T\\txt.exe", "close C:\\T\\txt.exe"}),
              m_launcher.Events());
    EXPECT_TRUE(m_launcher.ExecuteCalls().empty());
    ExpectHandlesClosedOnce();
}

TEST_F(RunTweaksTest, PathWithDoubleQuoteIsNeverPutIntoAParameterLine) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\T\\local.exe", "\"%LOCAL_FILE_PATH%\"");
    AddTweak(config, "C:\\T\\remote.exe", "\"%REMOTE_FILE_PATH%\"");
    AddTweak(config, "C:\\T\\none.exe", "--fixed");
    // The local path brings the remote placeholder with it.
    AddTweak(config, "C:\\T\\indirect.exe", "%LOCAL_FILE_PATH%");

    config.RunTweaks(0, "C:\\in\\a.txt", "/pub/x\" & del *.* & \".txt");
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\local.exe", "C:\\T\\none.exe", "C:\\T\\indirect.exe"}), m_launcher.LaunchedFiles());

    CTweakConfig second(nullptr);
    AddTweak(second, "C:\\T\\local.exe", "\"%LOCAL_FILE_PATH%\"");
    AddTweak(second, "C:\\T\\remote.exe", "\"%REMOTE_FILE_PATH%\"");
    AddTweak(second, "C:\\T\\indirect.exe", "%LOCAL_FILE_PATH%");
    MemoryLauncher launcher;
    StandIns swap{launcher};
    second.RunTweaks(0, "C:\\in\\%REMOTE_FILE_PATH%", "/pub/q\"uote");
    EXPECT_EQ((std::vector<std::string>{}), launcher.LaunchedFiles());
    second.RunTweaks(0, "C:\\in\\x\"y.txt", "/pub/a.txt");
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\remote.exe"}), launcher.LaunchedFiles());
}

TEST_F(RunTweaksTest, NullPathsCountAsEmpty) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\T\\all.exe", "[%LOCAL_FILE_PATH%][%REMOTE_FILE_PATH%]");
    AddTweak(config, "C:\\T\\txt.exe")->m_arrFilters = {"*.txt"};
    AddTweak(config, "C:\\T\\any.exe")->m_arrFilters = {"*"};
    config.RunTweaks(0, nullptr, nullptr);
    const auto calls = m_launcher.ExecuteExCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("[][]", calls[0].parameters.value_or("(null)"));
    EXPECT_EQ("C:\\T\\any.exe", calls[1].file.value_or("(null)"));
}

TEST_F(RunTweaksTest, EveryStartedTweakGetsTheTransferInItsEnvironment) {
    const struct {
        int type;
        const char* transfer;
    } rows[] = {{0, "download"}, {1, "view"}, {2, "open"}, {3, "move-local"}, {4, "upload"},
                {5, "move-server"}, {6, "6"}, {36, "upload"}, {-1, "-1"}};
    CTweakConfig config("Work");
    AddTweak(config, "C:\\T\\any.exe", "", 0xFFFFFFFFu);
    for (const auto& row : rows) {
        MemoryLauncher launcher;
        StandIns swap{launcher};
        config.RunTweaks(row.type, "C:\\in\\100% a&b!^.txt", "/pub/a?b.txt");
        const auto calls = launcher.ExecuteExCalls();
        ASSERT_EQ(1u, calls.size()) << row.type;
        std::vector<std::string> environment;
        for (const EnvironmentVariable& variable : calls[0].environment)
            environment.push_back(variable.name + "=" + variable.value);
        EXPECT_EQ((std::vector<std::string>{"TREVANEL_LOCAL_FILE_PATH=C:\\in\\100% a&b!^.txt",
                                            "TREVANEL_REMOTE_FILE_PATH=/pub/a?b.txt",
                                            std::string("TREVANEL_TRANSFER=") + row.transfer,
                                            "TREVANEL_PROFILE=Work", "NoDefaultCurrentDirectoryInExePath=1"}),
                  environment);
    }
    CTweakConfig global(nullptr);
    AddTweak(global, "C:\\T\\any.exe", "");
    global.RunTweaks(0, nullptr, nullptr);
    const auto calls = m_launcher.ExecuteExCalls();
    ASSERT_EQ(1u, calls.size());
    ASSERT_EQ(5u, calls[0].environment.size());
    for (size_t i : {0u, 1u, 3u}) EXPECT_EQ("", calls[0].environment[i].value) << calls[0].environment[i].name;
}

// Whether another thread can take the set's lock right now.
bool LockIsFree(CTweakConfig& config) {
    return std::async(std::launch::async, [&] {
               if (!config.m_lock.try_lock()) return false;
               config.m_lock.unlock();
               return true;
           }).get();
}

TEST_F(RunTweaksTest, SetIsFreeWhileATweakStartsAndWhileItRuns) {
    CTweakConfig config(nullptr);
    AddTweak(config, "C:\\T\\first.exe");
    std::vector<bool> freeDuringLaunch;
    m_launcher.SetOnExecuteEx(
        [&](const MemoryLauncher::ExecuteExCall&) { freeDuringLaunch.push_back(LockIsFree(config)); });
    m_launcher.HoldAll(true);
    std::thread run([&] { config.RunTweaks(0, "C:\\a.txt", "/a.txt"); });
    ASSERT_TRUE(m_launcher.WaitForWaiter(5s).has_value());
    EXPECT_TRUE(LockIsFree(config));
    m_launcher.ReleaseAll();
    run.join();
    EXPECT_EQ(std::vector<bool>{true}, freeDuringLaunch);
}

// Stores a set of tweaks for the programs C:\T\<name>.exe.
void StoreExes(const char* profile, const std::vector<std::string>& names) {
    CTweakConfig stored(profile);
    for (const std::string& name : names) {
        auto* tweak = new CTweakInfo;
        tweak->m_strExe = "C:\\T\\" + name + ".exe";
        InstallProgram(tweak->m_strExe);
        tweak->m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
        stored.m_arrTweaks.push_back(tweak);
    }
    stored.Save();
}

// Stores a set of tweaks whose programs are named by prefix and index.
void StoreSet(const char* profile, const std::string& prefix, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
    StoreExes(profile, names);
}

std::vector<std::string> Exes(const std::vector<std::string>& names) {
    std::vector<std::string> exes;
    for (const std::string& name : names) exes.push_back("C:\\T\\" + name + ".exe");
    return exes;
}

// A reload while a tweak runs, to a longer, a shorter or a reordered list: the run ends the set
// it began with, each of its tweaks once, and the next run gets the new set.
TEST_F(RunTweaksTest, ReloadDuringAWaitLeavesTheRunTheSetItBeganWith) {
    struct Case {
        std::vector<std::string> before, held, after;
    } cases[] = {{{"A", "B"}, {"A"}, {"X", "A", "B"}},
                 {{"old0", "old1", "old2"}, {"old0"}, {"new0", "new1", "new2", "new3"}},
                 {{"old0", "old1", "old2"}, {"old1"}, {"new0", "new1"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after.size());
        MemoryLauncher launcher;
        StandIns swap{launcher};
        StoreExes("Work", c.before);
        CTweakConfig config("Work");
        config.Load();
        launcher.HoldFile(Exes(c.held)[0]);

        std::thread run([&] { config.RunTweaks(0, "C:\\a.txt", "/a.txt"); });
        ASSERT_EQ(Exes(c.held)[0], launcher.WaitForWaiter(5s).value_or("none"));
        // Another thread saves the configuration and the set reloads while the program still
        // runs. Should the reload wait for the run, the program is let go so that the test ends.
        auto save = std::async(std::launch::async, [&] {
            StoreExes("Work", c.after);
            config.Load();
        });
        EXPECT_EQ(std::future_status::ready, save.wait_for(5s)) << "the reload waited for the program";
        launcher.ReleaseAll();
        save.get();
        run.join();
        EXPECT_EQ(Exes(c.before), launcher.LaunchedFiles());
        EXPECT_EQ(0u, launcher.OpenHandleCount());

        MemoryLauncher next;
        StandIns nextSwap{next};
        config.RunTweaks(0, "C:\\a.txt", "/a.txt");
        EXPECT_EQ(Exes(c.after), next.LaunchedFiles());
    }
}

// The shell may pump messages while it starts a program, and a handler may save the very set
// that is running: the save and its reload complete, and the run ends the set it began with.
TEST_F(RunTweaksTest, SaveFromInsideTheShellCallOnTheSameThreadCompletes) {
    StoreSet("Work", "old", 3);
    CTweakConfig config("Work");
    config.Load();
    bool reloaded = false;
    m_launcher.SetOnExecuteEx([&](const MemoryLauncher::ExecuteExCall& call) {
        // Checked first, so that a lock held here fails the test instead of hanging it.
        if (call.file != "C:\\T\\old0.exe" || !LockIsFree(config)) return;
        StoreSet("Work", "new", 3);
        config.Load();
        reloaded = true;
    });
    config.RunTweaks(0, "C:\\a.txt", "/a.txt");
    EXPECT_TRUE(reloaded) << "the set was locked during the shell call";
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\old0.exe", "C:\\T\\old1.exe", "C:\\T\\old2.exe"}),
              m_launcher.LaunchedFiles());
    ExpectHandlesClosedOnce();
}

TEST_F(RunTweaksTest, SaveFromAnotherThreadWhileTheShellCallBlocksCompletes) {
    StoreSet("Work", "old", 3);
    CTweakConfig config("Work");
    config.Load();
    std::promise<void> shellMayReturn;
    std::shared_future<void> shellReturns = shellMayReturn.get_future().share();
    std::promise<void> inShell;
    m_launcher.SetOnExecuteEx([&](const MemoryLauncher::ExecuteExCall& call) {
        if (call.file != "C:\\T\\old0.exe") return;
        inShell.set_value();
        shellReturns.wait();
    });
    std::thread run([&] { config.RunTweaks(0, "C:\\a.txt", "/a.txt"); });
    inShell.get_future().wait();
    auto save = std::async(std::launch::async, [&] {
        StoreSet("Work", "new", 4);
        config.Load();
    });
    EXPECT_EQ(std::future_status::ready, save.wait_for(5s)) << "the save waited for the shell call";
    shellMayReturn.set_value();
    save.get();
    run.join();
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\old0.exe", "C:\\T\\old1.exe", "C:\\T\\old2.exe"}),
              m_launcher.LaunchedFiles());
    ExpectHandlesClosedOnce();
}

}  // namespace
