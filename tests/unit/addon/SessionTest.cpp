// Host sessions through the exports: creation, lookup, reload after a save, and the paths that the
// two transfer exports hand to the tweaks.
#include <cstring>
#include <future>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include "addon/Exports.h"
#include "addon/ZTTrevanelApp.h"
#include "config/AppBase.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "config/RegistryValues.h"
#include "platform/WinTypes.h"
#include "platform/headless/ResourceScript.h"
#include "platform/memory/MemoryClock.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryModule.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/memory/MemoryWaitService.h"
#include "runner/FailureNotice.h"
#include "ui/NoticeText.h"
#include "tests/common/InstallProgram.h"
#include "tests/common/KeyTree.h"
#include "tests/common/StandIns.h"

namespace {

using namespace std::chrono_literals;

void* Handle(uintptr_t value) { return reinterpret_cast<void*>(value); }

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        m_app = std::make_unique<CZTTrevanelApp>();
    }
    void TearDown() override {
        m_launcher.ReleaseAll();
        m_app.reset();
    }

    // Saves a set whose programs are C:\T\prefix0.exe, C:\T\prefix1.exe ... for every transfer type.
    static void StoreSet(const char* profile, const std::string& prefix, int count,
                         const std::string& parameters = std::string()) {
        CTweakConfig stored(profile);
        for (int i = 0; i < count; ++i) {
            auto* tweak = new CTweakInfo;
            tweak->m_strExe = "C:\\T\\" + prefix + std::to_string(i) + ".exe";
            InstallProgram(tweak->m_strExe);
            tweak->m_strParameters = parameters;
            tweak->m_nApplyTo = 0x3F;
            stored.m_arrTweaks.push_back(tweak);
        }
        stored.Save();
    }

    // Rewrites the program of Tweak 00 of a stored set without going through a save.
    void ChangeExeBehindTheBack(const char* profile, const std::string& exe) {
        InstallProgram(exe);
        const std::string key = CTweakConfig(profile).GetKeyPath(0) + "\\Tweak 00";
        HKEY handle = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, m_registry.CreateKey(HKEY_USERS, key.c_str(), &handle));
        m_registry.SetValue(handle, "Exe", REG_SZ, reinterpret_cast<const uint8_t*>(exe.c_str()),
                            static_cast<uint32_t>(exe.size() + 1));
        m_registry.CloseKey(handle);
    }

    // The programs one download event of the session starts.
    std::vector<std::string> Download(void* session) {
        MemoryLauncher launcher;
        StandIns swap{launcher};
        EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(session, 0, "/r.txt", "C:\\l.txt", 0));
        return launcher.LaunchedFiles();
    }
    std::vector<std::string> Upload(void* session) {
        MemoryLauncher launcher;
        StandIns swap{launcher};
        EXPECT_EQ(0, ZTAddOnFileUploadTweak(session, 4, "C:\\l.txt", 0, "/r.txt", 0));
        return launcher.LaunchedFiles();
    }

    // The programs of the session's set as it holds it now, seen without an export, whose watch
    // of the stored configuration would reload every session.
    std::vector<std::string> SetOf(void* session) const {
        std::vector<std::string> exes;
        for (const CTweakInfo* tweak : m_app->FindSession(session)->Config()->TakeSnapshot().tweaks)
            exes.push_back(tweak->m_strExe);
        return exes;
    }

    MemoryLauncher m_launcher;
    MemoryRegistry m_registry;
    MemoryFileSystem m_files;
    std::unique_ptr<CZTTrevanelApp> m_app;
    StandIns m_standIns{m_launcher, m_registry, m_files};
};

