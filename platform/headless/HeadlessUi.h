// The headless UI service for native tests: dialogs from the module's resource script held in
// memory, driven by test code instead of a user. A modal run takes the next driver from a queue
// and hands it the open dialog; the driver types, ticks, clicks and selects as a user would, and
// a dialog opened from one of its clicks takes the driver after it. Message boxes and the file
// dialog take their answers from queues and record what they were asked.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Ui.h"
#include "platform/headless/ResourceScript.h"

class HeadlessUi;

// The window of one running dialog: the platform side that CDialog calls, and the user side that
// a driver calls. User actions on disabled controls do nothing, as a real click would not.
class HeadlessDialog : public IDialogWindow {
public:
    HeadlessDialog(HeadlessUi& ui, CDialog& dialog, const DialogTemplate& dialogTemplate);

    // User side.
    unsigned TemplateId() const { return m_template.id; }
    const std::string& Caption() const { return m_template.caption; }
    std::string Text(int id) const;
    // Replaces an edit field's text as typing would, with EN_CHANGE.
    void Type(int id, const std::string& text);
    // Clicks a check box so that it ends up ticked or not (BN_CLICKED when its state changes).
    void Tick(int id, bool ticked);
    // Clicks a push button (BN_CLICKED). False when the control is missing or disabled.
    bool Click(int id);
    // Enter: clicks the focused push button, or else the default push button if it is enabled.
    void PressEnter();
    // Esc: IDCANCEL.
    void PressEscape();
    // Clicks a list row: selects it and sends LBN_SELCHANGE.
    void Select(int listId, int index);
    // Double-clicks a list row: the click's LBN_SELCHANGE, then LBN_DBLCLK.
    void DoubleClick(int listId, int index);
    // Clicks an up-down arrow: UDN_DELTAPOS with delta (+1 the upper arrow, -1 the lower one).
    // Returns the handler's result; the position moves only when it is 0.
    intptr_t ClickArrow(int id, int delta);

    std::vector<std::string> Rows(int listId) const;
    int CurSel(int listId) const;
    uintptr_t ItemData(int listId, int index) const;
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    // Whether the push button shows the shield of a step that asks for consent.
    bool IsShielded(int id) const;
    int Focus() const { return m_focus; }
    int DefaultId() const { return m_defId; }
    int UpDownPos(int id) const;
    std::pair<int, int> UpDownRange(int id) const;
    IconHandle SmallIcon() const { return m_smallIcon; }
    IconHandle BigIcon() const { return m_bigIcon; }
    bool HasEnded() const { return m_ended; }
    int Result() const { return m_result; }

    // Platform side (IDialogWindow).
    std::string GetItemText(int id) override;
    void SetItemText(int id, const std::string& text) override;
    int IsItemChecked(int id) override;
    void CheckItem(int id, int state) override;
    void EnableItem(int id, bool enable) override;
    bool IsItemEnabled(int id) override;
    void SetItemShield(int id, bool shield) override;
    // The dialog object's address: one handle per live dialog.
    HWND Handle() override;
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

    // The dialog manager's default focus after WM_INITDIALOG returned TRUE.
    void SetDefaultFocus();

private:
    enum class Kind { Static, Edit, PushButton, CheckBox, GroupBox, ListBox, UpDown, Other };
    struct Row {
        std::string text;
        uintptr_t data;
    };
    struct Control {
        ControlTemplate tmpl;
        Kind kind;
        std::string text;
        int check = 0;
        bool enabled = true;
        bool shield = false;
        std::vector<Row> rows;
        int curSel = -1;
        int lower = 0, upper = 100, pos = 0;
    };

    Control* Find(int id);
    const Control* Find(int id) const;
    Control* FindList(int id);
    // True when the dialog can still take user input; records a problem otherwise.
    bool Live(const char* action);

    HeadlessUi& m_ui;
    CDialog& m_dialog;
    const DialogTemplate& m_template;
    std::vector<Control> m_controls;
    int m_focus = 0;
    int m_defId = 0;
    IconHandle m_smallIcon = nullptr;
    IconHandle m_bigIcon = nullptr;
    bool m_ended = false;
    int m_result = 0;
};

class HeadlessUi : public IUi {
public:
    using Driver = std::function<void(HeadlessDialog&)>;

    struct MessageBoxCall {
        std::string caption;
        std::string text;
        unsigned type;
    };
    struct FileDialogCall {
        std::string initialName;
        unsigned flags;
        std::string filter;
    };

    // Without a script no dialog can be made: RunModal gives -1.
    HeadlessUi();
    // Takes the templates and icons from the resource script at rcPath.
    explicit HeadlessUi(const std::string& rcPath);
    ~HeadlessUi() override;

    const ResourceScript& Script() const { return m_script; }

    // The next modal run hands its dialog to driver. A driver that leaves its dialog open is a
    // problem; the dialog is then cancelled.
    void QueueDriver(Driver driver);
    // The next message box returns answer.
    void QueueMessageBoxAnswer(int answer);
    // The next file dialog returns path (chosen) or nothing (cancelled).
    void QueueFileDialogAnswer(std::optional<std::string> path);

    const std::vector<MessageBoxCall>& MessageBoxes() const { return m_messageBoxes; }
    const std::vector<FileDialogCall>& FileDialogs() const { return m_fileDialogs; }
    // Captions of the dialogs run, in the order they opened.
    const std::vector<std::string>& DialogsRun() const { return m_dialogsRun; }
    size_t LiveIconCount() const { return m_liveIcons.size(); }
    // Everything that went against the rules of a real run: an unanswered message box, a missing
    // driver, a dialog left open, a user action after the dialog ended, a bad icon handle.
    const std::vector<std::string>& Problems() const { return m_problems; }
    void AddProblem(const std::string& problem) { m_problems.push_back(problem); }
    size_t PendingDrivers() const { return m_drivers.size(); }
    size_t PendingMessageBoxAnswers() const { return m_messageBoxAnswers.size(); }

    int MessageBox(const std::string& caption, const std::string& text, unsigned type) override;
    // The innermost running dialog's Handle; null when none runs.
    HWND PromptOwner() override;
    bool GetOpenFileName(const std::string& initialName, unsigned flags, const std::string& filter,
                         std::string* path) override;
    int RunModal(CDialog& dialog, unsigned templateId) override;
    IconHandle LoadIcon(unsigned id, int cx, int cy) override;
    void DestroyIcon(IconHandle icon) override;
    // German (Germany), the dialogs' own language, until SetUserUiLanguage.
    unsigned short UserUiLanguage() override { return m_uiLanguage; }
    void SetUserUiLanguage(unsigned short language) { m_uiLanguage = language; }

private:
    ResourceScript m_script;
    std::deque<Driver> m_drivers;
    std::deque<int> m_messageBoxAnswers;
    std::deque<std::optional<std::string>> m_fileDialogAnswers;
    std::vector<MessageBoxCall> m_messageBoxes;
    std::vector<FileDialogCall> m_fileDialogs;
    std::vector<std::string> m_dialogsRun;
    std::vector<HeadlessDialog*> m_running;
    std::set<IconHandle> m_liveIcons;
    uintptr_t m_nextIcon = 0x1000;
    std::vector<std::string> m_problems;
    unsigned short m_uiLanguage = 0x0407;
};

// The order of a sorted list box on the platform: without regard to letter case, an umlaut or
// accented letter beside its base letter (after it when all else is equal), "ß" as "ss".
// Characters other than letters and digits come first, by their code. Negative, 0 or positive.
int CompareListText(const std::string& a, const std::string& b);
