// The tweak editor, driven as a user would through the headless dialog.
#include <memory>

#include "platform/WinTypes.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/TweakInfoDlg.h"

namespace {

using Rows = std::vector<std::string>;

const int kTypeBoxes[] = {IDC_CHECK_DOWNLOAD, IDC_CHECK_UPLOAD,      IDC_CHECK_OPEN,
                          IDC_CHECK_MOVE_LOCAL, IDC_CHECK_MOVE_SERVER, IDC_CHECK_VIEW};

class TweakInfoDlgTest : public UiTest {
protected:
    // Runs the editor on record with driver; returns DoModal's result.
    int Edit(CTweakInfo* record, HeadlessUi::Driver driver) {
        m_ui.QueueDriver(std::move(driver));
        CTweakInfoDlg dialog(record);
        return dialog.DoModal();
    }

    static void AddFilter(HeadlessDialog& d, const std::string& text) {
        d.Type(IDC_EDIT_FILTER, text);
        ASSERT_TRUE(d.Click(IDC_BTN_ADD_FILTER));
    }

    CTweakInfo m_record;
};

TEST_F(TweakInfoDlgTest, NewRecordOpensEmptyWithOnlyIgnoreCaseTickedAndFocusOnName) {
    m_ui.QueueDriver([&](HeadlessDialog& d) {
        EXPECT_EQ(d.Caption(), "FTP Zorvant Trevanel Konfiguration");
        EXPECT_EQ(d.Text(IDC_EDIT_NAME), "");
        EXPECT_EQ(d.Text(IDC_EDIT_EXE), "");
        EXPECT_EQ(d.Text(IDC_EDIT_PARAMETERS), "");
        EXPECT_FALSE(d.IsChecked(IDC_CHECK_DISABLED));
        for (int box : kTypeBoxes) EXPECT_FALSE(d.IsChecked(box)) << box;
        EXPECT_TRUE(d.IsChecked(IDC_CHECK_IGNORE_CASE));
        EXPECT_TRUE(d.Rows(IDC_LIST_FILTERS).empty());
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_ADD_FILTER));
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_REMOVE_FILTER));
        EXPECT_EQ(d.Focus(), IDC_EDIT_NAME);
        EXPECT_EQ(d.DefaultId(), IDOK);
        EXPECT_NE(d.SmallIcon(), nullptr);
        EXPECT_EQ(d.BigIcon(), nullptr);
        d.PressEscape();
    });
    CTweakInfoDlg dialog(nullptr);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    // The editor made the record; the caller owns it.
    std::unique_ptr<CTweakInfo> created(dialog.m_pTweak);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->m_nApplyTo, 0u);
}

