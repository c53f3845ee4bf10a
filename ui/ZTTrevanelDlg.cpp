// The tweak list dialog on template IDD_ZTTREVANEL_DIALOG.
#include "ui/ZTTrevanelDlg.h"

#include <algorithm>
#include <memory>

#include "config/AppBase.h"
#include "config/ProfileNotes.h"
#include "config/SetParts.h"
#include "config/StoreAccess.h"
#include "config/StoredSet.h"
#include "config/TweakInfo.h"
#include "platform/MessageBox.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "platform/RegistryNames.h"
#include "platform/WinTypes.h"
#include "ui/HelpFile.h"
#include "ui/StringInsert.h"
#include "ui/TweakInfoDlg.h"
#include "ui/resource.h"

namespace {

// The set holds the rows' records, in row order, only while it saves them, however the save
// ends: the dialog stays their one owner.
class LentRecords {
public:
    LentRecords(CTweakConfig& config, const std::vector<CTweakInfo*>& rows) : m_config(config) {
        std::lock_guard<std::mutex> guard(m_config.m_lock);
        m_config.m_arrTweaks = rows;
    }
    ~LentRecords() {
        std::lock_guard<std::mutex> guard(m_config.m_lock);
        m_config.m_arrTweaks.clear();
    }
    LentRecords(const LentRecords&) = delete;
    LentRecords& operator=(const LentRecords&) = delete;

private:
    CTweakConfig& m_config;
};

}  // namespace

BEGIN_MESSAGE_MAP(CZTTrevanelDlg)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_BTN_HELP, OnHelp)
    ON_LBN_SELCHANGE(IDC_LIST_TWEAKS, UpdateButtons)
    ON_NOTIFY(UDN_DELTAPOS, IDC_SPIN_MOVE, OnMoveTweak)
    ON_BN_CLICKED(IDC_BTN_REMOVE_ALL, OnRemoveAll)
    ON_BN_CLICKED(IDC_BTN_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_BTN_EDIT, OnEdit)
    ON_BN_CLICKED(IDC_BTN_ADD, OnAdd)
    ON_LBN_DBLCLK(IDC_LIST_TWEAKS, OnEdit)
END_MESSAGE_MAP()

CZTTrevanelDlg::CZTTrevanelDlg(const char* profileName)
    : CDialog(IDD_ZTTREVANEL_DIALOG),
      m_config(profileName),
      m_strProfileName(profileName ? profileName : ""),
      m_hIcon(nullptr) {
    LoadRecords();
}

void CZTTrevanelDlg::LoadRecords() {
    m_arrRemoved.clear();
    m_records.clear();
    m_bLoadedRead = LoadReplaceable(m_config, &m_loaded);
    std::lock_guard<std::mutex> guard(m_config.m_lock);
    for (CTweakInfo* loaded : m_config.m_arrTweaks) m_records.emplace_back(loaded);
    m_config.m_arrTweaks.clear();
}

CZTTrevanelDlg::~CZTTrevanelDlg() = default;

void CZTTrevanelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_TWEAKS, m_listTweaks);
}

int CZTTrevanelDlg::OnInitDialog() {
    m_hIcon = GetUi().LoadIcon(IDI_TREVANEL, 16, 16);
    SetIcon(m_hIcon, false);

    if (!m_strProfileName.empty()) {
        SetDlgItemText(IDC_STATIC_SCOPE, GetModule().LoadString(IDS_PROFILE_SCOPE));
    }

    CDialog::OnInitDialog();
    OfferRenamedSet();
    FillList();
    UpdateButtons();
    UpdateOkShield();
    RefuseOkIfUnread();

    // The up-down control is a pair of arrow buttons only: standing in the middle of its range,
    // either arrow always asks for a move.
    SetUpDownRange(IDC_SPIN_MOVE, 1, 3);
    SetUpDownPos(IDC_SPIN_MOVE, 2);
    return TRUE;
}

void CZTTrevanelDlg::RefuseOkIfUnread() {
    if (m_bLoadedRead) return;
    EnableDlgItem(IDOK, false);
    AfxMessageBox(IDS_SET_UNREADABLE, MB_OK | MB_ICONEXCLAMATION);
}

