// The setup program as users meet it: run and driven page by page like a user would, or quietly,
// against a recording program that stands in for the host's executable in a folder with blanks.
// Its uninstaller is run the way the system's list of installed programs runs it.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Ui.h"
#include "tests/wine/common/ScreenCapture.h"
#include "tests/wine/common/WindowDriver.h"
#include "tests/wine/common/WineHarness.h"
#include "tests/wine/package/PackageTestSupport.h"

namespace {

using namespace package;

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZTTrevanelAddon";
const char kAddonKey[] = ".DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel";
const char kHostSettingsKey[] = ".DEFAULT\\Software\\Tarku Software\\FTP Zorvant";
const char kUserKey[] = "Software\\Tarku Software\\FTP Zorvant Trevanel";
// The wizard's buttons and the folder page's edit field.
const int kNextButton = 1;
const int kFolderEdit = 1019;
const DWORD kTimeout = 30000;
// Where every test installs: as below a 64-bit system's "Program Files (x86)", with the other
// characters that a call text of the setup's plug-in could take for its own, and a variable's
// name that the setup must not expand.
const char kFolderBelowTarget[] = "Program Files (x86)\\Add-Ons & Co's; $INSTDIR $0\\Trevanel";

// What the setup's pages say (code page 1252) in the language Wine gives the user: CTest runs the
// tests that walk the pages for a German-speaking user too.
bool German() { return IsGermanLanguage(GetUserDefaultUILanguage()); }
std::string Say(const char* english, const char* german) { return German() ? german : english; }
std::string PictureName(const std::string& name) { return name + (German() ? "-de.png" : ".png"); }

// A started program, terminated if a failed test leaves it running.
class Started {
public:
    explicit Started(std::wstring commandLine) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process)) {
            ADD_FAILURE() << "cannot start the program: error " << GetLastError();
        }
        if (m_process.hThread) CloseHandle(m_process.hThread);
    }
    ~Started() {
        if (m_process.hProcess == nullptr) return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hProcess);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    DWORD Id() const { return m_process.dwProcessId; }
    bool Running() const {
        return m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
    }
    // The exit code, or 0xdeadbeef when the program is still running after timeoutMs.
    DWORD Wait(DWORD timeoutMs = kTimeout) const {
        DWORD code = 0xdeadbeef;
        if (m_process.hProcess && WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process = {};
};

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           &wide[0], static_cast<int>(wide.size()));
    wide.resize(length > 0 ? length : 0);
    return wide;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The visible top-level windows, or with a parent the visible windows anywhere below it.
std::vector<HWND> VisibleWindows(HWND parent = nullptr) {
    std::vector<HWND> all, visible;
    if (parent) {
        EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&all));
    } else {
        EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&all));
    }
    for (HWND window : all) {
        if (IsWindowVisible(window)) visible.push_back(window);
    }
    return visible;
}

// The first visible top-level window of process id, other than the add-on's tweak list.
HWND VisibleWindowOf(DWORD id) {
    for (HWND window : VisibleWindows()) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == id && wine::WindowText(window) != kListCaption) return window;
    }
    return nullptr;
}

// A visible control anywhere below parent with this id.
HWND VisibleControl(HWND parent, int id) {
    for (HWND window : VisibleWindows(parent)) {
        if (GetDlgCtrlID(window) == id) return window;
    }
    return nullptr;
}

// A visible control anywhere below parent whose text holds part.
HWND VisibleText(HWND parent, const std::string& part) {
    for (HWND window : VisibleWindows(parent)) {
        if (wine::WindowText(window).find(part) != std::string::npos) return window;
    }
    return nullptr;
}

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

// The labels of a wizard page that cannot show their whole text, but the branding's two (text
// and shadow), which are drawn to their text's width.
std::vector<std::string> CutLabelsOfPage(HWND wizard) {
    std::vector<std::string> cut = wine::CutLabels(wizard);
    cut.erase(std::remove_if(cut.begin(), cut.end(), [](const std::string& label) {
        return label.compare(0, 14, "Tarku Software") == 0;
    }), cut.end());
    return cut;
}

