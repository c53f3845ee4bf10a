// The configuration dialogs as real windows: ZTAddOnConfigure of the loaded add-on runs the tweak
// list on this thread while a second thread works its controls the way a user would.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/Layout.h"
#include "tests/wine/common/RefusedRegistryWrites.h"
#include "tests/wine/common/ScreenCapture.h"
#include "tests/wine/common/WindowDriver.h"
#include "tests/wine/common/WineHarness.h"

namespace {

const char kListCaption[] = "FTP Zorvant Transfer Hilfsprogramm";
const char kEditorCaption[] = "FTP Zorvant Trevanel Konfiguration";
const DWORD kTimeout = 15000;

// Control ids of the two templates.
enum {
    kHelp = 1000, kTweaks = 1001, kArrows = 1002, kAdd = 1003, kRemove = 1004, kEdit = 1005,
    kRemoveAll = 1006, kName = 1009, kExe = 1010, kDownload = 1014, kUpload = 1015,
    kFilters = 1019, kFilterText = 1025, kParameters = 1026, kAddFilter = 1003, kTest = 1030
};

using ConfigureFn = void(WINAPI*)(const char*);

using wine::MessageBoxSeen;
using wine::WaitUntil;
using wine::WindowText;

std::vector<std::string> Rows(HWND dialog, int listId) {
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendDlgItemMessageA(dialog, listId, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[1024] = "";
        SendDlgItemMessageA(dialog, listId, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

MessageBoxSeen Answer(HWND owner, int button) { return wine::AnswerMessageBox(owner, button); }

void PostClick(HWND window, int x, int y) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// A mouse click on row index of a list box, which notifies the dialog as a user's click does.
void ClickRow(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    RECT rect;
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    PostClick(list, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == index; });
}

// A click on the upper or lower arrow of an up-down control.
void ClickArrow(HWND dialog, int id, bool up) {
    HWND arrows = GetDlgItem(dialog, id);
    RECT rect;
    GetClientRect(arrows, &rect);
    PostClick(arrows, rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
}

// Types into an edit field; the field tells the dialog of its new text (EN_CHANGE).
void Type(HWND dialog, int id, const std::string& text) { SetDlgItemTextA(dialog, id, text.c_str()); }

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Sz(const std::string& text) { return text + '\0'; }
std::string Dw(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

// Names and stored bytes of every value of a key, and the names of its subkeys.
struct KeyContent {
    std::map<std::string, std::string> values;  // name: type tag and data
    std::vector<std::string> subkeys;
};

KeyContent ReadKey(const std::string& path) {
    KeyContent content;
    HKEY key;
    if (RegOpenKeyA(HKEY_USERS, path.c_str(), &key) != ERROR_SUCCESS) return content;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof name, type = 0, size = 4096;
        BYTE data[4096];
        if (RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::string typed = type == REG_SZ ? "sz:" : type == REG_DWORD ? "dw:" : "other:";
        content.values[name] = typed + std::string(reinterpret_cast<char*>(data), size);
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        if (RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS) break;
        content.subkeys.push_back(name);
    }
    RegCloseKey(key);
    return content;
}

void StoreTweak(const std::string& setKey, int index, const std::string& name,
                const std::string& exe, const std::string& parameters, DWORD applyTo) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_USERS, setKey.c_str(), &key), ERROR_SUCCESS);
    const DWORD count = index + 1;
    RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyA(HKEY_USERS, TweakKey(setKey, index).c_str(), &key), ERROR_SUCCESS);
    auto setString = [&](const char* value, const std::string& text) {
        RegSetValueExA(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    };
    auto setDword = [&](const char* value, DWORD data) {
        RegSetValueExA(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4);
    };
    setString("Name", name);
    setString("Exe", exe);
    setString("Parameters", parameters);
    setDword("Enabled", 1);
    setDword("Ignore Case", 1);
    setDword("Apply To", applyTo);
    setString("Filter", "");
    RegCloseKey(key);
}


class ConfigureDialogWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 1252u);
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
        wine::DeleteRegTree(HKEY_USERS, ProfileKey("Work"));
        m_recorder = m_folder.Copy(wine::ProgramPath("Recorder.exe"));
        m_log = m_folder.Path() + "runs.log";
        SetEnvironmentVariableA("TREVANEL_RECORD_LOG", m_log.c_str());
        ASSERT_NE(m_addon.Load(), nullptr);
        m_configure = m_addon.Export<ConfigureFn>(1);
        ASSERT_NE(m_configure, nullptr);
    }
    void TearDown() override {
        m_addon.Unload();
        SetEnvironmentVariableA("TREVANEL_RECORD_LOG", nullptr);
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
        wine::DeleteRegTree(HKEY_USERS, ProfileKey("Work"));
    }

    // Runs ZTAddOnConfigure(profile) here while user works the list dialog on another thread.
    // Whatever user leaves open is cancelled, so that a failed test cannot hang.
    void Configure(const char* profile, const std::function<void(HWND)>& user) {
        wine::RunWhileUserActs([&] { m_configure(profile); }, [&] {
            HWND list = wine::WaitForVisibleWindow("#32770", kListCaption, kTimeout);
            if (list == nullptr) {
                ADD_FAILURE() << "the tweak list did not appear";
            } else {
                user(list);
            }
        });
    }

    wine::TempFolder m_folder{"Configure Dialog"};
    wine::AddonCopy m_addon;
    ConfigureFn m_configure = nullptr;
    std::string m_recorder;
    std::string m_log;
};

