// The tweak list, driven as a user would; what it stores is read back from the registry.
#include "platform/WinTypes.h"
#include "config/ProfileNotes.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/ZTTrevanelDlg.h"

namespace {

using Rows = std::vector<std::string>;
const int kUp = 1;
const int kDown = -1;

class ZTTrevanelDlgTest : public UiTest {
protected:
    // Queues driver for the list and runs it for profile.
    int Run(const char* profile, HeadlessUi::Driver driver) {
        m_ui.QueueDriver(std::move(driver));
        return RunTweakListDialog(profile);
    }
    Rows Shown(const char* profile) {
        Rows rows;
        Run(profile, [&](HeadlessDialog& d) {
            rows = d.Rows(IDC_LIST_TWEAKS);
            d.Click(IDCANCEL);
        });
        return rows;
    }
    static std::string Scope(HeadlessDialog& d) { return d.Text(IDC_STATIC_SCOPE); }
};

TEST_F(ZTTrevanelDlgTest, OpensWithTheStoredTweaksInOrderAndNothingSelected) {
    StoreNames(nullptr, {"Zip", "alpha", "Mail"});
    const int result = Run("", [&](HeadlessDialog& d) {
        EXPECT_EQ(d.Caption(), "FTP Zorvant Transfer Hilfsprogramm");
        EXPECT_EQ(Scope(d), "Diese Konfiguration gilt f\xFCr alle FTP Zorvant Serverprofile.");
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"Zip", "alpha", "Mail"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), LB_ERR);
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_EDIT));
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_REMOVE));
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_ADD));
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_REMOVE_ALL));
        EXPECT_EQ(d.Focus(), IDC_LIST_TWEAKS);
        EXPECT_EQ(d.UpDownRange(IDC_SPIN_MOVE), std::make_pair(1, 3));
        EXPECT_EQ(d.UpDownPos(IDC_SPIN_MOVE), 2);
        EXPECT_NE(d.SmallIcon(), nullptr);

        d.Select(IDC_LIST_TWEAKS, 1);
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_EDIT));
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_REMOVE));
        d.PressEscape();
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ZTTrevanelDlgTest, ArrowsMoveTheSelectedRowAndOkStoresTheNewOrder) {
    StoreNames(nullptr, {"T1", "T2", "T3"});
    const int result = Run(nullptr, [&](HeadlessDialog& d) {
        // Without a selection nothing moves.
        EXPECT_NE(d.ClickArrow(IDC_SPIN_MOVE, kUp), 0);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"T1", "T2", "T3"}));

        d.Select(IDC_LIST_TWEAKS, 2);
        EXPECT_NE(d.ClickArrow(IDC_SPIN_MOVE, kDown), 0);  // the last row cannot go down
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"T1", "T2", "T3"}));
        d.ClickArrow(IDC_SPIN_MOVE, kUp);
        d.ClickArrow(IDC_SPIN_MOVE, kUp);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"T3", "T1", "T2"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), 0);
        EXPECT_NE(d.ClickArrow(IDC_SPIN_MOVE, kUp), 0);  // the first row cannot go up
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"T3", "T1", "T2"}));
        EXPECT_EQ(d.UpDownPos(IDC_SPIN_MOVE), 2);
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_EDIT));

        d.Select(IDC_LIST_TWEAKS, 1);
        d.ClickArrow(IDC_SPIN_MOVE, kDown);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"T3", "T2", "T1"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), 2);
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"T3", "T2", "T1"}));
    // The records moved with their rows, not only their names.
    EXPECT_EQ(String(TweakKey(GlobalKey(), 2), "Exe"), "C:\\Tools\\tool.exe");
}