// An edit field's text: the window text that another process's GetWindowText gives is the
// caption, which an edit field does not have.
std::string FieldText(HWND field) {
    char text[1024] = "";
    SendMessageA(field, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string RegString(HKEY root, const std::string& path, const char* name) {
    const auto value = wine::ReadRegValue(root, path, name);
    if (!value) return "(missing)";
    if (value->type != REG_SZ) return "(type " + std::to_string(value->type) + ")";
    std::string text(value->data.begin(), value->data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

DWORD RegDword(HKEY root, const std::string& path, const char* name) {
    const auto value = wine::ReadRegValue(root, path, name);
    if (!value || value->type != REG_DWORD || value->data.size() != 4) return 0xdeadbeef;
    DWORD number;
    memcpy(&number, value->data.data(), 4);
    return number;
}

void SetRegString(HKEY root, const std::string& path, const char* name, const std::string& text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(root, path.c_str(), &key), ERROR_SUCCESS) << path;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

// Every key and value below root\path, as "key path" and "key path | value name = type:bytes".
void Snapshot(HKEY root, const std::string& path, std::set<std::string>& out) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    out.insert(path);
    std::vector<std::string> subkeys;
    char name[512];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    std::vector<unsigned char> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name, size = static_cast<DWORD>(data.size()), type = 0;
        if (RegEnumValueA(key, i, name, &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        out.insert(path + " | " + name + " = " + std::to_string(type) + ":" +
                   std::string(data.begin(), data.begin() + size));
    }
    RegCloseKey(key);
    for (const std::string& subkey : subkeys) Snapshot(root, path + "\\" + subkey, out);
}

std::set<std::string> RegistrySnapshot() {
    std::set<std::string> users, machine, all;
    Snapshot(HKEY_USERS, ".DEFAULT", users);
    Snapshot(HKEY_LOCAL_MACHINE, "SOFTWARE", machine);
    for (const std::string& entry : users) all.insert("HKU\\" + entry);
    for (const std::string& entry : machine) all.insert("HKLM\\" + entry);
    return all;
}

// The snapshot without key (given as in the snapshot) and everything below it.
std::set<std::string> Without(const std::set<std::string>& snapshot, const std::string& key) {
    std::set<std::string> rest;
    for (const std::string& entry : snapshot) {
        const bool inside = entry.compare(0, key.size(), key) == 0 &&
                            (entry.size() == key.size() || entry[key.size()] == '\\' ||
                             entry[key.size()] == ' ');
        if (!inside) rest.insert(entry);
    }
    return rest;
}

class SetupWine : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef TREVANEL_SETUP_EXE
        GTEST_SKIP() << "the build has no setup program: makensis was not found";
#else
        ASSERT_EQ(GetACP(), 1252u);
        ASSERT_EQ(German(), std::getenv("TREVANEL_WINE_LOCALE") != nullptr) << "the German run is not German";
        m_setup = wine::ToWindowsPath(TREVANEL_SETUP_EXE);
#endif
        for (const char* key : {kUninstallKey, kHostSetupKey})
            wine::DeleteRegTree(HKEY_LOCAL_MACHINE, key);
        wine::DeleteRegTree(HKEY_USERS, kAddonKey);
        SetEnvironmentVariableA("TREVANEL_RECORD_LOG", nullptr);
        m_hostExe = m_host.Copy(wine::ProgramPath("Recorder.exe"), "FTPZorvant.exe");
        m_hostFolder = wine::WithoutTrailingBackslash(m_host.Path());
        wine::RegisterHost(m_hostFolder, "FTP Zorvant 12.0");
        m_folder = m_target.Path() + kFolderBelowTarget;
    }
    void TearDown() override {
        for (const char* key : {kUninstallKey, kHostSetupKey})
            wine::DeleteRegTree(HKEY_LOCAL_MACHINE, key);
        wine::DeleteRegTree(HKEY_USERS, kAddonKey);
        wine::DeleteRegTree(HKEY_USERS, kHostSettingsKey);
    }

    std::vector<RecordedRun> HostRuns() const { return RecordedRuns(m_host.Path() + "FTPZorvant.log"); }

    // Works the setup's first page as a user (Next) and waits for the folder page, whose wizard
    // and edit field it gives. Pictures of both pages go to pictures when given.
    void OpenFolderPage(const Started& setup, HWND& wizard, HWND& edit,
                        const std::string& pictures = "") {
        ASSERT_TRUE(wine::WaitUntil([&] {
            wizard = VisibleWindowOf(setup.Id());
            return wizard != nullptr && VisibleText(wizard, Say("Welcome", "Willkommen")) != nullptr;
        }, kTimeout)) << "no welcome page";
        EXPECT_EQ(wine::WindowText(wizard), Say("FTP Zorvant Trevanel Add-On Setup", "Installation von FTP Zorvant Trevanel Add-On"));
        if (!pictures.empty()) {
            EXPECT_EQ(wine::CaptureWindow(wizard, pictures + PictureName("/setup-welcome")), "");
        }
        Click(GetDlgItem(wizard, kNextButton));

        // The page fills its field after it shows.
        ASSERT_TRUE(wine::WaitUntil([&] {
            edit = VisibleControl(wizard, kFolderEdit);
            return edit != nullptr && !FieldText(edit).empty();
        }, kTimeout)) << "no folder page";
        EXPECT_EQ(FieldText(edit), "C:\\Program Files\\FTP Zorvant Add-Ons\\Trevanel");
        if (!pictures.empty()) {
            EXPECT_EQ(wine::CaptureWindow(wizard, pictures + PictureName("/setup-folder")), "");
        }
    }

    // Runs the setup and works its pages as a user: the folder typed into the folder page,
    // Install, OK or Cancel in the add-on's tweak list, the help option set on the finish page,
    // Finish.
    void InstallAsUser(bool confirmTweakList, bool openHelp, const std::string& pictures = "") {
        Started setup(Wide("\"" + m_setup + "\""));
        HWND wizard = nullptr, edit = nullptr;
        ASSERT_NO_FATAL_FAILURE(OpenFolderPage(setup, wizard, edit, pictures));
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_folder.c_str()));
        Click(GetDlgItem(wizard, kNextButton));

        HWND list = wine::WaitForVisibleWindow("#32770", kListCaption, kTimeout);
        ASSERT_NE(list, nullptr) << "the add-on's tweak list did not appear";
        // The wizard owns the list, which opens over its middle, not at the screen's top left.
        EXPECT_EQ(GetWindow(list, GW_OWNER), wizard);
        RECT l, w;
        GetWindowRect(list, &l);
        GetWindowRect(wizard, &w);
        EXPECT_LE(std::abs(l.left + l.right - w.left - w.right) + std::abs(l.top + l.bottom - w.top - w.bottom), 4);
        Click(GetDlgItem(list, confirmTweakList ? IDOK : IDCANCEL));

        HWND helpOption = nullptr;
        ASSERT_TRUE(wine::WaitUntil([&] {
            return (helpOption = VisibleText(wizard, Say("Open the help", "Hilfe \xF6" "ffnen")));
        }, kTimeout)) << "no finish page";
        // The page says what became of the registration, every label whole.
        EXPECT_NE(VisibleText(wizard, Say("Setup complete", "Setup abgeschlossen")), nullptr);
        EXPECT_EQ(VisibleText(wizard, Say("and FTP Zorvant was started to register it.", "und FTP Zorvant wurde gestartet, um es einzubinden.")) != nullptr, confirmTweakList);
        EXPECT_EQ(VisibleText(wizard, Say("NOT registered with FTP Zorvant: the tweak list was cancelled.",
                                       "NICHT im FTP Zorvant eingebunden: Die Liste der Hilfsprogramme wurde abgebrochen.")) != nullptr, !confirmTweakList);
        EXPECT_EQ(CutLabelsOfPage(wizard), std::vector<std::string>{});
        if (!pictures.empty()) {
            EXPECT_EQ(wine::CaptureWindow(wizard, pictures + PictureName("/setup-finish")), "");
        }
        // No desktop shell here, and Wine gives no standard user's start: the page says so.
        EXPECT_EQ(VisibleText(wizard, Say("FTP Zorvant was started with this setup's administrator rights",
                                       "FTP Zorvant wurde mit den Administratorrechten dieses Setups gestartet")) != nullptr, confirmTweakList);
        SendMessageA(helpOption, BM_SETCHECK, openHelp ? BST_CHECKED : BST_UNCHECKED, 0);
        // A click that comes while the page is still being set up goes unheard.
        DWORD exitCode = 0xdeadbeef;
        for (int attempt = 0; attempt < 30 && exitCode == 0xdeadbeef; ++attempt) {
            Click(GetDlgItem(wizard, kNextButton));
            exitCode = setup.Wait(1000);
        }
        EXPECT_EQ(exitCode, 0u) << (IsWindow(wizard) ? "the wizard did not close"
                                                     : "the setup did not end after its wizard closed");
    }

    // Runs the setup with arguments and checks that no window of it ever shows.
    DWORD InstallQuietly(const std::wstring& arguments) {
        return RunQuietly(Wide("\"" + m_setup + "\" ") + arguments);
    }
    DWORD RunQuietly(const std::wstring& commandLine) {
        Started program(commandLine);
        bool windowShown = false;
        while (program.Running()) {
            windowShown = windowShown || VisibleWindowOf(program.Id()) != nullptr;
            Sleep(10);
        }
        EXPECT_FALSE(windowShown);
        return program.Wait();
    }

    // Runs the entry's quiet uninstall line with extra arguments. The uninstaller goes on from a
    // copy of itself, so its end shows as the entry gone (and the folder, unless told otherwise).
    void UninstallQuietly(const std::string& extra = "", bool folderGoes = true) {
        const std::string line = RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString");
        Started uninstall(Wide(line + extra));
        EXPECT_EQ(uninstall.Wait(), 0u);
        EXPECT_TRUE(wine::WaitUntil([&] {
            return !wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) &&
                   (!folderGoes || !FileExists(m_folder));
        }, kTimeout)) << "the uninstall left " << m_folder << " with " << FilesBelow(m_folder + "\\").size()
                       << " files, its entry " << (wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) ? "too" : "gone");
    }

    // Runs the entry's uninstall line and works its pages as a user: the confirmation, the
    // components as they are chosen, Uninstall, Finish; every label whole.
    void UninstallAsUser(const std::string& pictures = "") {
        Started uninstall(Wide(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString")));
        // The uninstaller goes on from a copy of itself: its wizard is found by its caption.
        const std::string caption = Say("FTP Zorvant Trevanel Add-On Uninstall ", "Deinstallation von FTP Zorvant Trevanel Add-On ");
        HWND wizard = wine::WaitForVisibleWindow("#32770", caption.c_str(), kTimeout);
        ASSERT_NE(wizard, nullptr) << "no uninstall wizard";
        const auto page = [&](const std::string& text, const char* picture) {
            ASSERT_TRUE(wine::WaitUntil([&] { return VisibleText(wizard, text) != nullptr; }, kTimeout))
                << "no page that says " << text;
            EXPECT_EQ(CutLabelsOfPage(wizard), std::vector<std::string>{}) << text;
            if (!pictures.empty()) {
                EXPECT_EQ(wine::CaptureWindow(wizard, pictures + PictureName("/" + std::string(picture))), "");
            }
        };
        ASSERT_NO_FATAL_FAILURE(page(Say("from your computer", "von Ihrem Computer entfernt"), "uninstall-confirm"));
        Click(GetDlgItem(wizard, kNextButton));
        ASSERT_NO_FATAL_FAILURE(page(Say("Choose which features", "W\xE4hlen Sie die Komponenten aus"), "uninstall-components"));
        Click(GetDlgItem(wizard, kNextButton));
        ASSERT_NO_FATAL_FAILURE(page(Say("Removal complete", "Entfernen abgeschlossen"), "uninstall-finish"));
        Click(GetDlgItem(wizard, kNextButton));
        EXPECT_TRUE(wine::WaitUntil([&] {
            return !IsWindow(wizard) && !wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && !FileExists(m_folder);
        }, kTimeout)) << "the uninstall did not end with its entry and folder gone";
    }

    void StoreGlobalTweak(const std::string& name) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyA(HKEY_USERS, GlobalKey().c_str(), &key), ERROR_SUCCESS);
        const DWORD count = 1;
        RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
        RegCloseKey(key);
        SetRegString(HKEY_USERS, GlobalKey() + "\\Tweak 00", "Name", name);
    }
    std::string GlobalTweakName() const {
        return RegString(HKEY_USERS, GlobalKey() + "\\Tweak 00", "Name");
    }

    void ExpectHostRun(const RecordedRun& run, const std::string& switchText) const {
        EXPECT_EQ(run.exe, m_hostExe);
        EXPECT_TRUE(EndsWith(run.commandLine, " " + switchText + m_folder + "\\ZTTrevanelAddon.DLL"))
            << run.commandLine;
        EXPECT_EQ(run.directory, m_hostFolder);
    }

    std::string m_setup;
    wine::TempFolder m_host{"FTP Zorvant Host"};
    wine::TempFolder m_target{"Setup Target"};
    std::string m_hostExe, m_hostFolder, m_folder;
};