TEST_F(TweakInfoDlgTest, OkStoresEveryFieldExactlyAsTyped) {
    m_record.m_nApplyTo = TWEAK_APPLY_UPLOAD;
    const int result = Edit(&m_record, [&](HeadlessDialog& d) {
        d.Type(IDC_EDIT_NAME, "   ");
        d.Type(IDC_EDIT_EXE, "\\\\server\\tools\\run.exe");
        d.Type(IDC_EDIT_PARAMETERS, "-in \"%LOCAL_FILE_PATH%\" ");
        d.Tick(IDC_CHECK_DISABLED, true);
        d.Tick(IDC_CHECK_UPLOAD, false);
        d.Tick(IDC_CHECK_MOVE_SERVER, true);
        d.Tick(IDC_CHECK_VIEW, true);
        d.Tick(IDC_CHECK_IGNORE_CASE, false);
        AddFilter(d, " *.log ");
        d.Tick(IDC_CHECK_STOP_ON_FAILURE, true);
        // More than a day is refused, at the field.
        d.Type(IDC_EDIT_TIME_LIMIT, "86401");
        m_ui.QueueMessageBoxAnswer(IDOK);
        d.Click(IDOK);
        EXPECT_FALSE(d.HasEnded());
        EXPECT_EQ(d.Focus(), IDC_EDIT_TIME_LIMIT);
        d.Type(IDC_EDIT_TIME_LIMIT, "86400");
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_record.m_strName, "   ");
    EXPECT_EQ(m_record.m_strExe, "\\\\server\\tools\\run.exe");
    EXPECT_EQ(m_record.m_strParameters, "-in \"%LOCAL_FILE_PATH%\" ");
    EXPECT_EQ(m_record.m_bEnabled, 0);
    EXPECT_EQ(m_record.m_nApplyTo, uint32_t(TWEAK_APPLY_MOVE_SERVER | TWEAK_APPLY_VIEW));
    EXPECT_EQ(m_record.m_bIgnoreCase, 0);
    // A filter is taken as it reloads: without white space at its ends.
    EXPECT_EQ(m_record.m_arrFilters, Rows{"*.log"});
    EXPECT_EQ(m_record.m_bStopOnFailure, 1);
    EXPECT_EQ(m_record.m_nTimeLimit, 86400u);
    EXPECT_EQ(m_ui.MessageBoxes().at(0).text,
              "Das Zeitlimit darf h\xF6" "chstens 86400 Sekunden (ein Tag) betragen. 0 bedeutet: kein Zeitlimit.");
}

// "Testen..." tells what a transfer of a picked file would start, and runs it only on Yes, as after
// a transfer; a tweak that would not start says why and runs nothing.
TEST_F(TweakInfoDlgTest, TestShowsWhatWouldStartAndRunsItOnYes) {
    m_record.m_strExe = "C:\\Tools\\tool.exe";
    m_record.m_strParameters = "\"%LOCAL_FILE_PATH%\" %REMOTE_FILE_PATH%";
    m_record.m_nApplyTo = TWEAK_APPLY_UPLOAD | TWEAK_APPLY_MOVE_SERVER;
    m_launcher.SetExitCode("C:\\Tools\\tool.exe", 3);
    Edit(&m_record, [&](HeadlessDialog& d) {
        m_ui.QueueFileDialogAnswer(std::string("D:\\out\\a b.txt"));
        m_ui.QueueMessageBoxAnswer(IDNO);
        d.Click(IDC_BTN_TEST);
        EXPECT_TRUE(m_launcher.LaunchedFiles().empty());
        m_ui.QueueFileDialogAnswer(std::string("D:\\out\\a b.txt"));
        m_ui.QueueMessageBoxAnswer(IDYES);
        m_ui.QueueMessageBoxAnswer(IDOK);
        d.Click(IDC_BTN_TEST);
        d.Tick(IDC_CHECK_UPLOAD, false);
        d.Tick(IDC_CHECK_MOVE_SERVER, false);
        m_ui.QueueFileDialogAnswer(std::string("D:\\out\\a b.txt"));
        m_ui.QueueMessageBoxAnswer(IDOK);
        d.Click(IDC_BTN_TEST);
        d.Click(IDCANCEL);
    });
    ASSERT_EQ(m_ui.MessageBoxes().size(), 4u);
    const std::string shown = "upload: D:\\out\\a b.txt (Server: /a b.txt)\r\n\r\n"
                              "\"C:\\Tools\\tool.exe\" \"D:\\out\\a b.txt\" \"/a b.txt\"";
    EXPECT_EQ(m_ui.MessageBoxes()[1].text, "Nach dieser \xDC" "bertragung w\xFC" "rde das Hilfsprogramm so gestartet:\r\n\r\n" +
                                               shown + "\r\n\r\nJetzt so ausf\xFC" "hren, wie nach einer \xDC" "bertragung?");
    EXPECT_EQ(m_ui.MessageBoxes()[1].type, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(m_launcher.LaunchedFiles(), Rows{"C:\\Tools\\tool.exe"});
    EXPECT_EQ(m_ui.MessageBoxes()[2].text, "Das Hilfsprogramm wurde ausgef\xFC" "hrt:\r\n\r\nExitcode 3 nach 0 ms");
    EXPECT_EQ(m_ui.MessageBoxes()[2].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(m_ui.MessageBoxes()[3].text.rfind("Nach dieser \xDC" "bertragung w\xFC" "rde das Hilfsprogramm nicht "
                                                "gestartet:\r\n\r\ndownload: D:\\out\\a b.txt", 0), 0u);
    EXPECT_NE(m_ui.MessageBoxes()[3].text.find("type: the transfer type is not ticked; ticked: none"), std::string::npos);
    // The record is the editor's to change at OK only.
    EXPECT_EQ(m_record.m_nApplyTo, uint32_t(TWEAK_APPLY_UPLOAD | TWEAK_APPLY_MOVE_SERVER));
}

TEST_F(TweakInfoDlgTest, EachTransferTypeBoxShowsAndStoresItsOwnBit) {
    const struct {
        int box;
        uint32_t bit;
    } cases[] = {{IDC_CHECK_DOWNLOAD, 0x01}, {IDC_CHECK_VIEW, 0x02},       {IDC_CHECK_OPEN, 0x04},
                 {IDC_CHECK_MOVE_LOCAL, 0x08}, {IDC_CHECK_UPLOAD, 0x10}, {IDC_CHECK_MOVE_SERVER, 0x20}};
    for (const auto& c : cases) {
        CTweakInfo record;
        record.m_strName = "n";
        record.m_strExe = "e";
        record.m_nApplyTo = c.bit;
        Edit(&record, [&](HeadlessDialog& d) {
            for (int box : kTypeBoxes) EXPECT_EQ(d.IsChecked(box), box == c.box) << c.bit << " " << box;
            d.Tick(c.box, false);
            d.Click(IDOK);
        });
        EXPECT_EQ(record.m_nApplyTo, 0u) << c.bit;
        Edit(&record, [&](HeadlessDialog& d) {
            d.Tick(c.box, true);
            d.Click(IDOK);
        });
        EXPECT_EQ(record.m_nApplyTo, c.bit);
    }
}

TEST_F(TweakInfoDlgTest, OkClearsTransferBitsThatHaveNoBox) {
    for (uint32_t stored : {0x41u, 0xFFFFFFC0u, 0xFFFFFFFFu}) {
        CTweakInfo record;
        record.m_strName = "n";
        record.m_strExe = "e";
        record.m_nApplyTo = stored;
        Edit(&record, [](HeadlessDialog& d) { d.Click(IDOK); });
        EXPECT_EQ(record.m_nApplyTo, stored & 0x3Fu) << std::hex << stored;
    }
}

TEST_F(TweakInfoDlgTest, FieldsShowTheRecordUnchangedAndOkGivesItBack) {
    m_record.m_strName = " Packer ";
    m_record.m_strExe = "\\\\server\\tools\\run.exe";
    m_record.m_strParameters = "%REMOTE_FILE_PATH%";
    m_record.m_bEnabled = 0;
    m_record.m_bIgnoreCase = 0;
    Edit(&m_record, [](HeadlessDialog& d) {
        EXPECT_EQ(d.Text(IDC_EDIT_NAME), " Packer ");
        EXPECT_EQ(d.Text(IDC_EDIT_EXE), "\\\\server\\tools\\run.exe");
        EXPECT_EQ(d.Text(IDC_EDIT_PARAMETERS), "%REMOTE_FILE_PATH%");
        EXPECT_TRUE(d.IsChecked(IDC_CHECK_DISABLED));
        EXPECT_FALSE(d.IsChecked(IDC_CHECK_IGNORE_CASE));
        d.PressEnter();
    });
    EXPECT_EQ(m_record.m_strName, " Packer ");
    EXPECT_EQ(m_record.m_strExe, "\\\\server\\tools\\run.exe");
    EXPECT_EQ(m_record.m_strParameters, "%REMOTE_FILE_PATH%");
    EXPECT_EQ(m_record.m_bEnabled, 0);
    EXPECT_EQ(m_record.m_bIgnoreCase, 0);
}

TEST_F(TweakInfoDlgTest, FiltersShowSortedOkStoresThemSortedCancelKeepsTheRecordsOrder) {
    m_record.m_strName = "n";
    m_record.m_strExe = "e";
    m_record.m_arrFilters = {"z", "a"};
    Edit(&m_record, [](HeadlessDialog& d) {
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), (Rows{"a", "z"}));
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(m_record.m_arrFilters, (Rows{"z", "a"}));
    Edit(&m_record, [](HeadlessDialog& d) { d.Click(IDOK); });
    EXPECT_EQ(m_record.m_arrFilters, (Rows{"a", "z"}));
}

TEST_F(TweakInfoDlgTest, AddingAFilterThatDiffersOnlyInCaseSelectsTheExistingRow) {
    m_record.m_arrFilters = {"*.doc", "*.txt", "*.zip"};
    Edit(&m_record, [](HeadlessDialog& d) {
        AddFilter(d, "*.TXT");
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), (Rows{"*.doc", "*.txt", "*.zip"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_FILTERS), 1);
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_REMOVE_FILTER));
        EXPECT_EQ(d.Text(IDC_EDIT_FILTER), "");
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_ADD_FILTER));
        EXPECT_EQ(d.Focus(), IDC_LIST_FILTERS);

        AddFilter(d, "*.bak");
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), (Rows{"*.bak", "*.doc", "*.txt", "*.zip"}));
        EXPECT_EQ(d.CurSel(IDC_LIST_FILTERS), 0);

        // Filters that tell case apart are two filters; the same one again is still one.
        d.Tick(IDC_CHECK_IGNORE_CASE, false);
        AddFilter(d, "*.TXT");
        AddFilter(d, "*.TXT");
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), (Rows{"*.bak", "*.doc", "*.TXT", "*.txt", "*.zip"}));
        d.Click(IDCANCEL);
    });
}