TEST_F(ZTTrevanelDlgTest, EditReplacesTheRowWhenTheNameChangedEvenOnlyInLetterCase) {
    StoreNames(nullptr, {"first", "packer", "last"});
    Run(nullptr, [&](HeadlessDialog& d) {
        d.Select(IDC_LIST_TWEAKS, 1);
        m_ui.QueueDriver([](HeadlessDialog& e) {
            EXPECT_EQ(e.Text(IDC_EDIT_NAME), "packer");
            e.Type(IDC_EDIT_NAME, "Packer");
            e.Click(IDOK);
        });
        d.Click(IDC_BTN_EDIT);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"first", "Packer", "last"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), 1);

        // A double click edits too; Cancel there changes neither row nor record.
        m_ui.QueueDriver([](HeadlessDialog& e) {
            e.Type(IDC_EDIT_NAME, "renamed");
            e.Click(IDCANCEL);
        });
        d.DoubleClick(IDC_LIST_TWEAKS, 2);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"first", "Packer", "last"}));

        // The same name with other changes leaves the row as it is.
        m_ui.QueueDriver([](HeadlessDialog& e) {
            e.Type(IDC_EDIT_PARAMETERS, "-q");
            e.Click(IDOK);
        });
        d.DoubleClick(IDC_LIST_TWEAKS, 2);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"first", "Packer", "last"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), 2);
        d.Click(IDOK);
    });
    EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"first", "Packer", "last"}));
    EXPECT_EQ(String(TweakKey(GlobalKey(), 2), "Parameters"), "-q");
}

TEST_F(ZTTrevanelDlgTest, AddAppendsTheNewTweakSelectedAndOkStoresItExactly) {
    StoreNames(nullptr, {"existing"});
    Run(nullptr, [&](HeadlessDialog& d) {
        m_ui.QueueDriver([](HeadlessDialog& e) {
            e.Type(IDC_EDIT_NAME, "Viewer");
            e.Type(IDC_EDIT_EXE, "C:\\View\\v.exe");
            e.Type(IDC_EDIT_PARAMETERS, "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"");
            e.Tick(IDC_CHECK_DOWNLOAD, true);
            e.Tick(IDC_CHECK_MOVE_LOCAL, true);
            e.Type(IDC_EDIT_FILTER, "*.txt");
            e.PressEnter();
            e.Type(IDC_EDIT_FILTER, "*.csv");
            e.PressEnter();
            e.Click(IDOK);
        });
        d.Click(IDC_BTN_ADD);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"existing", "Viewer"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), 1);
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_EDIT));
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_REMOVE));

        // Add, then Cancel in the editor: no row.
        m_ui.QueueDriver([](HeadlessDialog& e) {
            e.Type(IDC_EDIT_NAME, "dropped");
            e.Click(IDCANCEL);
        });
        d.Click(IDC_BTN_ADD);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"existing", "Viewer"}));
        d.Click(IDOK);
    });
    const std::string key = TweakKey(GlobalKey(), 1);
    EXPECT_EQ(Dword(GlobalKey(), "Count"), 2u);
    EXPECT_EQ(String(key, "Name"), "Viewer");
    EXPECT_EQ(String(key, "Exe"), "C:\\View\\v.exe");
    EXPECT_EQ(String(key, "Parameters"), "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"");
    EXPECT_EQ(Dword(key, "Enabled"), 1u);
    EXPECT_EQ(Dword(key, "Ignore Case"), 1u);
    EXPECT_EQ(Dword(key, "Apply To"), uint32_t(TWEAK_APPLY_DOWNLOAD | TWEAK_APPLY_MOVE_LOCAL));
    EXPECT_EQ(String(key, "Filter"), "*.csv;*.txt");
    EXPECT_EQ(m_app.m_reloads, Rows{""});

    // The list offers no more tweaks than a load reads.
    StoreNames(nullptr, Rows(CTweakConfig::kMaxTweaks, "t"));
    Run(nullptr, [&](HeadlessDialog& d) {
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_ADD));
        d.Select(IDC_LIST_TWEAKS, 0);
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE);
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_ADD));
        d.Click(IDCANCEL);
    });
}

TEST_F(ZTTrevanelDlgTest, OkLeavesExactlyCountAndTheTweakKeysOfTheRowsShown) {
    StoreNames(nullptr, {"a", "b", "c", "d", "e"});
    // Data the add-on does not know, which a save from the list replaces as well.
    HKEY key;
    ASSERT_EQ(m_reg.CreateKey(HKEY_USERS, (GlobalKey() + "\\Tweak 07").c_str(), &key), ERROR_SUCCESS);
    const uint8_t byte = 1;
    ASSERT_EQ(m_reg.SetValue(key, "Stray", REG_BINARY, &byte, 1), ERROR_SUCCESS);
    m_reg.CloseKey(key);

    Run(nullptr, [&](HeadlessDialog& d) {
        d.Select(IDC_LIST_TWEAKS, 4);
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE);
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_EDIT));
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_REMOVE));
        d.Select(IDC_LIST_TWEAKS, 0);
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"b", "c", "d"}));
        d.Click(IDOK);
    });
    EXPECT_EQ(ValueNames(GlobalKey()), Rows{"Count"});
    EXPECT_EQ(SubkeyNames(GlobalKey()), (Rows{"Tweak 00", "Tweak 01", "Tweak 02"}));
    EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"b", "c", "d"}));
}