TEST_F(SessionTest, SecondCreateForALiveHandleKeepsTheFirstAndReadsNothing) {
    StoreSet("Alpha", "alpha", 1);
    StoreSet("Beta", "beta", 1);
    ZTAddOnSessionCreate(Handle(1), "Alpha");

    int registryCalls = 0;
    m_registry.SetFailure([&](const MemoryRegistry::Call&) {
        ++registryCalls;
        return ERROR_SUCCESS;
    });
    ZTAddOnSessionCreate(Handle(1), "Beta");
    EXPECT_EQ(0, registryCalls);
    m_registry.SetFailure(nullptr);

    EXPECT_EQ(nullptr, m_app->CreateSession(Handle(1), "Beta"));
    EXPECT_EQ(1u, m_app->SessionCount());
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\alpha0.exe"}, Download(Handle(1)));
}

// An error of the registry (out of resources, 1450) on any value a session reads is no default: a
// session without a set runs nothing until it reads one, and a live one keeps the set it has.
TEST_F(SessionTest, AReadErrorIsNeverReadAsADefault) {
    StoreSet("", "global", 1);
    CTweakConfig work("Work");
    for (const auto& t : {std::make_tuple("a", "*.txt", 1), std::make_tuple("b", "*.txt", 0),
                          std::make_tuple("c", "*.pdf", 1)}) {
        auto* tweak = new CTweakInfo;
        tweak->m_strExe = std::string("C:\\T\\") + std::get<0>(t) + ".exe";
        InstallProgram(tweak->m_strExe);
        tweak->ParseFilters(std::get<1>(t));
        tweak->m_bEnabled = std::get<2>(t);
        tweak->m_nApplyTo = 0x3F;
        work.m_arrTweaks.push_back(tweak);
    }
    work.Save();
    // A committed write of another set that a writer left in place but pending: read by every reader.
    m_registry.SetFailure([](const MemoryRegistry::Call& call) {
        return call.op == MemoryRegistry::Op::DeleteValue && call.valueName == "Complete" ? 1450L : ERROR_SUCCESS;
    });
    CTweakConfig spare("Spare");
    spare.Save();
    m_registry.SetFailure(nullptr);
    // Work runs its own set, Other the global one; "(key)" fails opening the set's key.
    const std::vector<std::string> saved = {"C:\\T\\a.exe"}, global = {"C:\\T\\global0.exe"};
    for (const char* value : {"Count", "Name", "Exe", "Parameters", "Enabled", "Ignore Case", "Apply To", "Filter",
                              "Complete", "Key", "New 0", "(key)"}) {
        SCOPED_TRACE(value);
        const auto failOn = [&](const MemoryRegistry::Call& call) {
            const bool key = call.op == MemoryRegistry::Op::OpenKey && value == std::string("(key)") &&
                             call.keyPath.find("\\Configurations\\") != std::string::npos;
            return key || (call.op == MemoryRegistry::Op::QueryValue && MemoryRegistry::SameName(call.valueName, value))
                       ? 1450L : ERROR_SUCCESS;
        };
        m_registry.SetFailure(failOn);
        ZTAddOnSessionCreate(Handle(1), "Work");
        ZTAddOnSessionCreate(Handle(2), "Other");
        EXPECT_EQ(std::vector<std::string>{}, Download(Handle(1)));
        EXPECT_EQ(std::vector<std::string>{}, Download(Handle(2)));
        m_registry.SetFailure(nullptr);
        EXPECT_EQ(saved, Download(Handle(1)));
        EXPECT_EQ(global, Download(Handle(2)));
        m_registry.SetFailure(failOn);
        m_app->ReloadSessions("");
        EXPECT_EQ(saved, Download(Handle(1)));
        m_registry.SetFailure(nullptr);
        ZTAddOnSessionDestroy(Handle(1));
        ZTAddOnSessionDestroy(Handle(2));
    }
}

