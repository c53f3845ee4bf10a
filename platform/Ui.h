// The user-interface service: message boxes, the file-open dialog, modal dialogs from the module's
// templates and the module's icons. Also the window side of a running dialog, through which
// CDialog reaches its controls by id.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

class CDialog;

// An opaque icon handle; null means none.
typedef struct IconHandleTag* IconHandle;

// The live window of a running dialog. Every call names a control by its id; a control that the
// template does not hold is ignored (reads give empty text, 0 or LB_ERR). Threads: only the
// thread that runs the dialog's modal loop, and only while it runs (from the init message to the
// end of the destroy message).
class IDialogWindow {
public:
    virtual ~IDialogWindow() = default;

    // GetDlgItemTextA / SetDlgItemTextA. Setting an edit field's text sends EN_CHANGE, as on Win32.
    virtual std::string GetItemText(int id) = 0;
    virtual void SetItemText(int id, const std::string& text) = 0;

    // IsDlgButtonChecked (0 or 1 for automatic check boxes) / CheckDlgButton.
    virtual int IsItemChecked(int id) = 0;
    virtual void CheckItem(int id, int state) = 0;

    // EnableWindow / IsWindowEnabled on the control.
    virtual void EnableItem(int id, bool enable) = 0;
    virtual bool IsItemEnabled(int id) = 0;

    // BCM_SETSHIELD: shows or hides the shield on the push button id, which says that pressing it
    // asks for an administrator's consent.
    virtual void SetItemShield(int id, bool shield) = 0;

    // The dialog's own window, for owning what others show on its behalf.
    virtual HWND Handle() = 0;

    // Moves the keyboard focus to the control (WM_NEXTDLGCTL with a handle).
    virtual void SetFocusItem(int id) = 0;

    // DM_SETDEFID: makes the push button id the default push button.
    virtual void SetDefaultItem(int id) = 0;

    // EndDialog: the modal run ends with result once the current handler returns.
    virtual void EndDialog(int result) = 0;

    // WM_SETICON with ICON_SMALL (bigIcon false) or ICON_BIG.
    virtual void SetIcon(IconHandle icon, bool bigIcon) = 0;

    // List box messages. Indexes are zero-based; LB_ERR (-1) reports a bad index or no selection.
    // AddString appends to an unsorted list and inserts at the sorted place into an LBS_SORT one.
    virtual int ListAddString(int id, const std::string& text) = 0;
    virtual int ListInsertString(int id, int index, const std::string& text) = 0;
    // Returns the number of rows left, or LB_ERR.
    virtual int ListDeleteString(int id, int index) = 0;
    virtual void ListResetContent(int id) = 0;
    virtual int ListGetCount(int id) = 0;
    virtual int ListGetCurSel(int id) = 0;
    // Selects index (-1: none) without sending LBN_SELCHANGE; LB_ERR when index is out of range.
    virtual int ListSetCurSel(int id, int index) = 0;
    virtual std::string ListGetText(int id, int index) = 0;
    virtual uintptr_t ListGetItemData(int id, int index) = 0;
    virtual int ListSetItemData(int id, int index, uintptr_t data) = 0;
    // LB_FINDSTRINGEXACT: the first row after start (-1: from the top, wrapping round) whose text
    // equals text without regard to letter case, or LB_ERR.
    virtual int ListFindStringExact(int id, int start, const std::string& text) = 0;

    // UDM_SETRANGE32 / UDM_SETPOS32 on an up-down control.
    virtual void UpDownSetRange(int id, int lower, int upper) = 0;
    virtual void UpDownSetPos(int id, int pos) = 0;
};

// Threads: each call runs modally on the calling thread (a host thread inside an export) and
// belongs to that thread's windows; calls on different threads do not meet. No method throws.
class IUi {
public:
    virtual ~IUi() = default;

    // MessageBoxA owned by the running dialog (if any) with caption, text and MB_* type.
    // Returns the button pressed (IDOK, IDYES, IDNO ...).
    virtual int MessageBox(const std::string& caption, const std::string& text, unsigned type) = 0;

    // The window that owns what is shown now on the calling thread: its innermost running dialog,
    // else its active window, else (a thread without windows, as the setup's worker) this
    // process's foreground window; null when there is none.
    virtual HWND PromptOwner() = 0;

    // The file-open dialog with an initial file name, OFN_* flags and a filter list in the form
    // "Text|pattern|...||" (the pattern pairs separated by '|'). Returns true and the chosen full
    // path in *path, or false (cancelled or failed) leaving *path alone.
    virtual bool GetOpenFileName(const std::string& initialName, unsigned flags,
                                 const std::string& filter, std::string* path) = 0;

    // Runs dialog modally on the module's template templateId: creates the window and its
    // controls, attaches them to dialog, sends the init, command, notify and destroy messages to
    // it, and returns the value given to EndDialog (-1 when the window could not be created).
    virtual int RunModal(CDialog& dialog, unsigned templateId) = 0;

    // LoadImageA of the module's icon resource id at cx by cy pixels; null when there is none.
    virtual IconHandle LoadIcon(unsigned id, int cx, int cy) = 0;
    // DestroyIcon on a handle from LoadIcon.
    virtual void DestroyIcon(IconHandle icon) = 0;

    // GetUserDefaultUILanguage: the language identifier of the signed-in user's interface (its
    // low 10 bits the primary language, 0x07 German). Cannot fail; any thread.
    virtual unsigned short UserUiLanguage() = 0;
};

// Whether a language identifier's primary language is German: the add-on's pages and texts are
// German for every German, English for every other language.
inline bool IsGermanLanguage(unsigned short language) { return (language & 0x3FF) == 0x07; }