// Once with the rights to write the configuration, once as a standard user, whose writes the
// registry refuses: the add-on then hands the save to ZTTrevanelCtl beside it, started "runas".
class ConfigureDialogRights : public ConfigureDialogWine, public ::testing::WithParamInterface<bool> {};

TEST_P(ConfigureDialogRights, ATweakTypedIntoTheDialogsIsStoredAndRunsInTheProfilesLiveSession) {
    std::unique_ptr<wine::RefusedRegistryWrites> standardUser;
    if (GetParam()) {
        ASSERT_TRUE(CopyFileA(wine::ProgramPath("ZTTrevanelCtl.exe").c_str(),
                              (m_addon.Folder() + "ZTTrevanelCtl.exe").c_str(), FALSE));
        standardUser = std::make_unique<wine::RefusedRegistryWrites>(m_addon.Module());
        ASSERT_TRUE(standardUser->Active());
    }
    const std::string global = GlobalKey();
    const std::string work = ProfileKey("Work");
    StoreTweak(global, 0, "Upload Echo", m_recorder, "global", 0x10);
    // A profile nested in "Work": its set is not Work's to replace.
    const std::string nested = ProfileKey("Work\\M\xFCller");
    StoreTweak(nested, 0, "Nested Echo", m_recorder, "nested", 0x10);

    auto create = m_addon.Export<void(WINAPI*)(void*, const char*)>(5);
    auto download = m_addon.Export<int(WINAPI*)(void*, int, const char*, const char*, UINT)>(6);
    auto destroy = m_addon.Export<void(WINAPI*)(void*)>(8);
    void* const session = reinterpret_cast<void*>(0x5150);
    create(session, "Work");

    const std::string parameters = "--tag new \"%LOCAL_FILE_PATH%\" %REMOTE_FILE_PATH%";
    Configure("Work", [&](HWND list) {
        EXPECT_EQ(WindowText(GetDlgItem(list, 1007)),
                  wine::Cp1252("Die Konfiguration gilt nur für das ausgewählte Serverprofil."));
        EXPECT_EQ(Rows(list, kTweaks), std::vector<std::string>{"Upload Echo"});
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(list, kEdit)));

        PostMessageA(GetDlgItem(list, kAdd), BM_CLICK, 0, 0);
        HWND editor = wine::WaitForVisibleWindow("#32770", kEditorCaption, kTimeout);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(GetWindow(editor, GW_OWNER), list);
        Type(editor, kName, "Pack \xC4nderungen");
        // A typo in the program's path is asked about at OK; No goes back to the path.
        Type(editor, kExe, "C:\\Windows\\System32\\atrib.exe");
        PostMessageA(GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);
        const MessageBoxSeen missing = Answer(editor, IDNO);
        EXPECT_EQ(missing.text, wine::Cp1252("Das Programm \"C:\\Windows\\System32\\atrib.exe\" wurde nicht gefunden. "
                                             "Ein Hilfsprogramm, dessen Programm fehlt, wird nach keiner Übertragung "
                                             "gestartet.\r\n\r\nSoll es trotzdem so gespeichert werden?\r\n\r\nJa: Es "
                                             "wird gespeichert (zum Beispiel, weil das Programm erst später installiert "
                                             "wird).\r\nNein: Sie können den Pfad korrigieren."));
        EXPECT_TRUE(IsWindowVisible(editor));
        Type(editor, kExe, m_recorder);
        Type(editor, kParameters, parameters);
        SendDlgItemMessageA(editor, kDownload, BM_CLICK, 0, 0);
        // "*.tmp " is taken as it will reload: "*.tmp", matching a.tmp before and after the save.
        for (const char* filter : {"*.txt", "*.LOG", "*.TXT", "*.tmp "}) {
            Type(editor, kFilterText, filter);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, kAddFilter)));
            // Add is the default push button now.
            EXPECT_EQ(LOWORD(SendMessageA(editor, DM_GETDEFID, 0, 0)), kAddFilter);
            SendDlgItemMessageA(editor, kAddFilter, BM_CLICK, 0, 0);
        }
        EXPECT_EQ(Rows(editor, kFilters), (std::vector<std::string>{"*.LOG", "*.tmp", "*.txt"}));
        EXPECT_EQ(SendDlgItemMessageA(editor, kFilters, LB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(WindowText(GetDlgItem(editor, kFilterText)), "");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, kAddFilter)));
        PostMessageA(GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));

        EXPECT_EQ(Rows(list, kTweaks), (std::vector<std::string>{"Upload Echo", "Pack \xC4nderungen"}));
        EXPECT_EQ(SendDlgItemMessageA(list, kTweaks, LB_GETCURSEL, 0, 0), 1);
        ClickArrow(list, kArrows, true);
        EXPECT_TRUE(WaitUntil([&] {
            return Rows(list, kTweaks) ==
                   std::vector<std::string>{"Pack \xC4nderungen", "Upload Echo"};
        }));
        EXPECT_EQ(SendDlgItemMessageA(list, kTweaks, LB_GETCURSEL, 0, 0), 0);
        // The arrows stay in the middle of their range, ready for the next click.
        EXPECT_EQ(LOWORD(SendDlgItemMessageA(list, kArrows, UDM_GETPOS, 0, 0)), 2);
        PostMessageA(GetDlgItem(list, IDOK), BM_CLICK, 0, 0);
    });

    const KeyContent set = ReadKey(work);
    EXPECT_EQ(set.values, (std::map<std::string, std::string>{{"Count", "dw:" + Dw(2)}}));
    EXPECT_EQ(set.subkeys, (std::vector<std::string>{"M\xFCller", "Tweak 00", "Tweak 01"}));
    EXPECT_EQ(ReadKey(nested).values["Count"], "dw:" + Dw(1));
    EXPECT_EQ(ReadKey(nested + "\\Tweak 00").values["Name"], "sz:" + Sz("Nested Echo"));
    const KeyContent added = ReadKey(work + "\\Tweak 00");
    const std::map<std::string, std::string> expected = {
        {"Name", "sz:" + Sz("Pack \xC4nderungen")},
        {"Exe", "sz:" + Sz(m_recorder)},
        {"Parameters", "sz:" + Sz(parameters)},
        {"Enabled", "dw:" + Dw(1)},
        {"Ignore Case", "dw:" + Dw(1)},
        {"Apply To", "dw:" + Dw(0x01)},
        {"Filter", "sz:" + Sz("*.LOG;*.tmp;*.txt")},
    };
    EXPECT_EQ(added.values, expected);
    EXPECT_TRUE(added.subkeys.empty());
    EXPECT_EQ(ReadKey(work + "\\Tweak 01").values["Name"], "sz:" + Sz("Upload Echo"));
    // The global set is untouched.
    EXPECT_EQ(ReadKey(global).subkeys, std::vector<std::string>{"Tweak 00"});

    // The live session of the profile has reloaded: the next download runs the new tweak only.
    // Downloads land beside no program: one kept there would not start.
    wine::TempFolder received{"Received"};
    const std::string local = received.Path() + "report.txt";
    EXPECT_EQ(download(session, 0, "/remote/report.txt", local.c_str(), 0), 0);
    const std::string tmp = received.Path() + "a.tmp";
    EXPECT_EQ(download(session, 0, "/remote/a.tmp", tmp.c_str(), 0), 0);
    destroy(session);
    const std::string log = ReadFile(m_log);
    EXPECT_NE(log.find("\t--tag\tnew\t" + local + "\t/remote/report.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("\t--tag\tnew\t" + tmp + "\t/remote/a.tmp"), std::string::npos) << log;
    EXPECT_EQ(log.find("global"), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    if (standardUser) {
        EXPECT_GT(standardUser->Refused(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(, ConfigureDialogRights, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "AsAStandardUser" : "WithWriteRights";
});

TEST_F(ConfigureDialogWine, RemoveAsksAndCancelStoresNothing) {
    const std::string global = GlobalKey();
    StoreTweak(global, 0, "First", m_recorder, "1", 0x01);
    StoreTweak(global, 1, "Second", m_recorder, "2", 0x01);
    const KeyContent before = ReadKey(global);
    const KeyContent firstBefore = ReadKey(global + "\\Tweak 00");

    std::vector<MessageBoxSeen> boxes;
    Configure(nullptr, [&](HWND list) {
        EXPECT_EQ(WindowText(GetDlgItem(list, 1007)),
                  wine::Cp1252("Diese Konfiguration gilt für alle FTP Zorvant Serverprofile."));
        ClickRow(list, kTweaks, 0);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(list, kRemove)) != FALSE; }));
        PostMessageA(GetDlgItem(list, kRemove), BM_CLICK, 0, 0);
        boxes.push_back(Answer(list, IDNO));
        EXPECT_EQ(Rows(list, kTweaks), (std::vector<std::string>{"First", "Second"}));
        PostMessageA(GetDlgItem(list, kRemove), BM_CLICK, 0, 0);
        boxes.push_back(Answer(list, IDYES));
        EXPECT_TRUE(WaitUntil([&] { return Rows(list, kTweaks) == std::vector<std::string>{"Second"}; }));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(list, kRemove)));
        PostMessageA(GetDlgItem(list, IDCANCEL), BM_CLICK, 0, 0);
    });
    ASSERT_EQ(boxes.size(), 2u);
    for (const MessageBoxSeen& box : boxes) {
        EXPECT_EQ(box.caption, "ZTTrevanelAddon");
        EXPECT_EQ(box.text, wine::Cp1252("Sind Sie sicher, den ausgewählten Eintrag löschen zu wollen?"));
    }
    const KeyContent after = ReadKey(global);
    EXPECT_EQ(after.values, before.values);
    EXPECT_EQ(after.subkeys, before.subkeys);
    EXPECT_EQ(ReadKey(global + "\\Tweak 00").values, firstBefore.values);
}