TEST_F(SessionTest, UnknownOrDestroyedHandlesStartNothing) {
    StoreSet(nullptr, "global", 1);
    ZTAddOnSessionCreate(Handle(1), nullptr);
    ZTAddOnSessionCreate(Handle(2), "");
    ZTAddOnSessionDestroy(Handle(3));
    ZTAddOnSessionDestroy(Handle(1));

    EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(Handle(1), 0, "/r", "C:\\l", 0));
    EXPECT_EQ(0, ZTAddOnFileUploadTweak(Handle(3), 4, "C:\\l", 0, "/r", 0));
    EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(nullptr, 0, nullptr, nullptr, 0));
    EXPECT_TRUE(m_launcher.LaunchedFiles().empty());
    // The other session lives on with its tweaks.
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global0.exe"}, Download(Handle(2)));
}

TEST_F(SessionTest, SavingAProfileReloadsItsSessionsWithoutRegardToCase) {
    StoreSet(nullptr, "global", 1);
    StoreSet("Alpha", "alpha", 1);
    StoreSet("Beta", "beta", 1);
    ZTAddOnSessionCreate(Handle(1), "ALPHA");
    ZTAddOnSessionCreate(Handle(2), "Beta");
    ZTAddOnSessionCreate(Handle(3), nullptr);
    ZTAddOnSessionCreate(Handle(4), "Gamma");  // no configuration of its own

    // Changes made elsewhere reach every session too, through the watch of the stored configuration.
    ChangeExeBehindTheBack("Beta", "C:\\T\\beta-changed.exe");
    ChangeExeBehindTheBack(nullptr, "C:\\T\\global-changed.exe");
    StoreSet("Alpha", "alpha-new", 2);
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\alpha-new0.exe", "C:\\T\\alpha-new1.exe"}), SetOf(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\beta0.exe"}, SetOf(Handle(2)));
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\alpha-new0.exe", "C:\\T\\alpha-new1.exe"}), Download(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\beta-changed.exe"}, Download(Handle(2)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-changed.exe"}, Download(Handle(3)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-changed.exe"}, Download(Handle(4)));
}

// "MÜLLER" and "Müller" name one registry key, so saving either reloads the other's sessions.
TEST_F(SessionTest, SavingAProfileReloadsItsSessionsWhateverTheCaseOfItsLetters) {
    StoreSet("M\xFCller", "old", 1);
    ZTAddOnSessionCreate(Handle(1), "M\xFCller");
    ZTAddOnSessionCreate(Handle(2), "Muller");
    StoreSet("M\xDCLLER", "new", 1);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\new0.exe"}, SetOf(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\new0.exe"}, Download(Handle(1)));
    // A different name is a different key: no set of its own, and no global one either.
    EXPECT_TRUE(Download(Handle(2)).empty());
}

TEST_F(SessionTest, SavingTheGlobalConfigurationReloadsEverySession) {
    StoreSet(nullptr, "global", 1);
    StoreSet("Alpha", "alpha", 1);
    ZTAddOnSessionCreate(Handle(1), "Alpha");
    ZTAddOnSessionCreate(Handle(2), "");
    ZTAddOnSessionCreate(Handle(3), "Gamma");
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global0.exe"}, Download(Handle(3)));

    ChangeExeBehindTheBack("Alpha", "C:\\T\\alpha-changed.exe");
    StoreSet(nullptr, "global-new", 1);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\alpha-changed.exe"}, Download(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-new0.exe"}, Download(Handle(2)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-new0.exe"}, Download(Handle(3)));

    // A profile that falls back to the global tweaks also reloads when its own name is saved.
    ChangeExeBehindTheBack(nullptr, "C:\\T\\global-changed.exe");
    StoreSet("gamma", "gamma", 1);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\gamma0.exe"}, Download(Handle(3)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-changed.exe"}, Download(Handle(2)));
}

