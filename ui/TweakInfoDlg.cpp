// The tweak editor dialog on template IDD_TWEAKINFO_DIALOG.
#include "ui/TweakInfoDlg.h"

#include <optional>
#include <string>
#include <vector>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/MessageBox.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"
#include "runner/ProgramKind.h"
#include "runner/ProgramSearch.h"
#include "ui/HelpFile.h"
#include "ui/StringInsert.h"
#include "ui/TweakTest.h"
#include "ui/resource.h"

namespace {

// The transfer-type check boxes and the bits of m_nApplyTo they stand for.
struct ApplyToBox {
    int id;
    uint32_t mask;
};
const ApplyToBox kApplyToBoxes[] = {
    {IDC_CHECK_MOVE_SERVER, TWEAK_APPLY_MOVE_SERVER}, {IDC_CHECK_OPEN, TWEAK_APPLY_OPEN},
    {IDC_CHECK_UPLOAD, TWEAK_APPLY_UPLOAD},           {IDC_CHECK_MOVE_LOCAL, TWEAK_APPLY_MOVE_LOCAL},
    {IDC_CHECK_VIEW, TWEAK_APPLY_VIEW},               {IDC_CHECK_DOWNLOAD, TWEAK_APPLY_DOWNLOAD},
};

// The seconds typed into the limit field: digits only (a paste can bypass the field's own check),
// at most a day; empty is none.
std::optional<uint32_t> TimeLimitOf(const std::string& text) {
    const size_t first = text.find_first_not_of('0');
    const std::string digits = first == std::string::npos ? "0" : text.substr(first);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    const uint32_t seconds = static_cast<uint32_t>(std::stoul(digits));
    if (seconds > kMaxTimeLimit) return std::nullopt;
    return seconds;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTweakInfoDlg)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_BTN_HELP, OnHelp)
    ON_LBN_SELCHANGE(IDC_LIST_FILTERS, OnSelChangeFilters)
    ON_BN_CLICKED(IDC_BTN_REMOVE_ALL_FILTERS, OnRemoveAllFilters)
    ON_BN_CLICKED(IDC_BTN_REMOVE_FILTER, OnRemoveFilter)
    ON_BN_CLICKED(IDC_BTN_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_BTN_ADD_FILTER, OnAddFilter)
    ON_EN_CHANGE(IDC_EDIT_FILTER, OnChangeFilterText)
    ON_BN_CLICKED(IDC_BTN_TEST, OnTest)
END_MESSAGE_MAP()

CTweakInfoDlg::CTweakInfoDlg(CTweakInfo* tweak)
    : CDialog(IDD_TWEAKINFO_DIALOG), m_pTweak(tweak), m_hIcon(nullptr) {}

CTweakInfoDlg::~CTweakInfoDlg() = default;

void CTweakInfoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_FILTERS, m_listFilters);
}

int CTweakInfoDlg::OnInitDialog() {
    m_hIcon = GetUi().LoadIcon(IDI_TREVANEL, 16, 16);
    SetIcon(m_hIcon, false);

    CDialog::OnInitDialog();
    FillControls();

    EnableDlgItem(IDC_BTN_REMOVE_FILTER, m_listFilters.GetCurSel() != LB_ERR);
    EnableDlgItem(IDC_BTN_ADD_FILTER, false);
    return TRUE;
}

void CTweakInfoDlg::FillControls() {
    if (m_pTweak == nullptr) m_pTweak = new CTweakInfo();

    SetDlgItemText(IDC_EDIT_NAME, m_pTweak->m_strName);
    SetDlgItemText(IDC_EDIT_EXE, m_pTweak->m_strExe);
    SetDlgItemText(IDC_EDIT_PARAMETERS, m_pTweak->m_strParameters);
    CheckDlgButton(IDC_CHECK_DISABLED, m_pTweak->m_bEnabled == 0 ? 1 : 0);

    for (const ApplyToBox& box : kApplyToBoxes) {
        CheckDlgButton(box.id, (m_pTweak->m_nApplyTo & box.mask) != 0 ? 1 : 0);
    }
    CheckDlgButton(IDC_CHECK_IGNORE_CASE, m_pTweak->m_bIgnoreCase != 0 ? 1 : 0);
    CheckDlgButton(IDC_CHECK_STOP_ON_FAILURE, m_pTweak->m_bStopOnFailure != 0 ? 1 : 0);
    // A stored limit above a day runs as none, and shows so.
    const uint32_t limit = m_pTweak->m_nTimeLimit;
    SetDlgItemText(IDC_EDIT_TIME_LIMIT, std::to_string(limit > kMaxTimeLimit ? 0 : limit));

    std::vector<std::string> filters;
    m_pTweak->GetFilters(filters);
    for (const std::string& filter : filters) m_listFilters.AddString(filter);
}

