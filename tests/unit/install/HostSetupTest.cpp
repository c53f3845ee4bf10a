// Install and uninstall through the host's command line: the host lookup, its version check, the
// exact command line the host is started with, and the messages a user sees.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "addon/Exports.h"
#include "addon/ZTTrevanelApp.h"
#include "platform/ProcessVariables.h"
#include "platform/Registry.h"
#include "platform/headless/HeadlessUi.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryModule.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/Layout.h"
#include "tests/common/StandIns.h"
#include "ui/resource.h"

namespace {

const char* const kHostFolder = "D:\\Program Files\\FTP Zorvant";
const char* const kModule = "D:\\Program Files\\Tools\\ZTTrevanelAddon.dll";

class HostSetupTest : public ::testing::Test {
protected:
    HostSetupTest() : m_ui(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc") {}

    void SetUp() override {
        m_module.SetFileName(kModule);
        m_module.SetStrings(m_ui.Script().Strings());
        m_app.InitInstance();
    }

    void TearDown() override {
        for (const std::string& problem : m_ui.Problems()) ADD_FAILURE() << problem;
        EXPECT_EQ(m_ui.PendingDrivers(), 0u) << "the tweak list never opened";
        EXPECT_EQ(m_reg.OpenHandleCount(), 0u);
    }

    void PutHostValue(const char* name, const std::string& text) {
        HKEY key;
        ASSERT_EQ(m_reg.CreateKey(HKEY_LOCAL_MACHINE, kHostSetupKey, &key), ERROR_SUCCESS);
        ASSERT_EQ(m_reg.SetValue(key, name, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                                 uint32_t(text.size() + 1)),
                  ERROR_SUCCESS);
        m_reg.CloseKey(key);
    }
    void RegisterHost(const std::string& displayName) {
        PutHostValue("Inno Setup: App Path", kHostFolder);
        PutHostValue("DisplayName", displayName);
    }

    // The user ends the tweak list with OK or with Cancel.
    void ConfirmTweakList() {
        m_ui.QueueDriver([](HeadlessDialog& dlg) { dlg.Click(IDOK); });
    }
    void CancelTweakList() {
        m_ui.QueueDriver([](HeadlessDialog& dlg) { dlg.Click(IDCANCEL); });
    }

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : m_ui.MessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    MemoryRegistry m_reg;
    MemoryLauncher m_launcher;
    MemoryModule m_module;
    HeadlessUi m_ui;
    CZTTrevanelApp m_app;
    StandIns m_standIns{m_reg, m_launcher, m_module, m_ui};
};

TEST_F(HostSetupTest, VersionTableDecidesBetweenStartingTheHostAndMessage1010) {
    struct Case {
        const char* displayName;
        bool starts;
    };
    const Case cases[] = {
        {"FTP Zorvant 11.3", true},    {"FTP Zorvant 11.2", false},
        {"FTP Zorvant 12.0.1", true},  {"FTP Zorvant V12.0", false},
        {"12.5", true},                {"FTP Zorvant 12.0 ", true},
        {"", false},                   {"FTP Zorvant 11.29", true},
        {"FTP Zorvant 11.10", true},   {"FTP Zorvant 12.1 Beta", true},
        {"FTP Zorvant 12.0 (32-bit)", true}, {"FTP Zorvant (32-bit) 11.2", false},
        {"FTP Zorvant (32-bit)", false},     {"FTP Zorvant 11", false},
        {"FTP Zorvant 99999999999.0", true}, {"FTP Zorvant 11.3.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.displayName);
        MemoryLauncher launcher;
        HeadlessUi ui(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc");
        StandIns swap{launcher, ui};
        RegisterHost(c.displayName);
        ui.QueueDriver([](HeadlessDialog& dlg) { dlg.Click(IDOK); });
        if (!c.starts) ui.QueueMessageBoxAnswer(IDOK);

        ZTAddOnInstall("D:\\Program Files\\Tools");

        EXPECT_EQ(launcher.ExecuteCalls().size(), c.starts ? 1u : 0u);
        if (c.starts) {
            EXPECT_TRUE(ui.MessageBoxes().empty());
        } else {
            ASSERT_EQ(ui.MessageBoxes().size(), 1u);
            EXPECT_EQ(ui.MessageBoxes()[0].text, m_module.LoadString(IDS_HOST_TOO_OLD));
            EXPECT_EQ(ui.MessageBoxes()[0].caption, "ZTTrevanelAddon");
            EXPECT_EQ(ui.MessageBoxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
        }
        for (const std::string& problem : ui.Problems()) ADD_FAILURE() << problem;
    }
}

TEST_F(HostSetupTest, InstallStartsTheHostWithTheUnquotedModulePathInItsFolder) {
    RegisterHost("FTP Zorvant 12.0");
    ConfirmTweakList();

    ZTAddOnInstall("D:\\Program Files\\Tools");

    const auto calls = m_launcher.ExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].verb, "open");
    EXPECT_EQ(calls[0].file, "D:\\Program Files\\FTP Zorvant\\FTPZorvant.exe");
    EXPECT_EQ(calls[0].parameters, "-installaddon D:\\Program Files\\Tools\\ZTTrevanelAddon.DLL");
    EXPECT_EQ(calls[0].directory, kHostFolder);
    EXPECT_EQ(calls[0].show, SW_SHOW);
    EXPECT_TRUE(m_ui.MessageBoxes().empty());
    // The tweak list's OK saved the global configuration before the host was started.
    EXPECT_TRUE(m_reg.Snapshot(HKEY_USERS, GlobalKey()));
}

TEST_F(HostSetupTest, InstallWithoutFolderPassesOnlyTheBackslashAndFileName) {
    RegisterHost("FTP Zorvant 12.0");
    ConfirmTweakList();

    ZTAddOnInstall(nullptr);

    const auto calls = m_launcher.ExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].parameters, "-installaddon \\ZTTrevanelAddon.DLL");
}

TEST_F(HostSetupTest, CancelledTweakListEndsTheInstallSilently) {
    RegisterHost("FTP Zorvant 12.0");
    CancelTweakList();

    ZTAddOnInstall("D:\\Program Files\\Tools");

    EXPECT_TRUE(m_launcher.ExecuteCalls().empty());
    EXPECT_TRUE(m_ui.MessageBoxes().empty());
    EXPECT_FALSE(m_reg.Snapshot(HKEY_USERS, std::string(kConfigRoot) + "Configurations"));
}

TEST_F(HostSetupTest, InstallWithoutTheHostShowsMessage1011AndStartsNothing) {
    ConfirmTweakList();
    m_ui.QueueMessageBoxAnswer(IDOK);

    ZTAddOnInstall("D:\\Program Files\\Tools");

    EXPECT_TRUE(m_launcher.ExecuteCalls().empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{m_module.LoadString(IDS_HOST_NOT_FOUND)});
}

TEST_F(HostSetupTest, InstallWithAnEmptyAppPathCountsAsNoHost) {
    PutHostValue("Inno Setup: App Path", "");
    PutHostValue("DisplayName", "FTP Zorvant 12.0");
    ConfirmTweakList();
    m_ui.QueueMessageBoxAnswer(IDOK);

    ZTAddOnInstall("D:\\Program Files\\Tools");

    EXPECT_TRUE(m_launcher.ExecuteCalls().empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{m_module.LoadString(IDS_HOST_NOT_FOUND)});
}

TEST_F(HostSetupTest, InstallWithoutDisplayNameShowsMessage1010) {
    PutHostValue("Inno Setup: App Path", kHostFolder);
    ConfirmTweakList();
    m_ui.QueueMessageBoxAnswer(IDOK);

    ZTAddOnInstall("D:\\Program Files\\Tools");

    EXPECT_TRUE(m_launcher.ExecuteCalls().empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{m_module.LoadString(IDS_HOST_TOO_OLD)});
}

// The shell's answers up to 32 are errors, above it the program started.
TEST_F(HostSetupTest, HostThatCannotBeStartedGivesMessage1009OnInstallAnd1001OnUninstall) {
    RegisterHost("FTP Zorvant 12.0");
    for (const intptr_t result : {2, 32, 33}) {
        m_launcher.SetExecuteResult("D:\\Program Files\\FTP Zorvant\\FTPZorvant.exe", result);
        ConfirmTweakList();
        for (int box = 0; box < (result == 33 ? 0 : 2); ++box) m_ui.QueueMessageBoxAnswer(IDOK);
        ZTAddOnInstall("D:\\Program Files\\Tools");
        EXPECT_EQ(ZTAddOnUninstall(0xdeadbeef, 0xdeadbeef), 0);
    }

    const std::string failed[] = {m_module.LoadString(IDS_INSTALL_FAILED), m_module.LoadString(IDS_UNINSTALL_FAILED)};
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{failed[0], failed[1], failed[0], failed[1]}));
    for (const auto& box : m_ui.MessageBoxes()) {
        EXPECT_EQ(box.caption, "ZTTrevanelAddon");
        EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
    }
}