TEST_F(SetupWine, RunLikeAUserItInstallsEveryFileRegistersTheAddOnAndOpensTheHelp) {
    wine::TempFolder viewerFolder("Help Viewer");
    const HtmAssociation association(viewerFolder.Copy(wine::ProgramPath("Recorder.exe"), "Viewer.exe"));
    StoreGlobalTweak("Kept");

    ASSERT_NO_FATAL_FAILURE(InstallAsUser(true, true, wine::ScreenshotFolder()));

    // Every file of the package, as the zip has it, and the uninstaller.
    std::set<std::string> expected = PackageFiles();
    expected.insert("Uninstall.exe");
    EXPECT_EQ(FilesBelow(m_folder + "\\"), expected);
    for (const std::string& file : PackageFiles()) {
        EXPECT_TRUE(FileExists(m_folder + "\\" + file) &&
                    ReadWholeFile(m_folder + "\\" + file) == ReadWholeFile(UnzippedFolder() + file))
            << file;
    }

    const std::map<std::string, std::string> strings{
        {"DisplayName", "FTP Zorvant Trevanel Add-On"},
        {"DisplayVersion", "1.0.1.0"},
        {"Publisher", "Tarku Software"},
        {"InstallLocation", m_folder},
        {"DisplayIcon", m_folder + "\\ZTTrevanelAddon.dll,0"},
        {"UninstallString", "\"" + m_folder + "\\Uninstall.exe\""},
        {"QuietUninstallString", "\"" + m_folder + "\\Uninstall.exe\" /S"}};
    for (const auto& value : strings)
        EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, value.first.c_str()), value.second);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify"), 1u);
    EXPECT_EQ(RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), 1u);
    DWORD bytes = 0;
    for (const std::string& file : expected) bytes += static_cast<DWORD>(ReadWholeFile(m_folder + "\\" + file).size());
    const DWORD kilobytes = RegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize");
    EXPECT_GE(kilobytes, bytes / 1024);
    EXPECT_LE(kilobytes, bytes / 1024 + expected.size() * 4);

    ASSERT_TRUE(wine::WaitUntil([&] { return !HostRuns().empty(); }, 10000)) << "no host started";
    ASSERT_EQ(HostRuns().size(), 1u);
    ExpectHostRun(HostRuns()[0], "-installaddon ");

    ASSERT_TRUE(wine::WaitUntil([&] { return !RecordedRuns(viewerFolder.Path() + "Viewer.log").empty(); },
                                10000)) << "the finish page opened no help";
    EXPECT_EQ(RecordedRuns(viewerFolder.Path() + "Viewer.log")[0].arguments,
              std::vector<std::string>{m_folder + "\\Help\\" + Say("ZTTrevanelAddOn-en.htm", "ZTTrevanelAddOn.htm")})
        << "the setup opens the page in its own language";
    // The help was opened by the desktop's shell, as the signed-in user: it lacks the variable that
    // the elevated setup sets in its own process before it calls the add-on. The host, with no
    // desktop shell window to ask and no standard user's start under Wine, was started by the
    // setup itself, as the finish page said.
    const std::string viewerEnvironment = ReadWholeFile(viewerFolder.Path() + "Viewer.log.env");
    EXPECT_EQ(viewerEnvironment.find("TREVANEL_SETUP="), std::string::npos) << viewerEnvironment;
    EXPECT_NE(ReadWholeFile(m_host.Path() + "FTPZorvant.log.env").find("TREVANEL_SETUP="), std::string::npos);

    // The Start menu shows the run record; the entry goes with the add-on.
    char programs[MAX_PATH] = "";
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs));
    const std::string entry = std::string(programs) + "\\FTP Zorvant Trevanel\\" + Say("What the tweaks did", "Was die Hilfsprogramme taten") + ".lnk";
    EXPECT_TRUE(FileExists(entry));

    // What the add-on keeps for this Windows user goes with it.
    char localData[MAX_PATH] = "";
    ASSERT_EQ(S_OK, SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localData));
    const std::string maker = std::string(localData) + "\\Tarku Software";
    CreateDirectoryA(maker.c_str(), nullptr);
    CreateDirectoryA((maker + "\\FTP Zorvant Trevanel").c_str(), nullptr);
    WriteWholeFile(maker + "\\FTP Zorvant Trevanel\\Runs.log", "a transfer");
    WriteWholeFile(maker + "\\FTP Zorvant Trevanel\\Runs.previous.log", "an older one");
    SetRegString(HKEY_CURRENT_USER, kUserKey, "Run Record", "on");

    ASSERT_NO_FATAL_FAILURE(UninstallAsUser(wine::ScreenshotFolder()));
    EXPECT_FALSE(FileExists(entry));
    ASSERT_TRUE(wine::WaitUntil([&] { return HostRuns().size() == 2; }, 10000));
    ExpectHostRun(HostRuns()[1], "-uninstalladdon ");
    EXPECT_FALSE(FileExists(m_folder));
    // The folder that the setup made above it is empty: it goes too.
    EXPECT_FALSE(FileExists(m_folder.substr(0, m_folder.rfind('\\'))));
    EXPECT_FALSE(FileExists(maker));
    EXPECT_FALSE(wine::RegKeyExists(HKEY_CURRENT_USER, kUserKey));
    EXPECT_EQ(GlobalTweakName(), "Kept");
}

