// The headless dialogs, message boxes, file dialog and icons of the native tests.
#include "platform/headless/HeadlessUi.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

#include "platform/Dialog.h"
#include "platform/WinTypes.h"

namespace {

const uint32_t kTabStop = 0x00010000u;
const uint32_t kVisible = 0x10000000u;
const uint32_t kDisabled = 0x08000000u;
const uint32_t kSorted = 0x2u;

bool SameClass(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// One character of a list text reduced to its base letters (lower case) and an accent rank.
struct Folded {
    const char* base;
    int accent;
};

Folded Fold(unsigned char c, char* single) {
    struct Range {
        unsigned char first, last;
        const char* base;
    };
    static const Range kAccented[] = {
        {0xC0, 0xC5, "a"}, {0xE0, 0xE5, "a"}, {0xC6, 0xC6, "ae"}, {0xE6, 0xE6, "ae"},
        {0xC7, 0xC7, "c"}, {0xE7, 0xE7, "c"}, {0xC8, 0xCB, "e"},  {0xE8, 0xEB, "e"},
        {0xCC, 0xCF, "i"}, {0xEC, 0xEF, "i"}, {0xD1, 0xD1, "n"},  {0xF1, 0xF1, "n"},
        {0xD2, 0xD6, "o"}, {0xF2, 0xF6, "o"}, {0xD8, 0xD8, "o"},  {0xF8, 0xF8, "o"},
        {0xD9, 0xDC, "u"}, {0xF9, 0xFC, "u"}, {0xDD, 0xDD, "y"},  {0xFD, 0xFD, "y"},
        {0xFF, 0xFF, "y"}, {0xDF, 0xDF, "ss"}, {0x8A, 0x8A, "s"}, {0x9A, 0x9A, "s"},
        {0x8E, 0x8E, "z"}, {0x9E, 0x9E, "z"}, {0x9F, 0x9F, "y"},  {0x8C, 0x8C, "oe"},
        {0x9C, 0x9C, "oe"},
    };
    for (const Range& r : kAccented) {
        if (c >= r.first && c <= r.last) {
            // Upper and lower case of one accented letter share a rank.
            const int rank = 1 + (c - r.first) % 32;
            return {r.base, rank};
        }
    }
    single[0] = static_cast<char>(std::tolower(c));
    single[1] = '\0';
    return {single, 0};
}

struct SortKey {
    std::vector<std::pair<int, unsigned char>> primary;  // (class, byte): other < digit < letter
    std::vector<int> accents;
};

SortKey KeyOf(const std::string& text) {
    SortKey key;
    for (unsigned char c : text) {
        char single[2];
        const Folded f = Fold(c, single);
        for (const char* p = f.base; *p; ++p) {
            const unsigned char b = static_cast<unsigned char>(*p);
            const int cls = std::isdigit(b) ? 1 : (b >= 'a' && b <= 'z') ? 2 : 0;
            key.primary.emplace_back(cls, b);
        }
        key.accents.push_back(f.accent);
    }
    return key;
}

}  // namespace

int CompareListText(const std::string& a, const std::string& b) {
    const SortKey ka = KeyOf(a);
    const SortKey kb = KeyOf(b);
    if (ka.primary != kb.primary) return ka.primary < kb.primary ? -1 : 1;
    if (ka.accents != kb.accents) return ka.accents < kb.accents ? -1 : 1;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// HeadlessDialog

HeadlessDialog::HeadlessDialog(HeadlessUi& ui, CDialog& dialog, const DialogTemplate& dialogTemplate)
    : m_ui(ui), m_dialog(dialog), m_template(dialogTemplate) {
    for (const ControlTemplate& t : m_template.controls) {
        Control c;
        c.tmpl = t;
        const uint32_t type = t.style & 0xF;
        if (SameClass(t.className, "Button")) {
            c.kind = type <= 1 ? Kind::PushButton : type == 7 ? Kind::GroupBox : Kind::CheckBox;
            if (type == 1 && m_defId == 0) m_defId = t.id;
        } else if (SameClass(t.className, "Edit")) {
            c.kind = Kind::Edit;
        } else if (SameClass(t.className, "ListBox")) {
            c.kind = Kind::ListBox;
        } else if (SameClass(t.className, "Static")) {
            c.kind = Kind::Static;
        } else if (SameClass(t.className, "msctls_updown32")) {
            c.kind = Kind::UpDown;
        } else {
            c.kind = Kind::Other;
        }
        if (c.kind != Kind::ListBox && c.kind != Kind::Edit) c.text = t.text;
        c.enabled = (t.style & kDisabled) == 0;
        m_controls.push_back(c);
    }
    if (m_defId == 0) m_defId = IDOK;
}

HeadlessDialog::Control* HeadlessDialog::Find(int id) {
    for (Control& c : m_controls) {
        if (c.tmpl.id == id && id != -1) return &c;
    }
    return nullptr;
}

const HeadlessDialog::Control* HeadlessDialog::Find(int id) const {
    return const_cast<HeadlessDialog*>(this)->Find(id);
}

HeadlessDialog::Control* HeadlessDialog::FindList(int id) {
    Control* c = Find(id);
    return c && c->kind == Kind::ListBox ? c : nullptr;
}

bool HeadlessDialog::Live(const char* action) {
    if (!m_ended) return true;
    m_ui.AddProblem(std::string(action) + " on dialog " + std::to_string(m_template.id) +
                    " after it ended");
    return false;
}

void HeadlessDialog::SetDefaultFocus() {
    for (const Control& c : m_controls) {
        if ((c.tmpl.style & kTabStop) && (c.tmpl.style & kVisible) && c.enabled) {
            m_focus = c.tmpl.id;
            return;
        }
    }
}

// User side -------------------------------------------------------------------------------------

std::string HeadlessDialog::Text(int id) const {
    const Control* c = Find(id);
    return c ? c->text : std::string();
}

void HeadlessDialog::Type(int id, const std::string& text) {
    if (!Live("Type")) return;
    Control* c = Find(id);
    if (!c || c->kind != Kind::Edit || !c->enabled) {
        m_ui.AddProblem("Type into control " + std::to_string(id) + " that takes no typing");
        return;
    }
    m_focus = id;
    SetItemText(id, text);
}

void HeadlessDialog::Tick(int id, bool ticked) {
    if (!Live("Tick")) return;
    Control* c = Find(id);
    if (!c || c->kind != Kind::CheckBox || !c->enabled) {
        m_ui.AddProblem("Tick on control " + std::to_string(id) + " that is no enabled check box");
        return;
    }
    m_focus = id;
    if ((c->check != 0) == ticked) return;
    c->check = ticked ? 1 : 0;
    m_dialog.HandleCommand(id, BN_CLICKED);
}

bool HeadlessDialog::Click(int id) {
    if (!Live("Click")) return false;
    Control* c = Find(id);
    if (!c || c->kind != Kind::PushButton || !c->enabled) return false;
    m_focus = id;
    m_dialog.HandleCommand(id, BN_CLICKED);
    return true;
}

void HeadlessDialog::PressEnter() {
    if (!Live("Enter")) return;
    const Control* focused = Find(m_focus);
    if (focused && focused->kind == Kind::PushButton) {
        m_dialog.HandleCommand(m_focus, BN_CLICKED);
        return;
    }
    const Control* def = Find(m_defId);
    if (def == nullptr || def->enabled) m_dialog.HandleCommand(m_defId, BN_CLICKED);
}

void HeadlessDialog::PressEscape() {
    if (!Live("Esc")) return;
    m_dialog.HandleCommand(IDCANCEL, BN_CLICKED);
}

void HeadlessDialog::Select(int listId, int index) {
    if (!Live("Select")) return;
    Control* c = FindList(listId);
    if (!c || !c->enabled || index < 0 || index >= static_cast<int>(c->rows.size())) {
        m_ui.AddProblem("Select of row " + std::to_string(index) + " in list " +
                        std::to_string(listId) + " that has no such row");
        return;
    }
    m_focus = listId;
    c->curSel = index;
    m_dialog.HandleCommand(listId, LBN_SELCHANGE);
}

void HeadlessDialog::DoubleClick(int listId, int index) {
    Select(listId, index);
    if (m_ended) return;
    m_dialog.HandleCommand(listId, LBN_DBLCLK);
}

intptr_t HeadlessDialog::ClickArrow(int id, int delta) {
    if (!Live("Arrow click")) return 0;
    Control* c = Find(id);
    if (!c || c->kind != Kind::UpDown || !c->enabled) {
        m_ui.AddProblem("Arrow click on control " + std::to_string(id) + " that is no up-down");
        return 0;
    }
    DialogNotify notify{id, UDN_DELTAPOS, c->pos, delta};
    intptr_t result = 0;
    m_dialog.HandleNotify(notify, &result);
    if (result == 0) c->pos = std::min(std::max(c->pos + delta, c->lower), c->upper);
    return result;
}

std::vector<std::string> HeadlessDialog::Rows(int listId) const {
    std::vector<std::string> rows;
    if (const Control* c = Find(listId)) {
        for (const Row& r : c->rows) rows.push_back(r.text);
    }
    return rows;
}

int HeadlessDialog::CurSel(int listId) const {
    const Control* c = Find(listId);
    return c ? c->curSel : LB_ERR;
}

uintptr_t HeadlessDialog::ItemData(int listId, int index) const {
    const Control* c = Find(listId);
    if (!c || index < 0 || index >= static_cast<int>(c->rows.size())) return 0;
    return c->rows[index].data;
}

bool HeadlessDialog::IsEnabled(int id) const {
    const Control* c = Find(id);
    return c && c->enabled;
}

bool HeadlessDialog::IsChecked(int id) const {
    const Control* c = Find(id);
    return c && c->check != 0;
}

int HeadlessDialog::UpDownPos(int id) const {
    const Control* c = Find(id);
    return c ? c->pos : 0;
}

std::pair<int, int> HeadlessDialog::UpDownRange(int id) const {
    const Control* c = Find(id);
    return c ? std::make_pair(c->lower, c->upper) : std::make_pair(0, 0);
}

// Platform side ---------------------------------------------------------------------------------

std::string HeadlessDialog::GetItemText(int id) { return Text(id); }

void HeadlessDialog::SetItemText(int id, const std::string& text) {
    Control* c = Find(id);
    if (!c) return;
    c->text = text;
    // A single-line edit field tells its dialog of every new text, also one set by code.
    if (c->kind == Kind::Edit) m_dialog.HandleCommand(id, EN_CHANGE);
}

int HeadlessDialog::IsItemChecked(int id) {
    const Control* c = Find(id);
    return c ? c->check : 0;
}

void HeadlessDialog::CheckItem(int id, int state) {
    if (Control* c = Find(id)) c->check = state;
}

void HeadlessDialog::EnableItem(int id, bool enable) {
    if (Control* c = Find(id)) c->enabled = enable;
}

bool HeadlessDialog::IsItemEnabled(int id) { return IsEnabled(id); }

bool HeadlessDialog::IsShielded(int id) const {
    const Control* c = Find(id);
    return c && c->shield;
}

void HeadlessDialog::SetItemShield(int id, bool shield) {
    Control* c = Find(id);
    if (c && c->kind == Kind::PushButton) c->shield = shield;
}

HWND HeadlessDialog::Handle() { return reinterpret_cast<HWND>(this); }

void HeadlessDialog::SetFocusItem(int id) {
    if (Find(id)) m_focus = id;
}

void HeadlessDialog::SetDefaultItem(int id) { m_defId = id; }

void HeadlessDialog::EndDialog(int result) {
    if (m_ended) return;
    m_ended = true;
    m_result = result;
}

void HeadlessDialog::SetIcon(IconHandle icon, bool bigIcon) {
    (bigIcon ? m_bigIcon : m_smallIcon) = icon;
}

int HeadlessDialog::ListAddString(int id, const std::string& text) {
    Control* c = FindList(id);
    if (!c) return LB_ERR;
    int index = static_cast<int>(c->rows.size());
    if (c->tmpl.style & kSorted) {
        // The platform's binary search: an equal row found on the way takes the new one before it.
        int min = 0, max = index;
        index = -1;
        while (min != max) {
            const int mid = (min + max) / 2;
            const int res = CompareListText(text, c->rows[mid].text);
            if (res == 0) {
                index = mid;
                break;
            }
            if (res < 0) {
                max = mid;
            } else {
                min = mid + 1;
            }
        }
        if (index < 0) index = max;
    }
    return ListInsertString(id, index, text);
}

int HeadlessDialog::ListInsertString(int id, int index, const std::string& text) {
    Control* c = FindList(id);
    if (!c) return LB_ERR;
    const int count = static_cast<int>(c->rows.size());
    if (index == -1) index = count;
    if (index < 0 || index > count) return LB_ERR;
    c->rows.insert(c->rows.begin() + index, Row{text, 0});
    if (c->curSel >= index) ++c->curSel;
    return index;
}

int HeadlessDialog::ListDeleteString(int id, int index) {
    Control* c = FindList(id);
    if (!c || index < 0 || index >= static_cast<int>(c->rows.size())) return LB_ERR;
    c->rows.erase(c->rows.begin() + index);
    if (c->curSel == index) {
        c->curSel = -1;
    } else if (c->curSel > index) {
        --c->curSel;
    }
    return static_cast<int>(c->rows.size());
}

void HeadlessDialog::ListResetContent(int id) {
    if (Control* c = FindList(id)) {
        c->rows.clear();
        c->curSel = -1;
    }
}

int HeadlessDialog::ListGetCount(int id) {
    const Control* c = FindList(id);
    return c ? static_cast<int>(c->rows.size()) : LB_ERR;
}

int HeadlessDialog::ListGetCurSel(int id) {
    const Control* c = FindList(id);
    return c ? c->curSel : LB_ERR;
}

int HeadlessDialog::ListSetCurSel(int id, int index) {
    Control* c = FindList(id);
    if (!c || index < -1 || index >= static_cast<int>(c->rows.size())) return LB_ERR;
    c->curSel = index;
    return index == -1 ? LB_ERR : index;
}

std::string HeadlessDialog::ListGetText(int id, int index) {
    const Control* c = FindList(id);
    if (!c || index < 0 || index >= static_cast<int>(c->rows.size())) return std::string();
    return c->rows[index].text;
}

uintptr_t HeadlessDialog::ListGetItemData(int id, int index) {
    const Control* c = FindList(id);
    if (!c || index < 0 || index >= static_cast<int>(c->rows.size())) return static_cast<uintptr_t>(LB_ERR);
    return c->rows[index].data;
}

int HeadlessDialog::ListSetItemData(int id, int index, uintptr_t data) {
    Control* c = FindList(id);
    if (!c || index < 0 || index >= static_cast<int>(c->rows.size())) return LB_ERR;
    c->rows[index].data = data;
    return 0;
}

int HeadlessDialog::ListFindStringExact(int id, int start, const std::string& text) {
    const Control* c = FindList(id);
    if (!c) return LB_ERR;
    const int count = static_cast<int>(c->rows.size());
    if (start < -1 || start >= count) start = -1;
    for (int k = 1; k <= count; ++k) {
        const int i = (start + k) % count;
        if (CompareListText(text, c->rows[i].text) == 0) return i;
    }
    return LB_ERR;
}

void HeadlessDialog::UpDownSetRange(int id, int lower, int upper) {
    if (Control* c = Find(id)) {
        c->lower = lower;
        c->upper = upper;
    }
}

void HeadlessDialog::UpDownSetPos(int id, int pos) {
    if (Control* c = Find(id)) c->pos = pos;
}

// ---------------------------------------------------------------------------------------------
// HeadlessUi

HeadlessUi::HeadlessUi() = default;

HeadlessUi::HeadlessUi(const std::string& rcPath) {
    if (!m_script.Load(rcPath)) AddProblem("resource script: " + m_script.Error());
}

HeadlessUi::~HeadlessUi() = default;

void HeadlessUi::QueueDriver(Driver driver) { m_drivers.push_back(std::move(driver)); }

void HeadlessUi::QueueMessageBoxAnswer(int answer) { m_messageBoxAnswers.push_back(answer); }

void HeadlessUi::QueueFileDialogAnswer(std::optional<std::string> path) {
    m_fileDialogAnswers.push_back(std::move(path));
}

int HeadlessUi::MessageBox(const std::string& caption, const std::string& text, unsigned type) {
    m_messageBoxes.push_back({caption, text, type});
    if (m_messageBoxAnswers.empty()) {
        AddProblem("unanswered message box: " + text);
        return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    const int answer = m_messageBoxAnswers.front();
    m_messageBoxAnswers.pop_front();
    return answer;
}

HWND HeadlessUi::PromptOwner() { return m_running.empty() ? nullptr : m_running.back()->Handle(); }

bool HeadlessUi::GetOpenFileName(const std::string& initialName, unsigned flags,
                                 const std::string& filter, std::string* path) {
    m_fileDialogs.push_back({initialName, flags, filter});
    if (m_fileDialogAnswers.empty()) {
        AddProblem("unanswered file dialog");
        return false;
    }
    std::optional<std::string> answer = m_fileDialogAnswers.front();
    m_fileDialogAnswers.pop_front();
    if (!answer) return false;
    *path = *answer;
    return true;
}

int HeadlessUi::RunModal(CDialog& dialog, unsigned templateId) {
    const DialogTemplate* dialogTemplate = m_script.FindDialog(templateId);
    if (dialogTemplate == nullptr) {
        AddProblem("no dialog template " + std::to_string(templateId));
        return -1;
    }
    m_dialogsRun.push_back(dialogTemplate->caption);

    HeadlessDialog window(*this, dialog, *dialogTemplate);
    m_running.push_back(&window);
    dialog.AttachWindow(&window);
    if (dialog.HandleInitDialog()) window.SetDefaultFocus();

    if (!window.HasEnded()) {
        if (m_drivers.empty()) {
            AddProblem("no driver for dialog \"" + dialogTemplate->caption + "\"");
        } else {
            Driver driver = std::move(m_drivers.front());
            m_drivers.pop_front();
            driver(window);
        }
        if (!window.HasEnded()) {
            AddProblem("dialog \"" + dialogTemplate->caption + "\" left open by its driver");
            dialog.HandleCommand(IDCANCEL, BN_CLICKED);
        }
    }
    dialog.HandleDestroy();
    dialog.DetachWindow();
    m_running.pop_back();
    return window.Result();
}

IconHandle HeadlessUi::LoadIcon(unsigned id, int cx, int cy) {
    if (!m_script.HasIcon(id) || cx <= 0 || cy <= 0) return nullptr;
    IconHandle icon = reinterpret_cast<IconHandle>(m_nextIcon);
    m_nextIcon += 0x10;
    m_liveIcons.insert(icon);
    return icon;
}

void HeadlessUi::DestroyIcon(IconHandle icon) {
    if (m_liveIcons.erase(icon) == 0) AddProblem("DestroyIcon on a handle that is not live");
}