// A transfer reads nothing while the stored configuration is unchanged; after a change made
// outside any save, the first transfer either way reloads every live session, each by its own rule.
TEST_F(SessionTest, AChangeNotificationReloadsEverySessionAndNoneReloadsWithoutOne) {
    StoreSet(nullptr, "global", 1);
    StoreSet("Alpha", "alpha", 1);
    ZTAddOnSessionCreate(Handle(1), "Alpha");
    ZTAddOnSessionCreate(Handle(2), "Gamma");
    int reads = 0;
    const auto countReads = [&](const MemoryRegistry::Call& call) {
        reads += call.op == MemoryRegistry::Op::QueryValue && call.keyPath.find("Configurations") != std::string::npos;
        return ERROR_SUCCESS;
    };
    m_registry.SetFailure(countReads);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\alpha0.exe"}, Download(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global0.exe"}, Download(Handle(2)));
    EXPECT_EQ(0, reads);

    // The sets removed, then the configuration's own key, then a set written anew from outside:
    // the watch is above that key, whose own deletion need not signal.
    m_registry.SetFailure(nullptr);
    const std::string root(kConfigRoot, std::strlen(kConfigRoot) - 1);
    DeleteKeyTree(m_registry, HKEY_USERS, root + "\\Configurations");
    EXPECT_TRUE(Download(Handle(2)).empty());
    ASSERT_EQ(ERROR_SUCCESS, m_registry.DeleteKey(HKEY_USERS, root.c_str()));
    ChangeExeBehindTheBack(nullptr, "C:\\T\\anew.exe");
    HKEY global = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, m_registry.OpenKey(HKEY_USERS, CTweakConfig(nullptr).GetKeyPath(0).c_str(), &global));
    const uint8_t one[4] = {1, 0, 0, 0}, everyType[4] = {0x3F, 0, 0, 0};
    m_registry.SetValue(global, "Count", REG_DWORD, one, 4);
    m_registry.CloseKey(global);
    ASSERT_EQ(ERROR_SUCCESS, m_registry.OpenKey(HKEY_USERS, (CTweakConfig(nullptr).GetKeyPath(0) + "\\Tweak 00").c_str(), &global));
    m_registry.SetValue(global, "Apply To", REG_DWORD, everyType, 4);
    m_registry.CloseKey(global);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\anew.exe"}, Download(Handle(2)));
    StoreSet("Alpha", "alpha", 1);

    ChangeExeBehindTheBack(nullptr, "C:\\T\\global-changed.exe");
    ChangeExeBehindTheBack("Alpha", "C:\\T\\alpha-changed.exe");
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\alpha-changed.exe"}, Upload(Handle(1)));
    m_registry.SetFailure(countReads);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-changed.exe"}, Download(Handle(2)));
    EXPECT_EQ(0, reads);

    // A change notification the registry refuses is no watch: each transfer reads the store again.
    m_registry.SetFailure([](const MemoryRegistry::Call& call) {
        return call.op == MemoryRegistry::Op::NotifyChange ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    });
    ChangeExeBehindTheBack(nullptr, "C:\\T\\global-2.exe");
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-2.exe"}, Download(Handle(2)));
    ChangeExeBehindTheBack(nullptr, "C:\\T\\global-3.exe");
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global-3.exe"}, Download(Handle(2)));
}