TEST_F(SetupWine, ACancelledTweakListInstallsNoHostAndAQuietUpdateAndRemovalKeepOtherKeys) {
    ASSERT_NO_FATAL_FAILURE(InstallAsUser(false, false));
    EXPECT_TRUE(FileExists(m_folder + "\\ZTTrevanelAddon.dll"));
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), m_folder);
    EXPECT_FALSE(wine::WaitUntil([&] { return !HostRuns().empty(); }, 2000));

    // A quiet update finds the installed folder, replaces the files, keeps the tweaks and, with
    // nobody to confirm the tweak list, starts no host.
    StoreGlobalTweak("Kept");
    WriteWholeFile(m_folder + "\\README.txt", "an older read-me");
    EXPECT_EQ(InstallQuietly(L"/S"), 0u);
    EXPECT_TRUE(ReadWholeFile(m_folder + "\\README.txt") == ReadWholeFile(UnzippedFolder() + "README.txt"));
    EXPECT_EQ(GlobalTweakName(), "Kept");
    EXPECT_FALSE(wine::WaitUntil([&] { return !HostRuns().empty(); }, 1000));

    // Removing the tweaks too takes the add-on's key and nothing beside it.
    SetRegString(HKEY_USERS, kHostSettingsKey, "Settings", "the host's own");
    SetRegString(HKEY_USERS, std::string(kAddonKey) + "\\Configurations\\Server A\\Tweak 00", "Name", "x");
    const std::set<std::string> before = RegistrySnapshot();
    UninstallQuietly(" /REMOVETWEAKS");
    ASSERT_TRUE(wine::WaitUntil([&] { return HostRuns().size() == 1; }, 10000));
    ExpectHostRun(HostRuns()[0], "-uninstalladdon ");
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, kAddonKey));
    EXPECT_EQ(RegistrySnapshot(),
              Without(Without(before, std::string("HKU\\") + kAddonKey),
                      std::string("HKLM\\") + kUninstallKey));
}