// The registry refuses writes to the configuration for a host that is not run as administrator:
// the helper is started elevated, and here the user declines. A write may also fail otherwise.
TEST_F(ZTTrevanelDlgTest, ARefusedSaveIsSaidAndTheListStaysOpenAsTheUserLeftIt) {
    const char* const saveFailed =
        "Die Konfiguration konnte nicht gespeichert werden.\r\n\r\nDie Registrierung hat das Schreiben "
        "unter\r\nHKEY_USERS\\.DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel\r\nabgelehnt, "
        "oder ein anderes Programm hat die Konfiguration l\xE4nger als 30 Sekunden belegt.\r\n\r\n"
        "Klicken Sie erneut auf OK, um es noch einmal zu versuchen.";
    const char* const declined =
        "Die Konfiguration konnte nicht gespeichert werden.\r\n\r\nZum Speichern unter\r\n"
        "HKEY_USERS\\.DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel\r\nsind "
        "Administratorrechte n\xF6tig. Die Best\xE4tigung wurde abgelehnt, oder ZTTrevanelCtl.exe\r\n"
        "konnte auch mit Administratorrechten nicht speichern. Es wurde nichts ge\xE4ndert.\r\n\r\n"
        "Klicken Sie erneut auf OK, um es noch einmal zu versuchen.";
    const std::string helper = std::string(kFolder) + "ZTTrevanelCtl.exe";
    m_files.Put(helper, {});
    m_launcher.SetOutcome(helper, MemoryLauncher::Outcome::Fails);
    struct Case {
        const char* what;
        int refusedValue;  // 0: every write
        long error;
        const char* message;
        bool retry;  // OK again once the registry takes writes; else Cancel
    } cases[] = {{"every write, for want of rights", 0, ERROR_ACCESS_DENIED, declined, false},
                 {"the staged set's value", 2, ERROR_OUTOFMEMORY, saveFailed, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t shown = m_ui.MessageBoxes().size();
        const size_t started = m_launcher.ExecuteExCalls().size();
        StoreNames(nullptr, {"a", "b"});
        const auto before = Key(GlobalKey());
        int values = 0;
        bool refusing = true;
        m_reg.SetFailure([&](const MemoryRegistry::Call& call) -> long {
            using Op = MemoryRegistry::Op;
            if (!refusing) return ERROR_SUCCESS;
            if (call.op == Op::SetValue && (c.refusedValue == 0 || ++values == c.refusedValue))
                return c.error;
            const bool changesKeys = call.op == Op::CreateKey || call.op == Op::DeleteKey || call.op == Op::OpenKeyToWrite;
            return changesKeys && c.refusedValue == 0 ? c.error : ERROR_SUCCESS;
        });
        const bool denied = c.error == ERROR_ACCESS_DENIED;
        const int result = Run(nullptr, [&](HeadlessDialog& d) {
            // The user sees before pressing OK that it asks for consent.
            EXPECT_EQ(d.IsShielded(IDOK), denied);
            m_ui.QueueDriver([](HeadlessDialog& e) {
                e.Type(IDC_EDIT_NAME, "new");
                e.Type(IDC_EDIT_EXE, "new.exe");
                e.Click(IDOK);
            });
            d.Click(IDC_BTN_ADD);
            m_ui.QueueMessageBoxAnswer(IDOK);
            d.Click(IDOK);
            ASSERT_EQ(m_ui.MessageBoxes().size(), shown + 1);
            const auto& box = m_ui.MessageBoxes().back();
            EXPECT_EQ(box.text, c.message);
            ASSERT_EQ(m_launcher.ExecuteExCalls().size(), started + (denied ? 1 : 0));
            if (denied) {
                // The consent prompt belongs to the list, whose thread handles messages meanwhile.
                EXPECT_EQ(m_launcher.ExecuteExCalls().back().hwnd, d.Handle());
                EXPECT_TRUE(m_launcher.ExecuteExCalls().back().waited);
            }
            EXPECT_EQ(d.IsShielded(IDOK), denied);
            EXPECT_EQ(box.caption, "ZTTrevanelAddon");
            EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
            EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"a", "b", "new"}));
            EXPECT_EQ(d.CurSel(IDC_LIST_TWEAKS), 2);
            // Nothing half-written: what was stored before is stored still.
            EXPECT_TRUE(Key(GlobalKey()) == before);
            refusing = false;
            d.Click(c.retry ? IDOK : IDCANCEL);
        });
        m_reg.SetFailure(nullptr);
        EXPECT_EQ(result, c.retry ? IDOK : IDCANCEL);
        EXPECT_EQ(StoredNames(GlobalKey()), c.retry ? (Rows{"a", "b", "new"}) : (Rows{"a", "b"}));
        EXPECT_FALSE(m_app.m_reloads.empty()) << "live sessions get what is stored";
    }
}