// A transfer whose tweaks failed gives one notice, of its first failure, in the add-on's words; a
// transfer without a failure gives none, and neither does one after the user switched them off.
TEST_F(SessionTest, AFailedTransferGivesOneNoticeOfItsFirstFailure) {
    ResourceScript script;
    ASSERT_TRUE(script.Load(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc")) << script.Error();
    MemoryModule module;
    module.SetStrings(script.Strings());
    MemoryClock clock;
    MemoryWaitService waits{m_launcher};
    StandIns swap{module, clock, waits};
    SetNoticeTextMaker(&MakeNoticeText);
    m_app->m_strModuleFolder = "C:\\Addon\\";
    StoreSet(nullptr, "t", 3);
    m_launcher.SetExitCode("C:\\T\\t1.exe", 3);
    m_launcher.SetExitCode("C:\\T\\t2.exe", 4);
    ZTAddOnSessionCreate(Handle(1), "Work");

    ZTAddOnFileDownloadedTweak(Handle(1), 0, "/r.txt", "C:\\in\\l.txt", 0);
    const auto notices = waits.Notices();
    ASSERT_EQ(1u, notices.size());
    EXPECT_EQ("FTP Zorvant Trevanel Add-On: Hilfsprogramm fehlgeschlagen", notices[0].first.caption);
    EXPECT_EQ("Das Hilfsprogramm \"\" ist nach der \xDC" "bertragung fehlgeschlagen.", notices[0].first.tweak);
    EXPECT_EQ("Datei: C:\\in\\l.txt", notices[0].first.file);
    EXPECT_EQ("Exitcode 3 nach 0 ms", notices[0].first.reason);
    EXPECT_EQ("C:\\Addon\\ZTTrevanelRecord.exe", notices[0].second);

    WriteRegDword(HKEY_CURRENT_USER, kUserKey, kFailureNoticeValue, 0);
    ZTAddOnFileDownloadedTweak(Handle(1), 0, "/r.txt", "C:\\in\\l.txt", 0);
    WriteRegDword(HKEY_CURRENT_USER, kUserKey, kFailureNoticeValue, 1);
    m_launcher.SetExitCode("C:\\T\\t1.exe", 0);
    m_launcher.SetExitCode("C:\\T\\t2.exe", 0);
    ZTAddOnFileDownloadedTweak(Handle(1), 0, "/r.txt", "C:\\in\\l.txt", 0);
    SetNoticeTextMaker(nullptr);
    EXPECT_EQ(1u, waits.Notices().size());
}

TEST_F(SessionTest, TransferExportsTakeThePathsFromTheirOwnArgumentPositions) {
    CTweakConfig stored(nullptr);
    auto* tweak = new CTweakInfo;
    tweak->m_strExe = "C:\\T\\record.exe";
    InstallProgram(tweak->m_strExe);
    tweak->m_strParameters = "L=%LOCAL_FILE_PATH% R=%REMOTE_FILE_PATH%";
    tweak->m_nApplyTo = TWEAK_APPLY_DOWNLOAD | TWEAK_APPLY_UPLOAD;
    tweak->m_arrFilters = {"local.txt"};
    stored.m_arrTweaks.push_back(tweak);
    stored.Save();
    ZTAddOnSessionCreate(Handle(7), "Work");

    EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(Handle(7), 0, "/pub/remote.txt", "C:\\in\\local.txt", 0xdeadbeef));
    EXPECT_EQ(0, ZTAddOnFileUploadTweak(Handle(7), 4, "C:\\out\\local.txt", 0xdeadbeef, "/up/remote.txt", 0xdeadbeef));
    // The type is passed on unchanged: an upload type through the download export is an upload.
    EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(Handle(7), 4, "/pub/remote.txt", "C:\\x\\local.txt", 0));
    // Filters look at the local path only.
    EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(Handle(7), 0, "/pub/local.txt", "C:\\in\\remote.txt", 0));
    EXPECT_EQ(0, ZTAddOnFileUploadTweak(Handle(7), 1, "C:\\out\\local.txt", 0, "/up/remote.txt", 0));

    const auto calls = m_launcher.ExecuteExCalls();
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ("L=C:\\in\\local.txt R=/pub/remote.txt", calls[0].parameters.value_or("(null)"));
    EXPECT_EQ("L=C:\\out\\local.txt R=/up/remote.txt", calls[1].parameters.value_or("(null)"));
    EXPECT_EQ("L=C:\\x\\local.txt R=/pub/remote.txt", calls[2].parameters.value_or("(null)"));
}

