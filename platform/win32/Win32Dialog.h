// The window of a running dialog on Win32: its controls by id, and the dialog procedure that
// hands the window's messages to the CDialog.
#pragma once

#include <windows.h>

#include <exception>

#include "platform/win32/Win32Ui.h"

class CDialog;

class Win32DialogWindow : public IDialogWindow {
public:
    explicit Win32DialogWindow(CDialog& dialog);

    // Runs dialog modally on templateId from the resource module, owned by owner (may be null).
    // Returns EndDialog's value, or -1 when the window could not be made. An exception thrown by a
    // handler ends the dialog and is thrown again here, outside the system's message loop.
    int Run(unsigned templateId, HWND owner);

    std::string GetItemText(int id) override;
    void SetItemText(int id, const std::string& text) override;
    int IsItemChecked(int id) override;
    void CheckItem(int id, int state) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) override;
    void SetItemShield(int id, bool shield) override;
    HWND Handle() override { return m_hWnd; }
    void SetFocusItem(int id) override;
    void SetDefaultItem(int id) override;
    void EndDialog(int result) override;
    void SetIcon(IconHandle icon, bool bigIcon) override;
    int ListAddString(int id, const std::string& text) override;
    int ListInsertString(int id, int index, const std::string& text) override;
    int ListDeleteString(int id, int index) override;
    void ListResetContent(int id) override;
    int ListGetCount(int id) override;
    int ListGetCurSel(int id) override;
    int ListSetCurSel(int id, int index) override;
    std::string ListGetText(int id, int index) override;
    uintptr_t ListGetItemData(int id, int index) override;
    int ListSetItemData(int id, int index, uintptr_t data) override;
    int ListFindStringExact(int id, int start, const std::string& text) override;
    void UpDownSetRange(int id, int lower, int upper) override;
    void UpDownSetPos(int id, int pos) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Send(int id, UINT message, WPARAM wParam, LPARAM lParam);

    CDialog& m_dialog;
    HWND m_hWnd;
    std::exception_ptr m_error;
};