// The registry refuses the key of a profile name this long, as it refuses every write to the
// configuration of a host that does not run as administrator.
TEST_F(ConfigureDialogWine, ARefusedSaveIsSaidAndTheListStaysOpenUntilCancel) {
    const std::string global = GlobalKey();
    StoreTweak(global, 0, "First", m_recorder, "1", 0x01);
    const KeyContent globalBefore = ReadKey(global);
    const std::string profile(400, 'P');

    MessageBoxSeen box;
    bool openAfterOk = false;
    std::vector<std::string> rowsAfterOk;
    Configure(profile.c_str(), [&](HWND list) {
        PostMessageA(GetDlgItem(list, IDOK), BM_CLICK, 0, 0);
        box = Answer(list, IDOK);
        openAfterOk = IsWindow(list) && IsWindowVisible(list);
        rowsAfterOk = Rows(list, kTweaks);
        PostMessageA(GetDlgItem(list, IDCANCEL), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(list); }));
    });
    EXPECT_EQ(box.caption, "ZTTrevanelAddon");
    EXPECT_EQ(box.text, wine::Cp1252("Die Konfiguration konnte nicht gespeichert werden.\r\n\r\n"
                                     "Die Registrierung hat das Schreiben unter\r\nHKEY_USERS\\.DEFAULT\\"
                                     "Software\\Tarku Software\\FTP Zorvant Trevanel\r\nabgelehnt, oder "
                                     "ein anderes Programm hat die Konfiguration länger als 30 Sekunden "
                                     "belegt.\r\n\r\nKlicken Sie erneut auf OK, um es noch einmal zu "
                                     "versuchen."));
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(rowsAfterOk, std::vector<std::string>{"First"});
    // Nothing half-written, and the global set the list showed is untouched.
    const std::string sets = ConfigurationsKey();
    for (const std::string& name : ReadKey(sets).subkeys) EXPECT_NE(name.substr(0, 3), "PPP");
    EXPECT_EQ(ReadKey(global).values, globalBefore.values);
    EXPECT_EQ(ReadKey(global).subkeys, globalBefore.subkeys);
}