TEST_F(SetupWine, AQuietUpdateOrUninstallWithTheDllHeldSaysSoAndRecordsNoOtherVersion) {
    const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    const auto pendingBefore =
        wine::ReadRegValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    ASSERT_EQ(InstallQuietly(L"/S /D=" + Wide(m_folder)), 0u);
    const std::string dll = m_folder + "\\ZTTrevanelAddon.dll";
    HMODULE held = LoadLibraryA(dll.c_str());
    ASSERT_NE(held, nullptr);

    // The update changes nothing while the DLL cannot be replaced, and ends with 3.
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", "0.9");
    WriteWholeFile(m_folder + "\\README.txt", "an older read-me");
    EXPECT_EQ(InstallQuietly(L"/S"), 3u);
    EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "0.9");
    EXPECT_EQ(ReadWholeFile(m_folder + "\\README.txt"), "an older read-me");

    UninstallQuietly("", false);
    const auto pending =
        wine::ReadRegValue(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    FreeLibrary(held);
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kSessionManager, &key) == ERROR_SUCCESS) {
        if (pendingBefore) {
            RegSetValueExA(key, "PendingFileRenameOperations", 0, pendingBefore->type,
                           pendingBefore->data.data(), static_cast<DWORD>(pendingBefore->data.size()));
        } else {
            RegDeleteValueA(key, "PendingFileRenameOperations");
        }
        RegCloseKey(key);
    }

    // The held DLL and the folder wait for the restart; everything else is gone now.
    EXPECT_EQ(FilesBelow(m_folder + "\\"), std::set<std::string>{"ZTTrevanelAddon.dll"});
    ASSERT_TRUE(pending.has_value());
    const std::string names(pending->data.begin(), pending->data.end());
    EXPECT_NE(names.find(dll), std::string::npos);
}