void CZTTrevanelDlg::OfferRenamedSet() {
    DeclinedRename rename;
    if (m_strProfileName.empty() || !LastDeclinedRename(&rename) || !IsSameRegistryName(rename.to, m_strProfileName))
        return;
    CTweakConfig old(rename.from.c_str());
    KeySnapshot oldParts;
    if (!m_bLoadedRead || !LoadReplaceable(old, &oldParts)) return;  // asked when both read whole
    // A profile with a set of its own, or an old name without one, has nothing to take: forgotten.
    // No is the user's word: forgotten too. Yes keeps the note until an OK has moved the set.
    if (m_loaded.exists || !oldParts.exists ||
        AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_TAKE_RENAMED_SET), rename.from),
                      MB_YESNO | MB_ICONQUESTION) != IDYES) {
        ForgetDeclinedRename();
        return;
    }
    std::lock_guard<std::mutex> guard(old.m_lock);
    m_records.clear();
    for (CTweakInfo* loaded : old.m_arrTweaks) m_records.emplace_back(loaded);
    old.m_arrTweaks.clear();
    m_strTakenFrom = rename.from;
    m_takenParts = oldParts;
}

void CZTTrevanelDlg::FillList() {
    m_listTweaks.ResetContent();
    for (const std::unique_ptr<CTweakInfo>& tweak : m_records) {
        if (tweak == nullptr) continue;
        const int index = m_listTweaks.AddString(tweak->m_strName);
        m_listTweaks.SetItemData(index, reinterpret_cast<uintptr_t>(tweak.get()));
    }
}

void CZTTrevanelDlg::UpdateButtons() {
    const bool selected = m_listTweaks.GetCurSel() != LB_ERR;
    EnableDlgItem(IDC_BTN_EDIT, selected);
    EnableDlgItem(IDC_BTN_REMOVE, selected);
    // The list offers no more tweaks than a load reads: a longer one would lose its last tweaks
    // at the next load and, with the next OK, for good.
    EnableDlgItem(IDC_BTN_ADD, m_listTweaks.GetCount() < CTweakConfig::kMaxTweaks);
}

void CZTTrevanelDlg::UpdateOkShield() { SetDlgItemShield(IDOK, !MayWriteStore()); }

void CZTTrevanelDlg::OnAdd() {
    if (m_listTweaks.GetCount() >= CTweakConfig::kMaxTweaks) return;
    CTweakInfoDlg editor(nullptr);
    editor.m_strProfile = m_config.m_strProfile;
    const int result = editor.DoModal();
    std::unique_ptr<CTweakInfo> created(editor.m_pTweak);
    if (result != IDOK || !created) return;

    CTweakInfo* tweak = created.get();
    m_records.push_back(std::move(created));
    const int index = m_listTweaks.AddString(tweak->m_strName);
    m_listTweaks.SetItemData(index, reinterpret_cast<uintptr_t>(tweak));
    m_listTweaks.SetCurSel(index);
    UpdateButtons();
}

void CZTTrevanelDlg::OnEdit() {
    const int sel = m_listTweaks.GetCurSel();
    if (sel == LB_ERR) return;

    CTweakInfo* tweak = reinterpret_cast<CTweakInfo*>(m_listTweaks.GetItemData(sel));
    if (tweak == nullptr) return;
    CTweakInfoDlg editor(tweak);
    editor.m_strProfile = m_config.m_strProfile;
    if (editor.DoModal() != IDOK) return;

    std::string shown;
    m_listTweaks.GetText(sel, shown);
    if (shown != tweak->m_strName) {
        m_listTweaks.DeleteString(sel);
        const int index = m_listTweaks.InsertString(sel, tweak->m_strName);
        m_listTweaks.SetItemData(index, reinterpret_cast<uintptr_t>(tweak));
        m_listTweaks.SetCurSel(index);
    }
}