// A standard user's rename whose consent cannot be had (no helper beside the add-on): the set stays
// under the old name and the rename says which set the profile runs now; the renamed profile's
// list offers the set once, and OK (the registry letting the write through now) moves it.
TEST_F(ConfigureDialogWine, ADeclinedRenameIsSaidAndTheRenamedProfilesListTakesItsSet) {
    const std::string work = ProfileKey("Work"), office = ProfileKey("Office");
    wine::DeleteRegTree(HKEY_USERS, office);
    StoreTweak(work, 0, "Work Echo", m_recorder, "w", 0x01);
    auto rename = m_addon.Export<void(WINAPI*)(const char*, const char*)>(2);
    MessageBoxSeen told;
    {
        wine::RefusedRegistryWrites standardUser(m_addon.Module());
        ASSERT_TRUE(standardUser.Active());
        wine::RunWhileUserActs([&] { rename("Work", "Office"); },
                               [&] { told = wine::AnswerMessageBox(nullptr, IDOK, "ZTTrevanelAddon"); });
    }
    EXPECT_NE(told.text.find("\"Office\" umbenannt"), std::string::npos) << told.text;
    EXPECT_EQ(ReadKey(work).values["Count"], "dw:" + Dw(1));
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, office));

    MessageBoxSeen offered;
    std::vector<std::string> rows;
    wine::RunWhileUserActs([&] { m_configure("Office"); }, [&] {
        HWND list = nullptr;
        WaitUntil([&] { return (list = FindWindowA("#32770", kListCaption)) != nullptr; });
        offered = Answer(list, IDYES);
        WaitUntil([&] { return IsWindowVisible(list) != FALSE; });
        rows = Rows(list, kTweaks);
        PostMessageA(GetDlgItem(list, IDOK), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(list); });
    });
    EXPECT_NE(offered.text.find("\"Work\""), std::string::npos) << offered.text;
    EXPECT_EQ(rows, std::vector<std::string>{"Work Echo"});
    EXPECT_EQ(ReadKey(office + "\\Tweak 00").values["Name"], "sz:" + Sz("Work Echo"));
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, work));
    wine::DeleteRegTree(HKEY_USERS, office);
}