TEST_F(HostSetupTest, UninstallStartsTheHostWithTheModulesOwnPath) {
    RegisterHost("FTP Zorvant 11.3");

    EXPECT_EQ(ZTAddOnUninstall(0, 0), 0);

    const auto calls = m_launcher.ExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, "D:\\Program Files\\FTP Zorvant\\FTPZorvant.exe");
    EXPECT_EQ(calls[0].parameters, "-uninstalladdon D:\\Program Files\\Tools\\ZTTrevanelAddon.DLL");
    EXPECT_EQ(calls[0].directory, kHostFolder);
    EXPECT_TRUE(m_ui.MessageBoxes().empty());
    EXPECT_TRUE(m_ui.DialogsRun().empty());
}

TEST_F(HostSetupTest, UninstallWithoutHostOrWithAnOldOneIsSilent) {
    EXPECT_EQ(ZTAddOnUninstall(0, 0), 0);
    RegisterHost("FTP Zorvant 11.2");
    EXPECT_EQ(ZTAddOnUninstall(0, 0), 0);

    EXPECT_TRUE(m_launcher.ExecuteCalls().empty());
    EXPECT_TRUE(m_ui.MessageBoxes().empty());
}

TEST_F(HostSetupTest, CalledByTheSilentSetupTheExportsShowNothingAndLeaveTheirOutcome) {
    struct Case {
        const char* displayName;  // null: no host
        int executeResult;
        const char* uninstall;
        bool elevated = false;  // no road to start the host without the setup's rights
    };
    const Case cases[] = {{nullptr, 42, "no-host"},
                          {"FTP Zorvant 11.2", 42, "old-host"},
                          {"FTP Zorvant 12.0", 2, "start-failed"},
                          {"FTP Zorvant 12.0", 42, "host-started"},
                          {"FTP Zorvant 12.0", 42, "host-started-elevated", true}};
    WriteProcessVariable("TREVANEL_SETUP", "silent");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uninstall);
        MemoryLauncher launcher;
        HeadlessUi ui(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc");
        StandIns swap{launcher, ui};
        if (c.displayName) RegisterHost(c.displayName);  // the rows without a host come first
        launcher.SetExecuteResult("D:\\Program Files\\FTP Zorvant\\FTPZorvant.exe", c.executeResult);
        launcher.SetExecuteElevated(c.elevated);

        // The tweak list needs a person: a silent install opens nothing and starts nothing.
        ZTAddOnInstall("D:\\Program Files\\Tools");
        std::string outcome;
        EXPECT_TRUE(ReadProcessVariable("TREVANEL_SETUP_OUTCOME", &outcome));
        EXPECT_EQ(outcome, "not-confirmed");

        EXPECT_EQ(ZTAddOnUninstall(0, 0), 0);
        EXPECT_TRUE(ReadProcessVariable("TREVANEL_SETUP_OUTCOME", &outcome));
        EXPECT_EQ(outcome, c.uninstall);
        EXPECT_TRUE(ui.MessageBoxes().empty());
        EXPECT_TRUE(ui.DialogsRun().empty());
        for (const std::string& problem : ui.Problems()) ADD_FAILURE() << problem;
    }
    RemoveProcessVariable("TREVANEL_SETUP");
    RemoveProcessVariable("TREVANEL_SETUP_OUTCOME");
}

}  // namespace