void CZTTrevanelDlg::OnRemove() {
    const int sel = m_listTweaks.GetCurSel();
    if (sel == LB_ERR) return;
    if (AfxMessageBox(IDS_REMOVE_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    m_arrRemoved.push_back(reinterpret_cast<CTweakInfo*>(m_listTweaks.GetItemData(sel)));
    m_listTweaks.DeleteString(sel);
    UpdateButtons();
}

void CZTTrevanelDlg::OnRemoveAll() {
    const int count = m_listTweaks.GetCount();
    if (count == 0) return;
    if (AfxMessageBox(IDS_REMOVE_ALL_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    for (int i = 0; i < count; ++i) {
        m_arrRemoved.push_back(reinterpret_cast<CTweakInfo*>(m_listTweaks.GetItemData(i)));
    }
    m_listTweaks.ResetContent();
    UpdateButtons();
}

void CZTTrevanelDlg::OnMoveTweak(const DialogNotify& notify, intptr_t* pResult) {
    // Whatever happens, the control stays at its middle position.
    *pResult = 1;

    const bool up = notify.iDelta > 0;
    const int sel = m_listTweaks.GetCurSel();
    const int count = m_listTweaks.GetCount();
    if (sel == LB_ERR) return;

    int target;
    if (up && sel > 0) {
        target = sel - 1;
    } else if (!up && sel < count - 1) {
        target = sel + 1;
    } else {
        return;
    }

    const uintptr_t data = m_listTweaks.GetItemData(sel);
    const CTweakInfo* tweak = reinterpret_cast<const CTweakInfo*>(data);
    m_listTweaks.DeleteString(sel);
    const int index = m_listTweaks.InsertString(target, tweak ? tweak->m_strName : std::string());
    m_listTweaks.SetItemData(index, data);
    m_listTweaks.SetCurSel(index);
}

void CZTTrevanelDlg::OnOK() {
    // A set not read whole may hold what the list does not show: never saved over (Enter too).
    if (!m_bLoadedRead) return;
    std::vector<CTweakInfo*> rows;
    const int count = m_listTweaks.GetCount();
    rows.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int i = 0; i < count; ++i) {
        rows.push_back(reinterpret_cast<CTweakInfo*>(m_listTweaks.GetItemData(i)));
    }

    for (CTweakInfo* removed : m_arrRemoved) {
        m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                       [&](const std::unique_ptr<CTweakInfo>& record) {
                                           return removed != nullptr && record.get() == removed;
                                       }),
                        m_records.end());
    }
    m_arrRemoved.clear();

    SetWriteResult result;
    std::vector<std::string> notes;
    {
        const LentRecords lent(m_config, rows);
        result = SaveStoredSet(m_config, &notes, &m_loaded, m_strTakenFrom, m_takenParts);
        // The set was changed elsewhere while the list was open (an import, another host, the
        // registry editor): the user chooses which change stays. No is the default, which loses
        // no one's change for good: the list then shows what is stored.
        if (result == SetWriteResult::kChangedSince &&
            AfxMessageBox(IDS_SAVE_CHANGED_SINCE, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
            result = SaveStoredSet(m_config, &notes, nullptr, m_strTakenFrom, m_takenParts);
        }
    }
    if (result == SetWriteResult::kChangedSince) {
        // What the list shows now is the stored set: the taken-over one is no longer the list's.
        m_strTakenFrom.clear();
        LoadRecords();
        FillList();
        UpdateButtons();
        RefuseOkIfUnread();
        return;
    }

    // A save that did not reach the registry is said, and the dialog stays open with the list as
    // it is, so that the user can try again or cancel.
    // A committed write is saved, also when it is put in place later.
    if (!IsSaved(result)) {
        UpdateOkShield();
        AfxMessageBox(result == SetWriteResult::kDenied   ? IDS_SAVE_NOT_ELEVATED
                      : result == SetWriteResult::kNoTurn ? IDS_SAVE_NO_TURN
                                                          : IDS_SAVE_FAILED,
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // A saved write that found another's damaged one set aside says so once.
    if (!notes.empty()) AfxMessageBox(IDS_SAVE_SET_ASIDE, MB_OK | MB_ICONINFORMATION);
    if (!m_strTakenFrom.empty()) ForgetDeclinedRename();
    CDialog::OnOK();
}

void CZTTrevanelDlg::OnHelp() { OpenHelpFile(HelpPage::TweakList); }

void CZTTrevanelDlg::OnDestroy() {
    if (m_hIcon != nullptr) {
        GetUi().DestroyIcon(m_hIcon);
        m_hIcon = nullptr;
    }
    CDialog::OnDestroy();
}

void TellRenameNotMoved(const char* newName) {
    AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_RENAME_NOT_MOVED), newName ? newName : ""),
                  MB_OK | MB_ICONEXCLAMATION);
}

int RunTweakListDialog(const char* profileName) {
    std::unique_ptr<CZTTrevanelDlg> dialog(new CZTTrevanelDlg(profileName));
    return dialog->DoModal();
}
