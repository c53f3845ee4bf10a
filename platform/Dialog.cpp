// The portable half of CDialog: message-map dispatch, data exchange and control access. The UI
// service makes the window and feeds the messages in.
#include "platform/Dialog.h"

#include "platform/ListBox.h"
#include "platform/Platform.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CListBox& rControl) {
    rControl.Attach(pDX->m_pDlgWnd, nIDC);
}

CDialog::CDialog(unsigned nIDTemplate) : m_nIDTemplate(nIDTemplate), m_pWindow(nullptr) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() { return GetUi().RunModal(*this, m_nIDTemplate); }

void CDialog::AttachWindow(IDialogWindow* window) { m_pWindow = window; }

void CDialog::DetachWindow() { m_pWindow = nullptr; }

int CDialog::HandleInitDialog() { return OnInitDialog(); }

bool CDialog::HandleCommand(int id, int code) {
    for (const DialogMessageMapEntry* e = GetMessageMap(); e && e->kind != DialogMessageMapEntry::End;
         ++e) {
        if (e->kind == DialogMessageMapEntry::Command && e->id == id && e->code == code) {
            (this->*e->command)();
            return true;
        }
    }
    // The base map: the OK and Cancel buttons (and Enter and Esc, which the platform turns into
    // clicks on them) reach the virtual handlers.
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialog::HandleNotify(const DialogNotify& notify, intptr_t* result) {
    for (const DialogMessageMapEntry* e = GetMessageMap(); e && e->kind != DialogMessageMapEntry::End;
         ++e) {
        if (e->kind == DialogMessageMapEntry::Notify && e->id == notify.idFrom &&
            e->code == notify.code) {
            *result = 0;
            (this->*e->notify)(notify, result);
            return true;
        }
    }
    return false;
}

void CDialog::HandleDestroy() {
    for (const DialogMessageMapEntry* e = GetMessageMap(); e && e->kind != DialogMessageMapEntry::End;
         ++e) {
        if (e->kind == DialogMessageMapEntry::Destroy) {
            (this->*e->command)();
            return;
        }
    }
    OnDestroy();
}

const DialogMessageMapEntry* CDialog::GetMessageMap() const { return nullptr; }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::UpdateData() {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    return true;
}

int CDialog::OnInitDialog() {
    UpdateData();
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData();
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnDestroy() {}

std::string CDialog::GetDlgItemText(int id) const {
    return m_pWindow ? m_pWindow->GetItemText(id) : std::string();
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    if (m_pWindow) m_pWindow->SetItemText(id, text);
}

int CDialog::IsDlgButtonChecked(int id) const { return m_pWindow ? m_pWindow->IsItemChecked(id) : 0; }

void CDialog::CheckDlgButton(int id, int check) {
    if (m_pWindow) m_pWindow->CheckItem(id, check);
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (m_pWindow) m_pWindow->EnableItem(id, enable);
}

bool CDialog::IsDlgItemEnabled(int id) const { return m_pWindow && m_pWindow->IsItemEnabled(id); }

void CDialog::GotoDlgCtrl(int id) {
    if (m_pWindow) m_pWindow->SetFocusItem(id);
}

void CDialog::SetDlgItemShield(int id, bool shield) {
    if (m_pWindow) m_pWindow->SetItemShield(id, shield);
}

HWND CDialog::GetSafeHwnd() const { return m_pWindow ? m_pWindow->Handle() : nullptr; }

void CDialog::SetDefID(int id) {
    if (m_pWindow) m_pWindow->SetDefaultItem(id);
}

void CDialog::SetIcon(IconHandle icon, bool bigIcon) {
    if (m_pWindow) m_pWindow->SetIcon(icon, bigIcon);
}

void CDialog::SetUpDownRange(int id, int lower, int upper) {
    if (m_pWindow) m_pWindow->UpDownSetRange(id, lower, upper);
}

void CDialog::SetUpDownPos(int id, int pos) {
    if (m_pWindow) m_pWindow->UpDownSetPos(id, pos);
}

void CDialog::EndDialog(int result) {
    if (m_pWindow) m_pWindow->EndDialog(result);
}