TEST_F(TweakInfoDlgTest, OnceTheFilterTextChangesEnterAddsFiltersForTheRestOfTheRun) {
    m_record.m_strName = "n";
    m_record.m_strExe = "e";
    Edit(&m_record, [](HeadlessDialog& d) {
        d.Type(IDC_EDIT_FILTER, "*.a");
        EXPECT_TRUE(d.IsEnabled(IDC_BTN_ADD_FILTER));
        EXPECT_EQ(d.DefaultId(), IDC_BTN_ADD_FILTER);
        d.PressEnter();
        EXPECT_FALSE(d.HasEnded());
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), Rows{"*.a"});

        // Emptying the field by hand: Add disabled, still the default, focus to the list.
        d.Type(IDC_EDIT_FILTER, "x");
        d.Type(IDC_EDIT_FILTER, "");
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_ADD_FILTER));
        EXPECT_EQ(d.DefaultId(), IDC_BTN_ADD_FILTER);
        EXPECT_EQ(d.Focus(), IDC_LIST_FILTERS);
        d.PressEnter();
        EXPECT_FALSE(d.HasEnded()) << "Enter must not close the editor once a filter was typed";
        // Blanks or ";" alone are no filter: stored, they would let every file pass.
        d.Type(IDC_EDIT_FILTER, " ; ");
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_ADD_FILTER));

        // Typed with a trailing blank, taken as it will reload and match.
        d.Type(IDC_EDIT_FILTER, "*.b ");
        d.PressEnter();
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), (Rows{"*.a", "*.b"}));
        d.Click(IDOK);
    });
    EXPECT_EQ(m_record.m_arrFilters, (Rows{"*.a", "*.b"}));
}

