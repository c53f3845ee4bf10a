// List box operations forwarded to the window of the dialog that holds the control.
#include "platform/ListBox.h"

#include "platform/Dialog.h"
#include "platform/WinTypes.h"

namespace {

IDialogWindow* WindowOf(CDialog* dialog) { return dialog ? dialog->GetWindow() : nullptr; }

}  // namespace

CListBox::CListBox() : m_pDialog(nullptr), m_nID(0) {}

void CListBox::Attach(CDialog* dialog, int id) {
    m_pDialog = dialog;
    m_nID = id;
}

int CListBox::AddString(const std::string& text) {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListAddString(m_nID, text) : LB_ERR;
}

int CListBox::InsertString(int index, const std::string& text) {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListInsertString(m_nID, index, text) : LB_ERR;
}

int CListBox::DeleteString(int index) {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListDeleteString(m_nID, index) : LB_ERR;
}

void CListBox::ResetContent() {
    if (IDialogWindow* window = WindowOf(m_pDialog)) window->ListResetContent(m_nID);
}

int CListBox::GetCount() const {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListGetCount(m_nID) : 0;
}

int CListBox::GetCurSel() const {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListGetCurSel(m_nID) : LB_ERR;
}

int CListBox::SetCurSel(int index) {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListSetCurSel(m_nID, index) : LB_ERR;
}

void CListBox::GetText(int index, std::string& text) const {
    IDialogWindow* window = WindowOf(m_pDialog);
    text = window ? window->ListGetText(m_nID, index) : std::string();
}

uintptr_t CListBox::GetItemData(int index) const {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListGetItemData(m_nID, index) : 0;
}

int CListBox::SetItemData(int index, uintptr_t data) {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListSetItemData(m_nID, index, data) : LB_ERR;
}

int CListBox::FindStringExact(int start, const std::string& text) const {
    IDialogWindow* window = WindowOf(m_pDialog);
    return window ? window->ListFindStringExact(m_nID, start, text) : LB_ERR;
}
