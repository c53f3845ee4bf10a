// Running a dialog template with DialogBoxParamA: one static dialog procedure finds the object
// stored at WM_INITDIALOG and forwards the messages that CDialog handles.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/Win32Dialog.h"

#include <vector>

#include "platform/Dialog.h"
#include "platform/win32/Win32Ui.h"

namespace {

// The dialogs running on this thread, innermost last: the owner of the next window.
thread_local std::vector<HWND> t_runningDialogs;

}  // namespace

HWND GetDefaultOwner() {
    if (!t_runningDialogs.empty()) return t_runningDialogs.back();
    if (HWND active = GetActiveWindow()) return active;
    // A thread without windows of its own (the setup's worker thread) has no active window: the
    // process's window in the foreground (the setup's wizard) owns what it opens.
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return foreground != nullptr && process == GetCurrentProcessId() ? foreground : nullptr;
}

namespace {

// Over the owner, as dialogs open in the host; without one in the middle of the work area,
// not at the screen's top left where a template's 0, 0 would put it. Always within the work
// area, caption first, as DS_CENTER keeps a dialog (a small owner may stand near an edge).
void CenterOverOwner(HWND dialog) {
    RECT window, area;
    GetWindowRect(dialog, &window);
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const bool over = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(over ? owner : dialog, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& work = monitor.rcWork;
    area = work;
    if (over) GetWindowRect(owner, &area);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Win32DialogWindow::Win32DialogWindow(CDialog& dialog) : m_dialog(dialog), m_hWnd(nullptr) {}

int Win32DialogWindow::Run(unsigned templateId, HWND owner) {
    const INT_PTR result = DialogBoxParamA(GetResourceInstance(), MAKEINTRESOURCEA(templateId), owner,
                                           &Win32DialogWindow::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
    if (m_error) std::rethrow_exception(m_error);
    return static_cast<int>(result);
}

INT_PTR CALLBACK Win32DialogWindow::DialogProc(HWND hWnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    Win32DialogWindow* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Win32DialogWindow*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
    } else {
        self = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    // No C++ exception may unwind through the system's frames: keep it for Run.
    try {
        return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        if (!self->m_error) self->m_error = std::current_exception();
        ::EndDialog(hWnd, -1);
        return TRUE;
    }
}

INT_PTR Win32DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CenterOverOwner(m_hWnd);
        t_runningDialogs.push_back(m_hWnd);
        m_dialog.AttachWindow(this);
        return m_dialog.HandleInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        return m_dialog.HandleCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        DialogNotify notify{static_cast<int>(header->idFrom), static_cast<int>(header->code), 0, 0};
        if (header->code == UDN_DELTAPOS) {
            const NMUPDOWN* updown = reinterpret_cast<const NMUPDOWN*>(lParam);
            notify.iPos = updown->iPos;
            notify.iDelta = updown->iDelta;
        }
        intptr_t result = 0;
        if (!m_dialog.HandleNotify(notify, &result)) return FALSE;
        SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
        return TRUE;
    }
    case WM_DESTROY:
        m_dialog.HandleDestroy();
        m_dialog.DetachWindow();
        if (!t_runningDialogs.empty() && t_runningDialogs.back() == m_hWnd) t_runningDialogs.pop_back();
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

LRESULT Win32DialogWindow::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
}

std::string Win32DialogWindow::GetItemText(int id) {
    HWND item = GetDlgItem(m_hWnd, id);
    if (item == nullptr) return std::string();
    const int length = GetWindowTextLengthA(item);
    std::vector<char> buffer(static_cast<size_t>(length) + 2);
    const int copied = GetWindowTextA(item, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void Win32DialogWindow::SetItemText(int id, const std::string& text) {
    SetDlgItemTextA(m_hWnd, id, text.c_str());
}

int Win32DialogWindow::IsItemChecked(int id) {
    return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED ? 1 : 0;
}

void Win32DialogWindow::CheckItem(int id, int state) {
    CheckDlgButton(m_hWnd, id, state ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogWindow::EnableItem(int id, bool enable) {
    if (HWND item = GetDlgItem(m_hWnd, id)) EnableWindow(item, enable ? TRUE : FALSE);
}

bool Win32DialogWindow::IsItemEnabled(int id) {
    HWND item = GetDlgItem(m_hWnd, id);
    return item != nullptr && IsWindowEnabled(item);
}

void Win32DialogWindow::SetItemShield(int id, bool shield) { Send(id, BCM_SETSHIELD, 0, shield ? TRUE : FALSE); }

void Win32DialogWindow::SetFocusItem(int id) {
    if (HWND item = GetDlgItem(m_hWnd, id)) {
        SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    }
}

void Win32DialogWindow::SetDefaultItem(int id) { SendMessageA(m_hWnd, DM_SETDEFID, id, 0); }

void Win32DialogWindow::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

void Win32DialogWindow::SetIcon(IconHandle icon, bool bigIcon) {
    SendMessageA(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

int Win32DialogWindow::ListAddString(int id, const std::string& text) {
    return static_cast<int>(Send(id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int Win32DialogWindow::ListInsertString(int id, int index, const std::string& text) {
    return static_cast<int>(
        Send(id, LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str())));
}

int Win32DialogWindow::ListDeleteString(int id, int index) {
    return static_cast<int>(Send(id, LB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

void Win32DialogWindow::ListResetContent(int id) { Send(id, LB_RESETCONTENT, 0, 0); }

int Win32DialogWindow::ListGetCount(int id) { return static_cast<int>(Send(id, LB_GETCOUNT, 0, 0)); }

int Win32DialogWindow::ListGetCurSel(int id) { return static_cast<int>(Send(id, LB_GETCURSEL, 0, 0)); }

int Win32DialogWindow::ListSetCurSel(int id, int index) {
    return static_cast<int>(Send(id, LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

std::string Win32DialogWindow::ListGetText(int id, int index) {
    const LRESULT length = Send(id, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const LRESULT copied =
        Send(id, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return copied == LB_ERR ? std::string() : std::string(buffer.data(), static_cast<size_t>(copied));
}

uintptr_t Win32DialogWindow::ListGetItemData(int id, int index) {
    return static_cast<uintptr_t>(Send(id, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

int Win32DialogWindow::ListSetItemData(int id, int index, uintptr_t data) {
    return static_cast<int>(
        Send(id, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
}

int Win32DialogWindow::ListFindStringExact(int id, int start, const std::string& text) {
    return static_cast<int>(Send(id, LB_FINDSTRINGEXACT, static_cast<WPARAM>(start),
                                 reinterpret_cast<LPARAM>(text.c_str())));
}

void Win32DialogWindow::UpDownSetRange(int id, int lower, int upper) {
    // The upper limit goes in the low word, the lower limit in the high word.
    Send(id, UDM_SETRANGE, 0, MAKELPARAM(upper, lower));
}

void Win32DialogWindow::UpDownSetPos(int id, int pos) { Send(id, UDM_SETPOS, 0, MAKELPARAM(pos, 0)); }
