// Install and uninstall against a stand-in host: a recording program named FTPZorvant.exe in a
// folder with blanks, registered under the uninstall key that the host's installer writes. The
// add-on must start it with the exact command line and working folder, or say why it cannot.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/Layout.h"
#include "tests/wine/common/HostRegistration.h"
#include "tests/wine/common/WindowDriver.h"
#include "tests/wine/common/WineHarness.h"

namespace {

const char kListCaption[] = "FTP Zorvant Transfer Hilfsprogramm";
const char kAppCaption[] = "ZTTrevanelAddon";

using InstallFn = void(WINAPI*)(const char*);

// One run of the recording host: its raw command line and its working folder.
struct HostRun {
    std::string commandLine;
    std::string directory;
};

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    return fields;
}

class HostSetupWine : public ::testing::Test {
protected:
    void SetUp() override {
        m_hostFolder = wine::WithoutTrailingBackslash(m_folder.Path());
        m_folder.Copy(wine::ProgramPath("Recorder.exe"), "FTPZorvant.exe");
        m_log = m_folder.Path() + "FTPZorvant.log";
        wine::UnregisterHost();
    }
    void TearDown() override {
        wine::UnregisterHost();
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
    }

    void RegisterHost(const std::string& displayName) {
        wine::RegisterHost(m_hostFolder, displayName);
    }

    // The runs the host recorded; waits up to timeoutMs for the first one when asked to.
    std::vector<HostRun> HostRuns(DWORD timeoutMs) {
        wine::WaitUntil([&] { return GetFileAttributesA(m_log.c_str()) != INVALID_FILE_ATTRIBUTES; },
                        timeoutMs);
        std::vector<HostRun> runs;
        std::ifstream file(m_log, std::ios::binary);
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::vector<std::string> fields = SplitTabs(line);
            if (fields.size() >= 6) runs.push_back(HostRun{fields[5], fields[4]});
        }
        return runs;
    }

    // ZTAddOnInstall(folder) of the loaded add-on while user works its windows.
    void Install(wine::AddonCopy& addon, const char* folder, const std::function<void()>& user) {
        auto install = addon.Export<InstallFn>(9);
        ASSERT_NE(install, nullptr);
        wine::RunWhileUserActs([&] { install(folder); }, user);
    }

    static void EndTweakList(int button) {
        HWND list = wine::WaitForVisibleWindow("#32770", kListCaption);
        ASSERT_NE(list, nullptr) << "the tweak list did not appear";
        PostMessageA(GetDlgItem(list, button), BM_CLICK, 0, 0);
    }

    wine::TempFolder m_folder{"FTP Zorvant Host"};
    std::string m_hostFolder;
    std::string m_log;
};

TEST_F(HostSetupWine, UninstallThroughTheHostStandInStartsTheHostWithTheModulePath) {
    RegisterHost("FTP Zorvant 12.0");
    wine::AddonCopy addon;

    const wine::ProgramResult host = wine::RunHost(addon.Path(), {"load", "uninstall", "unload"});
    ASSERT_EQ(host.exitCode, 0u) << host.output;
    EXPECT_NE(host.output.find("uninstall: result 0"), std::string::npos) << host.output;

    const std::vector<HostRun> runs = HostRuns(15000);
    ASSERT_EQ(runs.size(), 1u);
    const std::string expected =
        " -uninstalladdon " + addon.Folder() + "ZTTrevanelAddon.DLL";
    ASSERT_GE(runs[0].commandLine.size(), expected.size());
    EXPECT_EQ(runs[0].commandLine.substr(runs[0].commandLine.size() - expected.size()), expected)
        << runs[0].commandLine;
    EXPECT_EQ(runs[0].directory, m_hostFolder);
}