TEST_F(SetupWine, AQuietUninstallThatCannotTellTheHostAsksNothingAndSaysSo) {
    struct Case {
        const char* host;
        DWORD exitCode;
    };
    const Case cases[] = {{"not installed", 0}, {"its program missing", 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        ASSERT_EQ(InstallQuietly(L"/S /D=" + Wide(m_folder)), 0u);
        if (c.exitCode == 0) {
            wine::DeleteRegTree(HKEY_LOCAL_MACHINE, kHostSetupKey);
        } else {
            wine::RegisterHost(m_folder, "FTP Zorvant 12.0");
        }
        // _?= keeps the uninstaller from going on from a copy, so its exit status is seen.
        const std::string uninstaller = m_folder + "\\Uninstall.exe";
        EXPECT_EQ(RunQuietly(Wide("\"" + uninstaller + "\" /S _?=" + m_folder)), c.exitCode);
        EXPECT_FALSE(wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_EQ(FilesBelow(m_folder + "\\"), std::set<std::string>{"Uninstall.exe"});
        DeleteFileA(uninstaller.c_str());
    }
    EXPECT_TRUE(HostRuns().empty());
}

// The rights of a file or folder in the security descriptor language; "(unreadable)" when the
// system gives none.
std::string Rights(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return "(unreadable)";
    char* text = nullptr;
    std::string rights = "(unreadable)";
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr)) {
        rights = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return rights;
}

// Gives path the rights that sddl describes; false when the system refuses.
bool SetRights(const std::string& path, const char* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::string name = path;
    const DWORD result = SetNamedSecurityInfoA(&name[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                               nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
    return result == ERROR_SUCCESS;
}

TEST_F(SetupWine, OnlyAFolderOfItsOwnGetsTheRightsOfProgramFiles) {
    // One that every user may change, as a folder outside Program Files may have. A system that
    // keeps only Everyone's rights (Wine keeps them as the Unix mode's bits for others) shows
    // whether everyone lost the right to write.
    const char kOpenToUsers[] = "D:(A;OICI;FA;;;BU)";
    const char kEveryoneReadsAndRuns[] = "(A;OICI;0x1200a9;;;WD)";
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, m_folder.c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_TRUE(SetRights(m_folder, kOpenToUsers));
    const bool keepsAll = Rights(m_folder) == kOpenToUsers;
    if (!keepsAll && (!SetRights(m_folder, "D:(A;OICI;FA;;;WD)") ||
                      Rights(m_folder).find("(A;OICI;0x1301ff;;;WD)") == std::string::npos)) {
        GTEST_SKIP() << "this system keeps no rights of its own for files: it gives " << Rights(m_folder);
    }
    const auto expectProgramFilesRights = [&] {
        if (keepsAll) {
            EXPECT_EQ(Rights(m_folder), "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)");
        } else {
            EXPECT_NE(Rights(m_folder).find(kEveryoneReadsAndRuns), std::string::npos) << Rights(m_folder);
        }
    };
    // A folder that was there before, with files of the user's own, keeps its rights.
    const std::string before = Rights(m_folder);
    ASSERT_EQ(InstallQuietly(L"/S /D=" + Wide(m_folder)), 0u);
    EXPECT_EQ(Rights(m_folder), before);
    UninstallQuietly();

    // A folder that the setup makes gets them, and so does its own installation at an update.
    ASSERT_EQ(InstallQuietly(L"/S /D=" + Wide(m_folder)), 0u);
    expectProgramFilesRights();
    ASSERT_TRUE(SetRights(m_folder, keepsAll ? kOpenToUsers : "D:(A;OICI;FA;;;WD)"));
    ASSERT_EQ(InstallQuietly(L"/S /D=" + Wide(m_folder)), 0u);
    expectProgramFilesRights();
    UninstallQuietly();
}

TEST_F(SetupWine, AnUninstallThatCannotTellTheHostAsksAndNoKeepsEverything) {
    ASSERT_EQ(InstallQuietly(L"/S /D=" + Wide(m_folder)), 0u);
    wine::RegisterHost(m_folder, "FTP Zorvant 12.0");  // where no FTPZorvant.exe is
    const std::set<std::string> files = FilesBelow(m_folder + "\\");

    // The uninstaller goes on from a copy of itself, whose wizard the test finds by its caption
    // (which ends in a blank).
    Started uninstall(Wide("\"" + m_folder + "\\Uninstall.exe\""));
    HWND wizard = wine::WaitForVisibleWindow("#32770", "FTP Zorvant Trevanel Add-On Uninstall ", kTimeout);
    ASSERT_NE(wizard, nullptr) << "no uninstall wizard";
    // The confirmation page, then the components page, where Next is the uninstall button.
    HWND next = GetDlgItem(wizard, kNextButton);
    ASSERT_TRUE(wine::WaitUntil([&] { return VisibleText(wizard, "from your computer") != nullptr; }, kTimeout));
    Click(next);
    ASSERT_TRUE(wine::WaitUntil([&] { return VisibleText(wizard, "Choose which features") != nullptr; }, kTimeout));
    Click(next);
    const wine::MessageBoxSeen question = wine::AnswerMessageBox(wizard, IDNO);
    EXPECT_NE(question.text.find("FTP Zorvant could not be told"), std::string::npos) << question.text;
    EXPECT_NE(question.text.find("Remove the add-on's files anyway?"), std::string::npos) << question.text;

    // The box is answered, not yet gone: a click on the still disabled wizard would be lost.
    ASSERT_TRUE(wine::WaitUntil([&] { return IsWindowEnabled(wizard) != FALSE; }, kTimeout));
    Click(GetDlgItem(wizard, IDCANCEL));
    EXPECT_TRUE(wine::WaitUntil([&] { return !IsWindow(wizard); }, kTimeout)) << "the wizard stayed";
    EXPECT_EQ(FilesBelow(m_folder + "\\"), files);
    EXPECT_TRUE(wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(SetupWine, TheFolderPageRefusesAFolderWhoseNameTheAddOnCannotReceive) {
    Started setup(Wide("\"" + m_setup + "\""));
    HWND wizard = nullptr, edit = nullptr;
    ASSERT_NO_FATAL_FAILURE(OpenFolderPage(setup, wizard, edit));
    // Greek letters have no form in code page 1252: the add-on would get question marks.
    const std::wstring folder = Wide(m_target.Path()) + L"\x0391\x03b8\x03ae\x03bd\x03b1";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    Click(GetDlgItem(wizard, kNextButton));
    const wine::MessageBoxSeen refusal = wine::AnswerMessageBox(wizard, IDOK);
    EXPECT_NE(refusal.text.find("code page"), std::string::npos) << refusal.text;
    EXPECT_TRUE(IsWindowVisible(edit)) << "the folder page was left";

    Click(GetDlgItem(wizard, IDCANCEL));
    wine::AnswerMessageBox(wizard, IDYES);
    EXPECT_NE(setup.Wait(), 0xdeadbeef);
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(SetupWine, AQuietSetupRefusesAFolderWhoseNameTheAddOnCannotReceive) {
    // Greek letters have no form in code page 1252: the add-on would get question marks.
    const std::wstring folder = Wide(m_target.Path()) + L"\x0391\x03b8\x03ae\x03bd\x03b1";
    EXPECT_EQ(InstallQuietly(L"/S /D=" + folder), 2u);
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(wine::RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

}  // namespace