// A standard user's rename that the helper makes: the host's window, which takes no clicks while the
// helper runs, takes them again afterwards.
TEST_F(ConfigureDialogWine, AfterTheHelpersRenameTheHostsWindowTakesClicksAgain) {
    ASSERT_TRUE(CopyFileA(wine::ProgramPath("ZTTrevanelCtl.exe").c_str(), (m_addon.Folder() + "ZTTrevanelCtl.exe").c_str(),
                          FALSE));
    const std::string work = ProfileKey("Work"), office = ProfileKey("Office");
    wine::DeleteRegTree(HKEY_USERS, office);
    StoreTweak(work, 0, "Work Echo", m_recorder, "w", 0x01);
    const HWND host = CreateWindowA("STATIC", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    SetActiveWindow(host);
    {
        wine::RefusedRegistryWrites standardUser(m_addon.Module());
        ASSERT_TRUE(standardUser.Active());
        m_addon.Export<void(WINAPI*)(const char*, const char*)>(2)("Work", "Office");
        EXPECT_GT(standardUser.Refused(), 0);
    }
    EXPECT_EQ(ReadKey(office + "\\Tweak 00").values["Name"], "sz:" + Sz("Work Echo"));
    EXPECT_TRUE(IsWindowEnabled(host));
    DestroyWindow(host);
    wine::DeleteRegTree(HKEY_USERS, office);
}

TEST_F(ConfigureDialogWine, HelpWithoutHelpFilesNamesThePathInTheHelpFolder) {
    // The prefix's interface is English (LC_ALL=C.UTF-8), so the English page is looked for.
    ASSERT_NE(GetUserDefaultUILanguage() & 0x3FF, 0x07);
    MessageBoxSeen box;
    Configure("", [&](HWND list) {
        PostMessageA(GetDlgItem(list, kHelp), BM_CLICK, 0, 0);
        box = Answer(list, IDOK);
        PostMessageA(GetDlgItem(list, IDCANCEL), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(box.caption, "ZTTrevanelAddon");
    EXPECT_EQ(box.text, wine::Cp1252("Fehler beim Öffnen der FTP Zorvant Trevanel Add-On Hilfe Datei.\r\n"
                                     "Bitte überprüfen Sie, ob die Datei existiert.\r\n\r\n\"") +
                            m_addon.Folder() + "Help\\ZTTrevanelAddOn-en.htm\"");
}

// "Testen..." asks for a file, tells what would start, and on Yes runs the tweak as edited and
// shows its exit code; the stored set is untouched.
TEST_F(ConfigureDialogWine, TestenRunsTheTweakAsEditedAndShowsItsExitCode) {
    // Beside no program: one kept beside the file would not start.
    wine::TempFolder received{"Received"};
    const std::string file = received.Write("sample.txt", "x");
    Configure(nullptr, [&](HWND list) {
        PostMessageA(GetDlgItem(list, kAdd), BM_CLICK, 0, 0);
        HWND editor = wine::WaitForVisibleWindow("#32770", kEditorCaption, kTimeout);
        ASSERT_NE(editor, nullptr);
        Type(editor, kExe, m_recorder);
        Type(editor, kParameters, "--exit-code=3 \"%LOCAL_FILE_PATH%\" %REMOTE_FILE_PATH%");
        SendDlgItemMessageA(editor, kDownload, BM_CLICK, 0, 0);
        PostMessageA(GetDlgItem(editor, kTest), BM_CLICK, 0, 0);
        HWND open = wine::WaitForOwnedWindow(editor);
        ASSERT_NE(open, nullptr);
        SetDlgItemTextA(open, 0x47c, file.c_str());
        PostMessageA(open, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(open); }));
        const MessageBoxSeen asked = Answer(editor, IDYES);
        EXPECT_NE(asked.text.find("\"" + m_recorder + "\" --exit-code=3 \"" + file + "\" /sample.txt"), std::string::npos)
            << asked.text;
        const MessageBoxSeen result = Answer(editor, IDOK);
        EXPECT_EQ(result.text.rfind(wine::Cp1252("Das Hilfsprogramm wurde ausgeführt:\r\n\r\nExitcode 3 nach "), 0), 0u)
            << result.text;
        PostMessageA(GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(editor); });
        PostMessageA(GetDlgItem(list, IDCANCEL), BM_CLICK, 0, 0);
    });
    const std::string log = ReadFile(m_log);
    EXPECT_NE(log.find("\t--exit-code=3\t" + file + "\t/sample.txt"), std::string::npos) << log;
    EXPECT_TRUE(ReadKey(GlobalKey()).subkeys.empty());
}

// Pictures of both dialogs with a sample configuration for the documentation, written when
// TREVANEL_SCREENSHOT_DIR names a (Unix) folder, every label whole.
TEST_F(ConfigureDialogWine, ScreenshotsOfBothDialogs) {
    // The pictures in docs/ are made by pointing TREVANEL_SCREENSHOT_DIR there; every other run
    // takes them into the build tree, so that they are checked all the same.
    const std::string folder = wine::ScreenshotFolder();
    const std::string global = GlobalKey();
    StoreTweak(global, 0, wine::Cp1252("Prüfsumme berechnen"), "C:\\Tools\\hashsum.exe",
               "\"%LOCAL_FILE_PATH%\"", 0x01);
    StoreTweak(global, 1, wine::Cp1252("Berichte nach PDF umwandeln"), "C:\\Tools\\topdf.exe",
               "/in \"%LOCAL_FILE_PATH%\" /quiet", 0x01 | 0x04);
    StoreTweak(global, 2, wine::Cp1252("Übertragung protokollieren"), "C:\\Tools\\logger.exe",
               "%REMOTE_FILE_PATH%", 0x10 | 0x20);

    Configure(nullptr, [&](HWND list) {
        ClickRow(list, kTweaks, 1);
        EXPECT_EQ(wine::CutLabels(list), std::vector<std::string>{});
        EXPECT_EQ(wine::CaptureWindow(list, folder + "/tweak-list.png"), "");
        PostMessageA(GetDlgItem(list, kEdit), BM_CLICK, 0, 0);
        HWND editor = wine::WaitForVisibleWindow("#32770", kEditorCaption, kTimeout);
        ASSERT_NE(editor, nullptr);
        const std::string filters[] = {"*.doc", "*.xls", wine::Cp1252("Bericht_März*.txt")};
        for (const std::string& filter : filters) {
            Type(editor, kFilterText, filter);
            SendDlgItemMessageA(editor, kAddFilter, BM_CLICK, 0, 0);
        }
        ClickRow(editor, kFilters, 1);
        // The introduction keeps the original layout, widths included: its first part needs a fourth
        // line where the second part stands, and the second part, beside the OK button, would need
        // a second line where the separator stands. Widening it put it under the OK button.
        EXPECT_EQ(wine::CutLabels(editor),
                  (std::vector<std::string>{
                      wine::Cp1252("Konfigurieren Sie hier die verschiedenen Einstellungen für Ihre Hilfsprogramme. Sie "
                                   "können bei bestimmten Ereignissen oder bestimmten Dateien (abhängig von den "
                                   "Filtern) aufgerufen werden. Für weitere"),
                      "Informationen zu den Optionen werfen Sie einen Blick in die Hilfe."}));
        EXPECT_EQ(wine::CaptureWindow(editor, folder + "/tweak-editor.png"), "");
        PostMessageA(GetDlgItem(editor, IDCANCEL), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(editor); });
        PostMessageA(GetDlgItem(list, IDCANCEL), BM_CLICK, 0, 0);
    });
}

}  // namespace
