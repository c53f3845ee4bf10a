// The ten exports as a host might call them: any order, any strings (null, very long, high
// bytes), any session handles, on the in-memory registry (within the real registry's limits of
// key name length and depth), shell and module and the headless dialogs of the module's real
// resource script. Dialogs that the configure and install exports
// open are driven by the input: a few clicks, ticks, typed texts and selections, then OK or
// Cancel; message boxes and the file dialog answer as the input says.
// Checked after every call: no key handle open. After the input: no process handle open and none
// misused, no icon left, no rule of a real dialog run broken, "Config Version" 0 written at the
// end; the global configuration never changed by a profile's rename or delete; the name export
// fills exactly its buffer. Crashes, memory errors and leaks are the sanitizers' part.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addon/Exports.h"
#include "addon/ZTTrevanelApp.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/LimitedRegistry.h"
#include "platform/headless/HeadlessUi.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryModule.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/Layout.h"
#include "tests/common/StandIns.h"
#include "ui/resource.h"

namespace {

const std::string kGlobalName = kGlobalSetName;

const std::vector<std::string> kProfiles = {
    "Work", "work", "Backup Server", kGlobalName, kGlobalName + "\\Tweak 00", "Configurations",
    "\\", "a\\b", "Work\\", "\xC4rger", "\xE4RGER", "%s%n%s", ""};
const std::vector<std::string> kPaths = {
    "C:\\in\\report.txt", "/srv/data/a b.csv", "C:\\in\\", "C:/in/report.TXT", "say \"hi\".txt",
    "%LOCAL_FILE_PATH%", "%REMOTE_FILE_PATH%", "\xE4\xF6\xFC.txt", ""};
const std::vector<std::string> kTexts = {
    "Viewer", "C:\\Tools\\viewer.exe", "\"%LOCAL_FILE_PATH%\" \"%REMOTE_FILE_PATH%\"",
    "*.txt", "*.txt;*.csv", " a ;b ;", "[ab", "a\\", "*", "\xE4\xF6\xFC", ""};
const std::vector<std::string> kModuleFiles = {
    "C:\\Program Files\\Zorvant\\Add Ons\\ZTTrevanelAddon.dll", "ZTTrevanelAddon.dll",
    "D:\\a.b\\ZTTrevanelAddon", "\\\\server\\share\\x.y.z.dll", ""};
const std::vector<std::string> kHostNames = {"FTP Zorvant 11.3", "FTP Zorvant 12.0", "FTP Zorvant 9.5",
                                             "FTP Zorvant", "11.30", ""};

// One input's platform, application object and the input itself.
struct Run {
    explicit Run(FuzzedDataProvider& input) : fdp(input) {}

