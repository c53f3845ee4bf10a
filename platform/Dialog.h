// CDialog: a modal dialog on a template of the module, with message maps as tables, data exchange
// for control members, and access to its controls by id. The window itself belongs to the UI
// service (Win32 or headless), which attaches it for the time of a modal run.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Ui.h"
#include "platform/WinTypes.h"

class CDialog;
class CListBox;

// A control notification (WM_NOTIFY), reduced to what the add-on reads: the sender, the code and,
// for UDN_DELTAPOS, the up-down control's position and requested change.
struct DialogNotify {
    int idFrom;
    int code;
    int iPos;
    int iDelta;
};

// One row of a message map. A map is an array ending in a row of kind End.
struct DialogMessageMapEntry {
    enum Kind { End, Command, Notify, Destroy };
    Kind kind;
    int code;
    int id;
    void (CDialog::*command)();
    void (CDialog::*notify)(const DialogNotify& notify, intptr_t* pResult);
};

#define DECLARE_MESSAGE_MAP()                                  \
    static const DialogMessageMapEntry messageMap[];           \
    const DialogMessageMapEntry* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass)                                                     \
    const DialogMessageMapEntry* theClass::GetMessageMap() const { return messageMap; } \
    const DialogMessageMapEntry theClass::messageMap[] = {
#define END_MESSAGE_MAP() {DialogMessageMapEntry::End, 0, 0, nullptr, nullptr}};

#define ON_COMMAND_CODE(code, id, handler)                                      \
    {DialogMessageMapEntry::Command, (code), (id),                              \
     static_cast<void (CDialog::*)()>(&ThisClass::handler), nullptr},
#define ON_BN_CLICKED(id, handler) ON_COMMAND_CODE(BN_CLICKED, id, handler)
#define ON_LBN_SELCHANGE(id, handler) ON_COMMAND_CODE(LBN_SELCHANGE, id, handler)
#define ON_LBN_DBLCLK(id, handler) ON_COMMAND_CODE(LBN_DBLCLK, id, handler)
#define ON_EN_CHANGE(id, handler) ON_COMMAND_CODE(EN_CHANGE, id, handler)
#define ON_NOTIFY(code, id, handler)                                                     \
    {DialogMessageMapEntry::Notify, (code), (id), nullptr,                               \
     static_cast<void (CDialog::*)(const DialogNotify&, intptr_t*)>(&ThisClass::handler)},
#define ON_WM_DESTROY()                                                                  \
    {DialogMessageMapEntry::Destroy, 0, 0,                                               \
     static_cast<void (CDialog::*)()>(&ThisClass::OnDestroy), nullptr},

// A data exchange of a dialog: binds its control members to its controls.
class CDataExchange {
public:
    explicit CDataExchange(CDialog* dialog) : m_pDlgWnd(dialog) {}

    CDialog* m_pDlgWnd;
};

// Binds a control member to the dialog's control nIDC.
void DDX_Control(CDataExchange* pDX, int nIDC, CListBox& rControl);

class CDialog {
public:
    // nIDTemplate: the module's dialog template. The owner window is left to the platform: the
    // running dialog of this thread, if any, owns the new one.
    explicit CDialog(unsigned nIDTemplate);
    virtual ~CDialog();

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Shows the dialog modally. IDOK when it ended through OnOK, IDCANCEL through OnCancel,
    // -1 when the window could not be made.
    int DoModal();

    // The UI service's side of a modal run: attach and detach the window, and deliver messages.
    void AttachWindow(IDialogWindow* window);
    void DetachWindow();
    IDialogWindow* GetWindow() const { return m_pWindow; }
    // WM_INITDIALOG; the result says whether the dialog manager sets the default focus.
    int HandleInitDialog();
    // WM_COMMAND; true when a handler took it.
    bool HandleCommand(int id, int code);
    // WM_NOTIFY; true when a handler took it, with the handler's result in *result.
    bool HandleNotify(const DialogNotify& notify, intptr_t* result);
    // WM_DESTROY.
    void HandleDestroy();

    // Control access by id; without a window reads give empty text, 0 and false.
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);
    int IsDlgButtonChecked(int id) const;
    void CheckDlgButton(int id, int check);
    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    void GotoDlgCtrl(int id);
    void SetDlgItemShield(int id, bool shield);
    // The running window's handle; null without one.
    HWND GetSafeHwnd() const;
    void SetDefID(int id);
    void SetIcon(IconHandle icon, bool bigIcon);
    void SetUpDownRange(int id, int lower, int upper);
    void SetUpDownPos(int id, int pos);
    void EndDialog(int result);

    unsigned m_nIDTemplate;

protected:
    virtual const DialogMessageMapEntry* GetMessageMap() const;
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual int OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The base handling of WM_DESTROY; dialogs that handle it call this last.
    void OnDestroy();

    bool UpdateData();

private:
    IDialogWindow* m_pWindow;
};