// Wine, as a session without Explorer, has no desktop shell window: the host is started at once,
// with no shell asked for, the install returning well within 2 s of the list's OK.
TEST_F(HostSetupWine, ConfirmedInstallStartsTheHostWithTheGivenFolderAndTheModuleFileName) {
    ASSERT_EQ(GetShellWindow(), nullptr);
    RegisterHost("FTP Zorvant 11.3");
    wine::AddonCopy addon;
    ASSERT_TRUE(addon.Load());
    const std::string folder = wine::WithoutTrailingBackslash(addon.Folder());

    DWORD okAt = 0;
    Install(addon, folder.c_str(), [&] {
        EndTweakList(IDOK);
        okAt = GetTickCount();
    });
    EXPECT_LT(GetTickCount() - okAt, 2000u);

    std::vector<HostRun> runs = HostRuns(15000);
    const std::string expected = " -installaddon " + folder + "\\ZTTrevanelAddon.DLL";
    ASSERT_GE(runs[0].commandLine.size(), expected.size());
    EXPECT_EQ(runs[0].commandLine.substr(runs[0].commandLine.size() - expected.size()), expected)
        << runs[0].commandLine;
    EXPECT_EQ(runs[0].directory, m_hostFolder);
    // The tweak list's OK stored the global configuration, even if empty.
    EXPECT_TRUE(wine::RegKeyExists(HKEY_USERS, GlobalKey()));

    // The uninstall likewise.
    using UninstallFn = int(WINAPI*)(int, int);
    auto uninstall = addon.Export<UninstallFn>(10);
    ASSERT_NE(uninstall, nullptr);
    const DWORD uninstallAt = GetTickCount();
    EXPECT_EQ(uninstall(0, 0), 0);
    EXPECT_LT(GetTickCount() - uninstallAt, 2000u);
    EXPECT_TRUE(wine::WaitUntil([&] { return (runs = HostRuns(0)).size() == 2; }));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NE(runs[1].commandLine.find(" -uninstalladdon "), std::string::npos) << runs[1].commandLine;
}

TEST_F(HostSetupWine, CancelledInstallStartsNothingAndSaysNothing) {
    RegisterHost("FTP Zorvant 12.0");
    wine::AddonCopy addon;
    ASSERT_TRUE(addon.Load());

    Install(addon, wine::WithoutTrailingBackslash(addon.Folder()).c_str(), [] { EndTweakList(IDCANCEL); });

    EXPECT_EQ(wine::WaitForOwnedWindow(nullptr, kAppCaption, 500), nullptr);
    EXPECT_TRUE(HostRuns(1000).empty());
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, GlobalKey()));
}

TEST_F(HostSetupWine, InstallWithoutTheHostOrWithAnOldOneExplainsAndStartsNothing) {
    struct Case {
        const char* displayName;  // null: no uninstall key at all
        const char* message;
    };
    const Case cases[] = {
        {nullptr,
         "Es konnte keine FTP Zorvant Version gefunden werden.\r\n"
         "Der FTP Zorvant ist möglicherweise nicht auf diesem Rechner\r\n"
         "installiert.\r\n\r\n"
         "Bitte installieren Sie den FTP Zorvant  auf diesem Rechner."},
        {"FTP Zorvant 11.2",
         "Sie haben möglicherweise eine zu alte FTP Zorvant Version installiert.\r\n"
         "Sie benötigen V12.0 oder höher, um FTP Zorvant Add-Ons verwenden zu können.\r\n\r\n"
         "Bitte besuchen Sie www.zorvant.example, um die aktuellste Version zu erhalten."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.displayName ? c.displayName : "no host");
        wine::UnregisterHost();
        if (c.displayName) RegisterHost(c.displayName);
        wine::AddonCopy addon;
        ASSERT_TRUE(addon.Load());

        wine::MessageBoxSeen seen;
        Install(addon, wine::WithoutTrailingBackslash(addon.Folder()).c_str(), [&] {
            EndTweakList(IDOK);
            seen = wine::AnswerMessageBox(nullptr, IDOK, kAppCaption);
        });

        EXPECT_TRUE(seen.shown);
        EXPECT_EQ(seen.caption, kAppCaption);
        EXPECT_EQ(seen.text, wine::Cp1252(c.message));
        EXPECT_TRUE(HostRuns(1000).empty());
    }
}

}  // namespace