TEST_F(TweakInfoDlgTest, RemovingAFilterSelectsTheRowThatFollowedItOrTheNewLastRow) {
    const struct {
        Rows filters;
        int removed;
        Rows left;
        int selected;
    } cases[] = {
        {{"a", "b", "c"}, 1, {"a", "c"}, 1},
        {{"a", "b", "c"}, 0, {"b", "c"}, 0},
        {{"a", "b", "c"}, 2, {"a", "b"}, 1},
        {{"a"}, 0, {}, LB_ERR},
    };
    for (const auto& c : cases) {
        m_record.m_arrFilters = c.filters;
        Edit(&m_record, [&](HeadlessDialog& d) {
            d.Select(IDC_LIST_FILTERS, c.removed);
            EXPECT_TRUE(d.IsEnabled(IDC_BTN_REMOVE_FILTER));
            m_ui.QueueMessageBoxAnswer(IDYES);
            d.Click(IDC_BTN_REMOVE_FILTER);
            EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), c.left) << c.removed;
            EXPECT_EQ(d.CurSel(IDC_LIST_FILTERS), c.selected) << c.removed;
            EXPECT_EQ(d.IsEnabled(IDC_BTN_REMOVE_FILTER), c.selected != LB_ERR);
            d.Click(IDCANCEL);
        });
    }
    const HeadlessUi::MessageBoxCall& question = m_ui.MessageBoxes().back();
    EXPECT_EQ(question.caption, "ZTTrevanelAddon");
    EXPECT_EQ(question.text, "Sind Sie sicher, den ausgew\xE4hlten Eintrag l\xF6schen zu wollen?");
    EXPECT_EQ(question.type, MB_YESNO | MB_ICONQUESTION);
}