void CTweakInfoDlg::OnChangeFilterText() {
    const std::string text = GetDlgItemText(IDC_EDIT_FILTER);
    // Blanks or ";" alone are no filter: stored, they would load as none and let every file pass.
    EnableDlgItem(IDC_BTN_ADD_FILTER, !EnteredFilters(text).empty());
    // Once a filter is being typed, Enter adds it instead of closing the dialog.
    SetDefID(IDC_BTN_ADD_FILTER);
    if (text.empty()) GotoDlgCtrl(IDC_LIST_FILTERS);
}

void CTweakInfoDlg::OnAddFilter() {
    // The typed text is taken as the filters it will be after a save and a reload, so that what
    // the list shows is what runs.
    const std::vector<std::string> filters = EnteredFilters(GetDlgItemText(IDC_EDIT_FILTER));
    if (filters.empty()) return;

    // The list finds rows without regard to case; that is the filters' own rule only while
    // "Ignore case" is ticked. Otherwise *.TXT and *.txt are two filters.
    const bool ignoreCase = IsDlgButtonChecked(IDC_CHECK_IGNORE_CASE) != 0;
    for (const std::string& text : filters) {
        int index = m_listFilters.FindStringExact(-1, text);
        if (index >= 0 && !ignoreCase) {
            index = -1;
            std::string row;
            for (int i = 0; i < m_listFilters.GetCount() && index < 0; ++i) {
                m_listFilters.GetText(i, row);
                if (row == text) index = i;
            }
        }
        if (index < 0) index = m_listFilters.AddString(text);
        m_listFilters.SetCurSel(index);
    }
    EnableDlgItem(IDC_BTN_REMOVE_FILTER, m_listFilters.GetCurSel() != LB_ERR);

    SetDlgItemText(IDC_EDIT_FILTER, std::string());
}