TEST_F(SessionTest, SaveOnAnotherThreadDuringARunLeavesItTheSetItBeganWith) {
    StoreSet("Alpha", "old", 3);
    ZTAddOnSessionCreate(Handle(1), "alpha");
    m_launcher.HoldFile("C:\\T\\old0.exe");

    std::thread transfer([] { ZTAddOnFileDownloadedTweak(Handle(1), 0, "/r.txt", "C:\\l.txt", 0); });
    ASSERT_EQ("C:\\T\\old0.exe", m_launcher.WaitForWaiter(5s).value_or("none"));
    auto dialog = std::async(std::launch::async, [] { StoreSet("Alpha", "new", 3); });
    EXPECT_EQ(std::future_status::ready, dialog.wait_for(5s)) << "the save waited for the program";
    m_launcher.ReleaseAll();
    dialog.get();
    transfer.join();

    EXPECT_EQ((std::vector<std::string>{"C:\\T\\old0.exe", "C:\\T\\old1.exe", "C:\\T\\old2.exe"}), m_launcher.LaunchedFiles());
    EXPECT_EQ(0u, m_launcher.OpenHandleCount());
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\new0.exe", "C:\\T\\new1.exe", "C:\\T\\new2.exe"}), Download(Handle(1)));
}

// The host renames and deletes profiles while their sessions live: a renamed profile's session
// keeps its tweaks and follows saves of the new name only; a deleted one's runs the global set.
TEST_F(SessionTest, ALiveSessionFollowsItsProfilesRenameAndDelete) {
    StoreSet(nullptr, "global", 1);
    StoreSet("Work", "work", 1);
    ZTAddOnSessionCreate(Handle(1), "work");
    ZTAddOnSessionCreate(Handle(2), "Home");

    ZTAddOnProfileNameChange("WORK", "Office");
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\work0.exe"}, SetOf(Handle(1)));
    StoreSet("Work", "work-again", 1);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\work0.exe"}, SetOf(Handle(1)));
    StoreSet("office", "office", 1);
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\office0.exe"}, SetOf(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\office0.exe"}, Download(Handle(1)));

    ZTAddOnProfileDeleted("Office");
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global0.exe"}, SetOf(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global0.exe"}, Download(Handle(1)));
    EXPECT_EQ(std::vector<std::string>{"C:\\T\\global0.exe"}, Download(Handle(2)));
}

}  // namespace

namespace {

// The host may end a session while its transfer waits for a tweak: from another thread, or from a
// message that a wait of the add-on dispatches on the transfer's own thread. The session leaves
// the table at once; the transfer goes on with its remaining tweaks and frees the session when it
// returns (AddressSanitizer watches the rest).
TEST_F(SessionTest, SessionDestroyedDuringItsTransferLivesUntilTheTransferReturns) {
    StoreSet("Held", "held", 2);
    StoreSet("Solo", "solo", 2);
    ZTAddOnSessionCreate(Handle(1), "Held");
    m_launcher.HoldFile("C:\\T\\held0.exe");
    auto transfer = std::async(std::launch::async,
                               [] { return ZTAddOnFileDownloadedTweak(Handle(1), 0, "/r.txt", "C:\\l.txt", 0); });
    ASSERT_EQ("C:\\T\\held0.exe", m_launcher.WaitForWaiter(5s).value_or("none"));
    ZTAddOnSessionDestroy(Handle(1));
    EXPECT_EQ(0u, m_app->SessionCount());
    m_launcher.ReleaseAll();
    EXPECT_EQ(0, transfer.get());

    ZTAddOnSessionCreate(Handle(2), "Solo");
    m_launcher.SetOnExecuteEx([](const MemoryLauncher::ExecuteExCall&) { ZTAddOnSessionDestroy(Handle(2)); });
    EXPECT_EQ(0, ZTAddOnFileDownloadedTweak(Handle(2), 0, "/r.txt", "C:\\l.txt", 0));
    m_launcher.SetOnExecuteEx(nullptr);
    EXPECT_EQ(0u, m_app->SessionCount());
    EXPECT_EQ((std::vector<std::string>{"C:\\T\\held0.exe", "C:\\T\\held1.exe", "C:\\T\\solo0.exe", "C:\\T\\solo1.exe"}),
              m_launcher.LaunchedFiles());
}

}  // namespace