TEST_F(TweakInfoDlgTest, RemoveQuestionsAnsweredNoChangeNothingAndAnEmptyListAsksNothing) {
    m_record.m_arrFilters = {"a", "b"};
    Edit(&m_record, [&](HeadlessDialog& d) {
        d.Select(IDC_LIST_FILTERS, 0);
        m_ui.QueueMessageBoxAnswer(IDNO);
        d.Click(IDC_BTN_REMOVE_FILTER);
        m_ui.QueueMessageBoxAnswer(IDNO);
        d.Click(IDC_BTN_REMOVE_ALL_FILTERS);
        EXPECT_EQ(d.Rows(IDC_LIST_FILTERS), (Rows{"a", "b"}));
        EXPECT_EQ(m_ui.MessageBoxes().back().text, Str(IDS_REMOVE_ALL_QUESTION));

        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDC_BTN_REMOVE_ALL_FILTERS);
        EXPECT_TRUE(d.Rows(IDC_LIST_FILTERS).empty());
        EXPECT_FALSE(d.IsEnabled(IDC_BTN_REMOVE_FILTER));
        const size_t asked = m_ui.MessageBoxes().size();
        d.Click(IDC_BTN_REMOVE_ALL_FILTERS);
        EXPECT_EQ(m_ui.MessageBoxes().size(), asked);
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(m_record.m_arrFilters, (Rows{"a", "b"}));
}

TEST_F(TweakInfoDlgTest, EmptyNameOrProgramKeepsTheDialogOpenWithAMessageAndTheFocusThere) {
    m_record.m_strName = "old";
    m_record.m_strExe = "old.exe";
    m_record.m_nApplyTo = TWEAK_APPLY_VIEW;
    const int result = Edit(&m_record, [&](HeadlessDialog& d) {
        d.Type(IDC_EDIT_NAME, "");
        d.Type(IDC_EDIT_EXE, "");
        d.Tick(IDC_CHECK_DOWNLOAD, true);
        m_ui.QueueMessageBoxAnswer(IDOK);
        d.Click(IDOK);
        EXPECT_FALSE(d.HasEnded());
        EXPECT_EQ(d.Focus(), IDC_EDIT_NAME);
        ASSERT_EQ(m_ui.MessageBoxes().size(), 1u) << "both empty: only the name is reported";
        EXPECT_EQ(m_ui.MessageBoxes()[0].text, "Geben Sie dem Hilfsprogramm einen Namen");
        EXPECT_EQ(m_ui.MessageBoxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(m_ui.MessageBoxes()[0].caption, "ZTTrevanelAddon");

        d.Type(IDC_EDIT_NAME, "new");
        m_ui.QueueMessageBoxAnswer(IDOK);
        d.Click(IDOK);
        EXPECT_FALSE(d.HasEnded());
        EXPECT_EQ(d.Focus(), IDC_EDIT_EXE);
        ASSERT_EQ(m_ui.MessageBoxes().size(), 2u);
        EXPECT_EQ(m_ui.MessageBoxes()[1].text,
                  "Bitte geben Sie eine ausf\xFChrbare Datei f\xFCr dieses Hilfsprogramm an.");
        EXPECT_EQ(m_ui.MessageBoxes()[1].type, MB_OK | MB_ICONEXCLAMATION);

        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_record.m_strName, "old");
    EXPECT_EQ(m_record.m_strExe, "old.exe");
    EXPECT_EQ(m_record.m_nApplyTo, uint32_t(TWEAK_APPLY_VIEW));
}

// A typo in the program's path is asked about at OK: No goes back to it, Yes keeps it.
TEST_F(TweakInfoDlgTest, AProgramThatDoesNotExistIsAskedAboutAndYesKeepsIt) {
    m_record.m_strName = "attrib";
    const int result = Edit(&m_record, [&](HeadlessDialog& d) {
        d.Type(IDC_EDIT_EXE, "C:\\Windows\\System32\\atrib.exe");
        m_ui.QueueMessageBoxAnswer(IDNO);
        d.Click(IDOK);
        EXPECT_FALSE(d.HasEnded());
        EXPECT_EQ(d.Focus(), IDC_EDIT_EXE);
        ASSERT_EQ(m_ui.MessageBoxes().size(), 1u);
        EXPECT_EQ(m_ui.MessageBoxes()[0].text,
                  "Das Programm \"C:\\Windows\\System32\\atrib.exe\" wurde nicht gefunden. Ein Hilfsprogramm, dessen "
                  "Programm fehlt, wird nach keiner \xDC" "bertragung gestartet.\r\n\r\nSoll es trotzdem so gespeichert "
                  "werden?\r\n\r\nJa: Es wird gespeichert (zum Beispiel, weil das Programm erst sp\xE4ter installiert "
                  "wird).\r\nNein: Sie k\xF6nnen den Pfad korrigieren.");
        EXPECT_EQ(m_ui.MessageBoxes()[0].type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        m_ui.QueueMessageBoxAnswer(IDYES);
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_record.m_strExe, "C:\\Windows\\System32\\atrib.exe");
}

TEST_F(TweakInfoDlgTest, BrowseOffersTheTypedPathAndTakesOnlyAChosenFile) {
    m_record.m_strExe = "C:\\Tools\\old.exe";
    Edit(&m_record, [&](HeadlessDialog& d) {
        m_ui.QueueFileDialogAnswer(std::nullopt);
        d.Click(IDC_BTN_BROWSE);
        EXPECT_EQ(d.Text(IDC_EDIT_EXE), "C:\\Tools\\old.exe");

        d.Type(IDC_EDIT_EXE, "D:\\x");
        m_ui.QueueFileDialogAnswer(std::string("D:\\Program Files\\Packer\\pack.exe"));
        d.Click(IDC_BTN_BROWSE);
        EXPECT_EQ(d.Text(IDC_EDIT_EXE), "D:\\Program Files\\Packer\\pack.exe");
        d.Click(IDCANCEL);
    });
    ASSERT_EQ(m_ui.FileDialogs().size(), 2u);
    EXPECT_EQ(m_ui.FileDialogs()[0].initialName, "C:\\Tools\\old.exe");
    EXPECT_EQ(m_ui.FileDialogs()[1].initialName, "D:\\x");
    // A quoted path goes without its quotes, a name no file can have not at all.
    const std::pair<const char*, const char*> typed[] = {
        {"\"C:\\My Tools\\a.exe\"", "C:\\My Tools\\a.exe"}, {"a.exe | more", ""}, {"<x>", ""}, {"\"", ""}};
    for (const auto& field : typed) {
        Edit(&m_record, [&](HeadlessDialog& d) {
            d.Type(IDC_EDIT_EXE, field.first);
            m_ui.QueueFileDialogAnswer(std::nullopt);
            d.Click(IDC_BTN_BROWSE);
            EXPECT_EQ(d.Text(IDC_EDIT_EXE), field.first);
            d.Click(IDCANCEL);
        });
        EXPECT_EQ(m_ui.FileDialogs().back().initialName, field.second) << field.first;
    }
    EXPECT_EQ(m_ui.FileDialogs()[1].flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
    EXPECT_EQ(m_ui.FileDialogs()[1].filter, "Any File (*.*)|*.*||");
}

}  // namespace