// The set was changed elsewhere while the list was open (here a save from another list), or could
// not be read whole when it opened: OK asks whether to overwrite that change. Yes stores the list;
// No keeps the other change, shows it, and the next OK stores what is shown without asking again.
TEST_F(ZTTrevanelDlgTest, OkAfterAnOutsideChangeAsksAndKeepsWhatTheUserChose) {
    struct Case {
        const char* what;
        const char* profile;
        int answer;
        Rows stored;
    } cases[] = {{"the global set, overwritten", nullptr, IDYES, {"a"}},
                 {"the global set, the other change kept", nullptr, IDNO, {"theirs"}},
                 {"a profile's own set made meanwhile, kept", "Work", IDNO, {"theirs"}},
                 {"a profile's own set made meanwhile, overwritten", "Home", IDYES, {"a"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoreNames(nullptr, {"a", "b"});
        const std::string key = c.profile ? ProfileKey(c.profile) : GlobalKey();
        const size_t shown = m_ui.MessageBoxes().size();
        const int result = Run(c.profile, [&](HeadlessDialog& d) {
            d.Select(IDC_LIST_TWEAKS, 1);
            m_ui.QueueMessageBoxAnswer(IDYES);
            d.Click(IDC_BTN_REMOVE);
            StoreNames(c.profile, {"theirs"});
            m_ui.QueueMessageBoxAnswer(c.answer);
            d.Click(IDOK);
            ASSERT_EQ(m_ui.MessageBoxes().size(), shown + 2);
            EXPECT_EQ(m_ui.MessageBoxes().back().text, Str(IDS_SAVE_CHANGED_SINCE));
            EXPECT_EQ(m_ui.MessageBoxes().back().type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
            if (c.answer == IDYES) return;
            EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), c.stored);
            EXPECT_EQ(StoredNames(key), c.stored);
            d.Click(IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(m_ui.MessageBoxes().size(), shown + 2);
        EXPECT_EQ(StoredNames(key), c.stored);
    }
}

// A set the registry would not let the list read whole: said, and no OK over what it did not show.
TEST_F(ZTTrevanelDlgTest, ASetNotReadWholeIsSaidAndOffersNoOk) {
    StoreNames(nullptr, {"a", "b"});
    m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        return call.op == MemoryRegistry::Op::EnumValue ? 1450L : ERROR_SUCCESS;  // ERROR_NO_SYSTEM_RESOURCES
    });
    m_ui.QueueMessageBoxAnswer(IDOK);
    const int result = Run(nullptr, [&](HeadlessDialog& d) {
        m_reg.SetFailure(nullptr);
        EXPECT_EQ(m_ui.MessageBoxes().back().text, Str(IDS_SET_UNREADABLE));
        EXPECT_FALSE(d.IsEnabled(IDOK));
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE_ALL);
        d.PressEnter();
        EXPECT_EQ(m_ui.MessageBoxes().size(), 2u) << "Enter neither saves nor asks to";
        EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"a", "b"}));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(ZTTrevanelDlgTest, RemoveAllThenOkStoresAnEmptySet) {
    StoreNames(nullptr, {"a", "b"});
    Run(nullptr, [&](HeadlessDialog& d) {
        m_ui.QueueMessageBoxAnswer(IDNO);
        d.Click(IDC_BTN_REMOVE_ALL);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"a", "b"}));
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE_ALL);
        EXPECT_TRUE(d.Rows(IDC_LIST_TWEAKS).empty());
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_EDIT));
        const size_t asked = m_ui.MessageBoxes().size();
        d.Click(IDC_BTN_REMOVE_ALL);
        EXPECT_EQ(m_ui.MessageBoxes().size(), asked) << "an empty list asks nothing";
        d.Click(IDOK);
    });
    ASSERT_EQ(m_ui.MessageBoxes().size(), 2u);
    EXPECT_EQ(m_ui.MessageBoxes()[0].caption, "ZTTrevanelAddon");
    EXPECT_EQ(m_ui.MessageBoxes()[0].text,
              "Sind Sie sicher, dass Sie alle Eintr\xE4ge entfernen m\xF6"
              "chten?");
    EXPECT_EQ(m_ui.MessageBoxes()[0].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(Dword(GlobalKey(), "Count"), 0u);
    EXPECT_TRUE(SubkeyNames(GlobalKey()).empty());
}