void CTweakInfoDlg::OnRemoveFilter() {
    const int sel = m_listFilters.GetCurSel();
    if (sel == LB_ERR) return;
    if (AfxMessageBox(IDS_REMOVE_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    m_listFilters.DeleteString(sel);
    const int count = m_listFilters.GetCount();
    if (sel < count) {
        m_listFilters.SetCurSel(sel);
    } else if (count > 0) {
        m_listFilters.SetCurSel(count - 1);
    }
    EnableDlgItem(IDC_BTN_REMOVE_FILTER, m_listFilters.GetCurSel() != LB_ERR);
}

void CTweakInfoDlg::OnRemoveAllFilters() {
    if (m_listFilters.GetCount() == 0) return;
    if (AfxMessageBox(IDS_REMOVE_ALL_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    m_listFilters.ResetContent();
    EnableDlgItem(IDC_BTN_REMOVE_FILTER, m_listFilters.GetCurSel() != LB_ERR);
}

void CTweakInfoDlg::OnSelChangeFilters() {
    EnableDlgItem(IDC_BTN_REMOVE_FILTER, m_listFilters.GetCurSel() != LB_ERR);
}

void CTweakInfoDlg::OnBrowse() {
    // The file dialog opens nothing for a name it cannot take: a path in quotes (as the shell's
    // "Copy as path" gives it) loses them, and one holding a character no file name has is left out.
    std::string current = GetDlgItemText(IDC_EDIT_EXE);
    if (current.size() >= 2 && current.front() == '"' && current.back() == '"')
        current = current.substr(1, current.size() - 2);
    if (current.find_first_of("\"<>|*?") != std::string::npos) current.clear();
    std::string path;
    // The host's current directory stays where it was: nothing of the add-on follows the user's pick.
    if (GetUi().GetOpenFileName(current, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                                "Any File (*.*)|*.*||", &path)) {
        SetDlgItemText(IDC_EDIT_EXE, path);
    }
}

void CTweakInfoDlg::OnHelp() { OpenHelpFile(HelpPage::TweakEditor); }

void CTweakInfoDlg::OnOK() {
    // The limit first: the questions about the program must not come twice for it.
    if (!TimeLimitOf(GetDlgItemText(IDC_EDIT_TIME_LIMIT))) {
        AfxMessageBox(IDS_TIME_LIMIT_TOO_LONG, MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(IDC_EDIT_TIME_LIMIT);
        return;
    }
    const std::string name = GetDlgItemText(IDC_EDIT_NAME);
    if (name.empty()) {
        AfxMessageBox(IDS_EMPTY_NAME, MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(IDC_EDIT_NAME);
        return;
    }
    const std::string exe = GetDlgItemText(IDC_EDIT_EXE);
    if (exe.empty()) {
        AfxMessageBox(IDS_EMPTY_EXE, MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(IDC_EDIT_EXE);
        return;
    }
    // A typo in the program's path would otherwise show only after the next transfer, in the run
    // record. Yes keeps it: the program may be installed later, or on a drive not there now. A
    // network path is not asked about: a server that is off would hold the dialog for its timeout.
    const std::string shown = Unquoted(exe);
    if (shown.compare(0, 2, "\\\\") != 0 && !FindProgramToStart(exe).found &&
        AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_PROGRAM_NOT_FOUND), shown),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        GotoDlgCtrl(IDC_EDIT_EXE);
        return;
    }

    if (TakeControls(*m_pTweak)) CDialog::OnOK();
}

bool CTweakInfoDlg::TakeControls(CTweakInfo& tweak) {
    const std::optional<uint32_t> limit = TimeLimitOf(GetDlgItemText(IDC_EDIT_TIME_LIMIT));
    if (!limit) {
        AfxMessageBox(IDS_TIME_LIMIT_TOO_LONG, MB_OK | MB_ICONEXCLAMATION);
        GotoDlgCtrl(IDC_EDIT_TIME_LIMIT);
        return false;
    }
    tweak.m_nTimeLimit = *limit;
    tweak.m_bStopOnFailure = IsDlgButtonChecked(IDC_CHECK_STOP_ON_FAILURE) ? 1 : 0;
    tweak.m_strName = GetDlgItemText(IDC_EDIT_NAME);
    tweak.m_bEnabled = IsDlgButtonChecked(IDC_CHECK_DISABLED) ? 0 : 1;
    tweak.m_strExe = GetDlgItemText(IDC_EDIT_EXE);
    tweak.m_strParameters = GetDlgItemText(IDC_EDIT_PARAMETERS);

    uint32_t applyTo = 0;
    for (const ApplyToBox& box : kApplyToBoxes) {
        if (IsDlgButtonChecked(box.id)) applyTo += box.mask;
    }
    tweak.m_nApplyTo = applyTo;

    tweak.m_arrFilters.clear();
    const int count = m_listFilters.GetCount();
    for (int i = 0; i < count; ++i) {
        std::string filter;
        m_listFilters.GetText(i, filter);
        tweak.m_arrFilters.push_back(filter);
    }
    tweak.m_bIgnoreCase = IsDlgButtonChecked(IDC_CHECK_IGNORE_CASE) ? 1 : 0;
    return true;
}

void CTweakInfoDlg::OnTest() {
    // The tweak as the controls hold it now, in a set of its own, so that the run is a transfer's.
    CTweakConfig set(m_strProfile.c_str());
    set.m_arrTweaks.push_back(new CTweakInfo());
    CTweakInfo& tweak = *set.m_arrTweaks.back();
    if (!TakeControls(tweak)) return;
    std::string file;
    if (!GetUi().GetOpenFileName(std::string(), OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                                 "Any File (*.*)|*.*||", &file)) {
        return;
    }
    const TweakTest test = DecideTest(tweak, file);
    if (!test.runs) {
        AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_TEST_WOULD_SKIP), test.shown), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_TEST_WOULD_RUN), test.shown),
                      MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    const TweakTestResult result = RunTest(set, test);
    AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_TEST_RESULT), result.shown),
                  MB_OK | (result.failed ? MB_ICONEXCLAMATION : MB_ICONINFORMATION));
}

void CTweakInfoDlg::OnDestroy() {
    if (m_hIcon != nullptr) {
        GetUi().DestroyIcon(m_hIcon);
        m_hIcon = nullptr;
    }
    CDialog::OnDestroy();
}
