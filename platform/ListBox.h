// CListBox: a list box control of a running dialog, bound to it by DDX_Control.
#pragma once

#include <cstdint>
#include <string>

class CDialog;

class CListBox {
public:
    CListBox();

    // Binds the member to control id of dialog; DDX_Control does this.
    void Attach(CDialog* dialog, int id);

    // Each operation is the list box message of the same name; an unbound list or a dialog
    // without a window answers LB_ERR, 0 or empty text.
    int AddString(const std::string& text);
    int InsertString(int index, const std::string& text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    void GetText(int index, std::string& text) const;
    uintptr_t GetItemData(int index) const;
    int SetItemData(int index, uintptr_t data);
    int FindStringExact(int start, const std::string& text) const;

private:
    CDialog* m_pDialog;
    int m_nID;
};