TEST_F(ZTTrevanelDlgTest, CancelStoresNothingAndRemovedTweaksShowAgain) {
    StoreNames(nullptr, {"a", "b"});
    const auto before = Key(GlobalKey());
    const int result = Run(nullptr, [&](HeadlessDialog& d) {
        d.Select(IDC_LIST_TWEAKS, 0);
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE);
        m_ui.QueueDriver([](HeadlessDialog& e) {
            e.Type(IDC_EDIT_NAME, "changed");
            e.Click(IDOK);
        });
        d.DoubleClick(IDC_LIST_TWEAKS, 0);
        m_ui.QueueDriver([](HeadlessDialog& e) {
            e.Type(IDC_EDIT_NAME, "new");
            e.Type(IDC_EDIT_EXE, "new.exe");
            e.Click(IDOK);
        });
        d.Click(IDC_BTN_ADD);
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"changed", "new"}));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_TRUE(before && Key(GlobalKey()));
    EXPECT_EQ(Key(GlobalKey())->subkeys.size(), before->subkeys.size());
    EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"a", "b"}));
    EXPECT_TRUE(m_app.m_reloads.empty());
    EXPECT_EQ(Shown(nullptr), (Rows{"a", "b"}));
}

TEST_F(ZTTrevanelDlgTest, RecordsAddedAndRemovedInOneRunAreHandledOnce) {
    // Run under the address sanitizer these catch a record destroyed twice or never.
    for (const int end : {IDOK, IDCANCEL}) {
        StoreNames(nullptr, {"kept"});
        Run(nullptr, [&](HeadlessDialog& d) {
            for (const char* name : {"one", "two"}) {
                m_ui.QueueDriver([name](HeadlessDialog& e) {
                    e.Type(IDC_EDIT_NAME, name);
                    e.Type(IDC_EDIT_EXE, "x.exe");
                    e.Click(IDOK);
                });
                d.Click(IDC_BTN_ADD);
            }
            m_ui.QueueMessageBoxAnswer(IDYES);
            d.Click(IDC_BTN_REMOVE);  // "two", still selected after Add
            d.Select(IDC_LIST_TWEAKS, 0);
            m_ui.QueueMessageBoxAnswer(IDYES);
            d.Click(IDC_BTN_REMOVE);  // "kept", a loaded record
            d.Click(end);
        });
        EXPECT_EQ(StoredNames(GlobalKey()), end == IDOK ? Rows{"one"} : Rows{"kept"});
    }
}

TEST_F(ZTTrevanelDlgTest, AProfileWithoutItsOwnSetShowsTheGlobalOneAndOkGivesItItsOwn) {
    StoreNames(nullptr, {"g1", "g2"});
    const int result = Run("Work", [&](HeadlessDialog& d) {
        EXPECT_EQ(Scope(d), "Die Konfiguration gilt nur f\xFCr das ausgew\xE4hlte Serverprofil.");
        EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), (Rows{"g1", "g2"}));
        d.Select(IDC_LIST_TWEAKS, 1);
        d.ClickArrow(IDC_SPIN_MOVE, kUp);
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(StoredNames(ProfileKey("Work")), (Rows{"g2", "g1"}));
    EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"g1", "g2"}));
    EXPECT_EQ(m_app.m_reloads, Rows{"Work"});

    StoreNames("Empty", {});
    EXPECT_TRUE(Shown("Empty").empty()) << "a stored Count of 0 hides the global tweaks";
}