    FuzzedDataProvider& fdp;
    MemoryRegistry reg;
    // What the add-on sees: reg within the real registry's limits.
    LimitedRegistry limited{reg};
    MemoryLauncher launcher;
    MemoryModule module;
    std::unique_ptr<HeadlessUi> ui;
    int actionsLeft = 160;
    size_t fileAnswersQueued = 0;
};

const HeadlessUi& PrototypeUi() {
    // The resource script is read once; every input copies the parsed dialogs.
    static const HeadlessUi prototype(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc");
    FUZZ_CHECK(prototype.Problems().empty(), "resource script: %s",
               prototype.Problems().front().c_str());
    return prototype;
}

std::string Arg(Run& run, const std::vector<std::string>& known) {
    return ChooseCString(run.fdp, known).value_or(std::string());
}

// Every message box and file dialog finds an answer from the input.
void TopUpAnswers(Run& run) {
    FuzzedDataProvider& fdp = run.fdp;
    while (run.ui->PendingMessageBoxAnswers() < 2) {
        run.ui->QueueMessageBoxAnswer(fdp.ConsumeBool() ? IDYES : IDNO);
    }
    while (run.fileAnswersQueued <= run.ui->FileDialogs().size()) {
        if (fdp.ConsumeBool()) {
            run.ui->QueueFileDialogAnswer(Arg(run, kPaths));
        } else {
            run.ui->QueueFileDialogAnswer(std::nullopt);
        }
        ++run.fileAnswersQueued;
    }
}

// The user at a dialog: some actions the input picks, then OK or Cancel. A dialog that one of the
// actions opens takes the driver this one queues for it.
struct Driver {
    Run* run;

    void operator()(HeadlessDialog& dialog) const {
        run->ui->QueueDriver(*this);
        FuzzedDataProvider& fdp = run->fdp;
        const int actions = fdp.ConsumeIntegralInRange<int>(0, 6);
        for (int i = 0; i < actions && run->actionsLeft > 0 && !dialog.HasEnded(); ++i) {
            --run->actionsLeft;
            TopUpAnswers(*run);
            if (dialog.TemplateId() == IDD_ZTTREVANEL_DIALOG) {
                ListAction(dialog);
            } else {
                EditorAction(dialog);
            }
        }
        TopUpAnswers(*run);
        if (!dialog.HasEnded() && fdp.ConsumeBool()) dialog.Click(IDOK);
        if (!dialog.HasEnded()) dialog.PressEscape();
    }

    void SelectRow(HeadlessDialog& dialog, int list, bool twice) const {
        const size_t rows = dialog.Rows(list).size();
        if (rows == 0 || !dialog.IsEnabled(list)) return;
        const int row = static_cast<int>(run->fdp.ConsumeIntegralInRange<size_t>(0, rows - 1));
        if (twice) {
            dialog.DoubleClick(list, row);
        } else {
            dialog.Select(list, row);
        }
    }

    void ListAction(HeadlessDialog& dialog) const {
        FuzzedDataProvider& fdp = run->fdp;
        switch (fdp.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: dialog.Click(IDC_BTN_ADD); break;
        case 1: dialog.Click(IDC_BTN_EDIT); break;
        case 2: dialog.Click(IDC_BTN_REMOVE); break;
        case 3: dialog.Click(IDC_BTN_REMOVE_ALL); break;
        case 4: dialog.Click(IDC_BTN_HELP); break;
        case 5: SelectRow(dialog, IDC_LIST_TWEAKS, false); break;
        case 6: SelectRow(dialog, IDC_LIST_TWEAKS, true); break;
        case 7:
            if (dialog.IsEnabled(IDC_SPIN_MOVE)) {
                dialog.ClickArrow(IDC_SPIN_MOVE, fdp.ConsumeBool() ? 1 : -1);
            }
            break;
        case 8: dialog.PressEnter(); break;
        default: SelectRow(dialog, IDC_LIST_TWEAKS, false); dialog.Click(IDC_BTN_EDIT); break;
        }
    }

    void EditorAction(HeadlessDialog& dialog) const {
        static const int kEdits[] = {IDC_EDIT_NAME, IDC_EDIT_EXE, IDC_EDIT_PARAMETERS, IDC_EDIT_FILTER};
        static const int kChecks[] = {IDC_CHECK_DISABLED, IDC_CHECK_DOWNLOAD,   IDC_CHECK_UPLOAD,
                                      IDC_CHECK_VIEW,     IDC_CHECK_MOVE_LOCAL, IDC_CHECK_MOVE_SERVER,
                                      IDC_CHECK_OPEN,     IDC_CHECK_IGNORE_CASE};
        FuzzedDataProvider& fdp = run->fdp;
        switch (fdp.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
        case 1: {
            const int id = fdp.PickValueInArray(kEdits);
            const std::string text = Arg(*run, kTexts);
            if (dialog.IsEnabled(id)) dialog.Type(id, text);
            break;
        }
        case 2: {
            const int id = fdp.PickValueInArray(kChecks);
            const bool ticked = fdp.ConsumeBool();
            if (dialog.IsEnabled(id)) dialog.Tick(id, ticked);
            break;
        }
        case 3: {
            const std::string text = Arg(*run, kTexts);
            if (dialog.IsEnabled(IDC_EDIT_FILTER)) dialog.Type(IDC_EDIT_FILTER, text);
            dialog.Click(IDC_BTN_ADD_FILTER);
            break;
        }
        case 4: dialog.Click(IDC_BTN_REMOVE_FILTER); break;
        case 5: dialog.Click(IDC_BTN_REMOVE_ALL_FILTERS); break;
        case 6: dialog.Click(IDC_BTN_BROWSE); break;
        case 7: dialog.Click(IDC_BTN_HELP); break;
        case 8: SelectRow(dialog, IDC_LIST_FILTERS, false); break;
        default: dialog.PressEnter(); break;
        }
    }
};

void PutString(MemoryRegistry& reg, HKEY root, const char* key, const char* name,
               const std::string& text) {
    HKEY handle = nullptr;
    if (reg.CreateKey(root, key, &handle) != ERROR_SUCCESS) return;
    reg.SetValue(handle, name, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                 static_cast<uint32_t>(text.size() + 1));
    reg.CloseKey(handle);
}

// A set stored the way a saved dialog stores it, so that transfers find tweaks to start.
void StoreSet(Run& run) {
    FuzzedDataProvider& fdp = run.fdp;
    const std::optional<std::string> profile = ChooseCString(fdp, kProfiles, 300);
    CTweakConfig config(CStr(profile));
    const int count = fdp.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < count; ++i) {
        auto* tweak = new CTweakInfo;
        config.m_arrTweaks.push_back(tweak);
        tweak->m_strName = Arg(run, kTexts);
        tweak->m_strExe = fdp.ConsumeBool() ? "C:\\Tools\\viewer.exe" : Arg(run, kTexts);
        tweak->m_strParameters = Arg(run, kTexts);
        tweak->m_bEnabled = fdp.ConsumeIntegralInRange<int32_t>(-1, 1);
        tweak->m_bIgnoreCase = fdp.ConsumeBool();
        tweak->m_nApplyTo = fdp.ConsumeIntegral<uint32_t>();
        tweak->ParseFilters(Arg(run, kTexts));
    }
    config.Save();
}

// A transfer type the host sends (0 to 5), or any number at all.
int ChooseType(FuzzedDataProvider& fdp) {
    return fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange<int>(0, 5) : fdp.ConsumeIntegral<int>();
}

void* ChooseSession(FuzzedDataProvider& fdp) {
    static const uintptr_t kHandles[] = {0, 1, 2, 3, 0xDEADBEEF, ~uintptr_t(0)};
    return reinterpret_cast<void*>(fdp.PickValueInArray(kHandles));
}

bool SameTree(const MemoryRegistry::Key& a, const MemoryRegistry::Key& b) {
    if (a.name != b.name || a.values.size() != b.values.size() || a.subkeys.size() != b.subkeys.size()) {
        return false;
    }
    for (size_t i = 0; i < a.values.size(); ++i) {
        const MemoryRegistry::Value& x = a.values[i];
        const MemoryRegistry::Value& y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
    }
    for (size_t i = 0; i < a.subkeys.size(); ++i) {
        if (!SameTree(a.subkeys[i], b.subkeys[i])) return false;
    }
    return true;
}

std::optional<MemoryRegistry::Key> GlobalTree(const MemoryRegistry& reg) {
    return reg.Snapshot(HKEY_USERS, GlobalKey());
}

std::string Quoted(const std::optional<std::string>& text) {
    return text ? "\"" + FuzzEscape(*text) + "\"" : std::string("null");
}

void CheckGlobalKept(const MemoryRegistry& reg, const std::optional<MemoryRegistry::Key>& before,
                     const std::string& call) {
    const std::optional<MemoryRegistry::Key> after = GlobalTree(reg);
    const bool same = before.has_value() == after.has_value() && (!before || SameTree(*before, *after));
    FUZZ_CHECK(same, "%s changed the global configuration", call.c_str());
}

void CallName(Run& run) {
    FuzzedDataProvider& fdp = run.fdp;
    if (fdp.ConsumeIntegralInRange<int>(0, 7) == 0) {
        ZTAddOnName(nullptr, 0);
        return;
    }
    const uint32_t size = fdp.ConsumeIntegralInRange<uint32_t>(1, 120);
    // Exactly size bytes, so that a write past the end is the sanitizer's to see.
    std::vector<char> buffer(size, '\x5A');
    ZTAddOnName(buffer.data(), size);
    std::string expected = run.module.LoadString(IDS_ADDON_NAME).substr(0, size - 1);
    expected.resize(size, '\0');
    FUZZ_CHECK(std::memcmp(buffer.data(), expected.data(), size) == 0,
               "ZTAddOnName with %u bytes gave \"%s\"", size,
               FuzzEscape(std::string(buffer.begin(), buffer.end())).c_str());
}

void CallExport(Run& run) {
    FuzzedDataProvider& fdp = run.fdp;
    TopUpAnswers(run);
    switch (fdp.ConsumeIntegralInRange<int>(0, 10)) {
    case 0: {
        const std::optional<std::string> profile = ChooseCString(fdp, kProfiles);
        ZTAddOnConfigure(CStr(profile));
        break;
    }
    case 1: {
        const std::optional<std::string> oldName = ChooseCString(fdp, kProfiles);
        const std::optional<std::string> newName = ChooseCString(fdp, kProfiles);
        const std::optional<MemoryRegistry::Key> before = GlobalTree(run.reg);
        ZTAddOnProfileNameChange(CStr(oldName), CStr(newName));
        CheckGlobalKept(run.reg, before,
                        "ZTAddOnProfileNameChange(" + Quoted(oldName) + ", " + Quoted(newName) + ")");
        break;
    }
    case 2: {
        const std::optional<std::string> profile = ChooseCString(fdp, kProfiles);
        const std::optional<MemoryRegistry::Key> before = GlobalTree(run.reg);
        ZTAddOnProfileDeleted(CStr(profile));
        CheckGlobalKept(run.reg, before, "ZTAddOnProfileDeleted(" + Quoted(profile) + ")");
        break;
    }
    case 3: CallName(run); break;
    case 4: {
        void* session = ChooseSession(fdp);
        const std::optional<std::string> profile = ChooseCString(fdp, kProfiles);
        ZTAddOnSessionCreate(session, CStr(profile));
        break;
    }
    case 5: {
        void* session = ChooseSession(fdp);
        const int type = ChooseType(fdp);
        const std::optional<std::string> remote = ChooseCString(fdp, kPaths);
        const std::optional<std::string> local = ChooseCString(fdp, kPaths);
        FUZZ_CHECK(ZTAddOnFileDownloadedTweak(session, type, CStr(remote), CStr(local),
                                              fdp.ConsumeIntegral<uint32_t>()) == 0,
                   "ZTAddOnFileDownloadedTweak returned nonzero");
        break;
    }
    case 6: {
        void* session = ChooseSession(fdp);
        const int type = ChooseType(fdp);
        const std::optional<std::string> local = ChooseCString(fdp, kPaths);
        const std::optional<std::string> remote = ChooseCString(fdp, kPaths);
        FUZZ_CHECK(ZTAddOnFileUploadTweak(session, type, CStr(local), fdp.ConsumeIntegral<uint32_t>(),
                                          CStr(remote), fdp.ConsumeIntegral<uint32_t>()) == 0,
                   "ZTAddOnFileUploadTweak returned nonzero");
        break;
    }
    case 7: ZTAddOnSessionDestroy(ChooseSession(fdp)); break;
    case 8: {
        const std::optional<std::string> folder = ChooseCString(fdp, kPaths);
        ZTAddOnInstall(CStr(folder));
        break;
    }
    case 9: {
        const uint32_t first = fdp.ConsumeIntegral<uint32_t>();
        FUZZ_CHECK(ZTAddOnUninstall(first, fdp.ConsumeIntegral<uint32_t>()) == 0,
                   "ZTAddOnUninstall returned nonzero");
        break;
    }
    default: StoreSet(run); break;
    }
    // The configuration watch keeps the one key it watches open while the add-on is loaded.
    FUZZ_CHECK(run.reg.OpenHandleCount() <= 1, "%zu key handles left open", run.reg.OpenHandleCount());
    FUZZ_CHECK(run.launcher.OpenHandleCount() == 0, "%zu process handles left open",
               run.launcher.OpenHandleCount());
}

// Where the shell finds something: the host, the help files, the tweaks' programs.
void ScriptShell(Run& run, const CZTTrevanelApp& app, const std::string& hostFolder) {
    FuzzedDataProvider& fdp = run.fdp;
    static const MemoryLauncher::Outcome kOutcomes[] = {MemoryLauncher::Outcome::Fails,
                                                        MemoryLauncher::Outcome::SucceedsNoProcess,
                                                        MemoryLauncher::Outcome::SucceedsProcess};
    run.launcher.SetDefaultOutcome(fdp.PickValueInArray(kOutcomes));
    run.launcher.SetOutcome("C:\\Tools\\viewer.exe", fdp.PickValueInArray(kOutcomes));
    const std::string folder = app.m_strModuleFolder;
    const std::string documents[] = {
        folder + "Help\\ZTTrevanelAddOn.htm",     folder + "ZTTrevanelAddOn.htm",
        folder + "Help\\ZTTrevanelAddOnInfo.htm", folder + "ZTTrevanelAddOnInfo.htm",
        hostFolder + "\\FTPZorvant.exe"};
    for (const std::string& document : documents) {
        run.launcher.SetExecuteResult(document, fdp.ConsumeBool() ? 42 : 2);
    }
}

void CheckEnd(Run& run) {
    FUZZ_CHECK(run.reg.OpenHandleCount() == 0, "%zu key handles left open after unload",
               run.reg.OpenHandleCount());
    const std::optional<MemoryRegistry::Key> root = run.reg.Snapshot(HKEY_USERS, kConfigRoot);
    const MemoryRegistry::Value* version = root ? root->FindValue("Config Version") : nullptr;
    FUZZ_CHECK(version != nullptr && version->type == REG_DWORD &&
                   version->data == std::vector<uint8_t>(4, 0),
               "no \"Config Version\" 0 after unload");
    FUZZ_CHECK(run.launcher.Misuses().empty(), "process handle misused: %s",
               run.launcher.Misuses().front().c_str());
    FUZZ_CHECK(run.ui->LiveIconCount() == 0, "%zu icons never destroyed", run.ui->LiveIconCount());
    for (const std::string& problem : run.ui->Problems()) {
        FUZZ_CHECK(false, "dialog run: %s", problem.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    Run run(fdp);
    run.ui = std::make_unique<HeadlessUi>(PrototypeUi());
    StandIns standIns{run.limited, run.launcher, run.module, *run.ui};

    run.module.SetFileName(fdp.ConsumeBool() ? Pick(fdp, kModuleFiles)
                                             : CText(fdp.ConsumeRandomLengthString(40)));
    run.module.SetStrings(run.ui->Script().Strings());
    if (fdp.ConsumeIntegralInRange<int>(0, 7) == 0) {
        static const unsigned kStrings[] = {IDS_ADDON_NAME, IDS_HELP_FILE_ERROR, IDS_PROFILE_SCOPE,
                                            IDS_REMOVE_QUESTION};
        run.module.RemoveString(fdp.PickValueInArray(kStrings));
    }
    std::string hostFolder;
    if (fdp.ConsumeBool()) {
        hostFolder = fdp.ConsumeBool() ? "D:\\Program Files\\FTP Zorvant" : Arg(run, kPaths);
        PutString(run.reg, HKEY_LOCAL_MACHINE, kHostSetupKey, "Inno Setup: App Path", hostFolder);
        PutString(run.reg, HKEY_LOCAL_MACHINE, kHostSetupKey, "DisplayName", Arg(run, kHostNames));
    }

    {
        auto app = std::make_unique<CZTTrevanelApp>();
        app->InitInstance();
        ScriptShell(run, *app, hostFolder);
        run.ui->QueueDriver(Driver{&run});
        for (int call = 0; call < 24 && fdp.remaining_bytes() > 0; ++call) CallExport(run);
        // The module unloads.
        app.reset();
    }
    CheckEnd(run);
    return 0;
}