TEST_F(ZTTrevanelDlgTest, HelpTriesTheHelpFolderThenTheModuleFolderThenNamesTheFirstPath) {
    struct Case {
        const char* file;
        unsigned dialog;
        unsigned short uiLanguage;
    };
    // German for every German (primary language 0x07), English for every other language.
    const Case dialogs[] = {{"ZTTrevanelAddOn.htm", IDD_ZTTREVANEL_DIALOG, 0x0407},
                            {"ZTTrevanelAddOnInfo.htm", IDD_TWEAKINFO_DIALOG, 0x0807},
                            {"ZTTrevanelAddOn-en.htm", IDD_ZTTREVANEL_DIALOG, 0x0409},
                            {"ZTTrevanelAddOnInfo-en.htm", IDD_TWEAKINFO_DIALOG, 0x040C},
                            {"ZTTrevanelAddOn-en.htm", IDD_ZTTREVANEL_DIALOG, 0x0447}};
    const struct {
        intptr_t first, second;
        size_t opens;
        bool message;
    } outcomes[] = {{42, 42, 1, false}, {2, 33, 2, false}, {32, 2, 2, true}};

    for (const Case& c : dialogs) {
        m_ui.SetUserUiLanguage(c.uiLanguage);
        const std::string path1 = std::string(kFolder) + "Help\\" + c.file;
        const std::string path2 = std::string(kFolder) + c.file;
        for (const auto& o : outcomes) {
            MemoryLauncher launcher;
            StandIns swap{launcher};
            launcher.SetExecuteResult(path1, o.first);
            launcher.SetExecuteResult(path2, o.second);
            const size_t shownBefore = m_ui.MessageBoxes().size();
            if (o.message) m_ui.QueueMessageBoxAnswer(IDOK);

            Run(nullptr, [&](HeadlessDialog& d) {
                if (c.dialog == IDD_TWEAKINFO_DIALOG) {
                    m_ui.QueueDriver([](HeadlessDialog& e) {
                        e.Click(IDC_BTN_HELP);
                        e.Click(IDCANCEL);
                    });
                    d.Click(IDC_BTN_ADD);
                } else {
                    d.Click(IDC_BTN_HELP);
                }
                d.Click(IDCANCEL);
            });

            const auto calls = launcher.ExecuteCalls();
            ASSERT_EQ(calls.size(), o.opens) << c.file;
            EXPECT_EQ(calls[0].verb, "open");
            EXPECT_EQ(calls[0].file, path1);
            EXPECT_EQ(calls[0].parameters, std::nullopt);
            EXPECT_EQ(calls[0].directory, std::nullopt);
            EXPECT_EQ(calls[0].show, SW_SHOW);
            if (o.opens == 2) EXPECT_EQ(calls[1].file, path2);
            ASSERT_EQ(m_ui.MessageBoxes().size(), shownBefore + (o.message ? 1 : 0)) << c.file;
            if (o.message) {
                const HeadlessUi::MessageBoxCall& box = m_ui.MessageBoxes().back();
                EXPECT_EQ(box.caption, "ZTTrevanelAddon");
                EXPECT_EQ(box.text,
                          "Fehler beim \xD6"
                          "ffnen der FTP Zorvant Trevanel Add-On Hilfe Datei.\r\n"
                          "Bitte \xFC"
                          "berpr\xFC"
                          "fen Sie, ob die Datei existiert.\r\n\r\n\"" + path1 + "\"");
                EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
            }
        }
    }
}

TEST_F(ZTTrevanelDlgTest, APercentSignInTheModuleFolderIsShownAsItIs) {
    m_app.m_strModuleFolder = "C:\\100%s\\";
    m_launcher.SetExecuteResult("C:\\100%s\\Help\\ZTTrevanelAddOn.htm", 2);
    m_launcher.SetExecuteResult("C:\\100%s\\ZTTrevanelAddOn.htm", 2);
    m_ui.QueueMessageBoxAnswer(IDOK);
    Run(nullptr, [](HeadlessDialog& d) {
        d.Click(IDC_BTN_HELP);
        d.Click(IDCANCEL);
    });
    ASSERT_EQ(m_ui.MessageBoxes().size(), 1u);
    const std::string& text = m_ui.MessageBoxes()[0].text;
    EXPECT_EQ(text.substr(text.find('"')), "\"C:\\100%s\\Help\\ZTTrevanelAddOn.htm\"");
}

// A rename whose set could not follow: the renamed profile's list offers the set left under the
// old name once; Yes shows it, and OK stores it under the new name and removes it under the old.
TEST_F(ZTTrevanelDlgTest, ARenamedProfilesListOffersTheSetLeftUnderItsOldNameOnce) {
    StoreNames(nullptr, {"global"});
    StoreNames("Work", {"w1", "w2"});
    m_ui.QueueMessageBoxAnswer(IDOK);
    TellRenameNotMoved("Office");
    EXPECT_NE(m_ui.MessageBoxes().back().text.find("\"Office\" umbenannt"), std::string::npos);
    for (const int answer : {IDNO, IDYES}) {
        NoteDeclinedRename("Work", "Office");
        m_ui.QueueMessageBoxAnswer(answer);
        Run("Office", [&](HeadlessDialog& d) {
            EXPECT_EQ(d.Rows(IDC_LIST_TWEAKS), answer == IDYES ? (Rows{"w1", "w2"}) : (Rows{"global"}));
            d.Click(answer == IDYES ? IDOK : IDCANCEL);
        });
        EXPECT_NE(m_ui.MessageBoxes().back().text.find("\"Work\""), std::string::npos);
        if (answer == IDNO) EXPECT_EQ(Shown("Office"), Rows{"global"});  // asked once only
    }
    // Taken, but the old name's set changed before OK: nothing is removed that the list did not show.
    StoreNames("Later", {"l1"});
    NoteDeclinedRename("Later", "Office2");
    m_ui.QueueMessageBoxAnswer(IDYES);
    Run("Office2", [&](HeadlessDialog& d) {
        StoreNames("Later", {"changed"});
        m_ui.QueueMessageBoxAnswer(IDNO);
        d.Click(IDOK);
        EXPECT_EQ(m_ui.MessageBoxes().back().text, Str(IDS_SAVE_CHANGED_SINCE));
        d.Click(IDOK);  // the list as stored now: saved without another question
    });
    EXPECT_EQ(StoredNames(ProfileKey("Later")), Rows{"changed"});
    EXPECT_EQ(Shown("Office"), (Rows{"w1", "w2"}));
    EXPECT_EQ(StoredNames(ProfileKey("Office")), (Rows{"w1", "w2"}));
    EXPECT_FALSE(Key(ProfileKey("Work")).has_value());
}

}  // namespace

TEST_F(ZTTrevanelDlgTest, OkForAProfileNameReachingIntoOtherSetsLosesNoOtherTweaks) {
    // "\" names the key of all sets, the other name a tweak key of the global set: a set stored
    // there would replace the keys of profiles named "Tweak 00"... or be replaced by the next
    // save of the global set. The save is refused as one the registry refuses.
    const char* const names[] = {"\\", "ZTTrevanelAddon Global Configuration\\Tweak 00"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        StoreNames(nullptr, {"global one", "global two"});
        StoreNames("Work", {"work one"});
        Run(name, [&](HeadlessDialog& d) {
            const size_t shown = m_ui.MessageBoxes().size();
            m_ui.QueueMessageBoxAnswer(IDOK);
            d.Click(IDOK);
            EXPECT_EQ(m_ui.MessageBoxes().size(), shown + 1);
            d.Click(IDCANCEL);
        });
        EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"global one", "global two"}));
        EXPECT_EQ(StoredNames(ProfileKey("Work")), Rows{"work one"});
    }
}

TEST_F(ZTTrevanelDlgTest, OkForTheProfileNamedLikeTheGlobalSetReplacesTheGlobalSet) {
    StoreNames(nullptr, {"a", "b", "c"});
    Run("ztTREVANELaddon global configuration", [&](HeadlessDialog& d) {
        d.Select(IDC_LIST_TWEAKS, 2);
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE);
        d.Click(IDOK);
    });
    EXPECT_EQ(SubkeyNames(GlobalKey()), (Rows{"Tweak 00", "Tweak 01"}));
    EXPECT_EQ(StoredNames(GlobalKey()), (Rows{"a", "b"}));
}
