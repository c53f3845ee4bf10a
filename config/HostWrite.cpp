// The host's writes, here or through the elevated helper.
#include "config/HostWrite.h"

#include <atomic>
#include <chrono>
#include <random>

#include "config/AppBase.h"
#include "config/ProfileKeys.h"
#include "config/ProfileNotes.h"
#include "config/SetParts.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

const char* const kApplyCommand = "apply";

namespace {

const char* const kHelperName = "ZTTrevanelCtl.exe";

std::string HelperPath() {
    const std::string module = GetModule().GetModuleFileName();
    const size_t slash = module.find_last_of('\\');
    return slash == std::string::npos ? std::string() : module.substr(0, slash + 1) + kHelperName;
}

// A name no other write of any process has: chance, the clock and a count.
std::string NewRequestId() {
    static std::atomic<uint32_t> count{0};
    std::random_device device;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::to_string(device()) + "-" + std::to_string(device()) + "-" + std::to_string(ticks) + "-" +
           std::to_string(++count);
}

// The helper reads the request once, into memory, and checks and writes what it read: what the
// file holds afterwards is of no account. A helper that ended otherwise than by its own account
// may have committed the write: the configuration tells.
SetWriteResult WriteElevated(WriteRequest request) {
    const std::string helper = HelperPath();
    IFileSystem& files = GetFileSystem();
    if (helper.empty() || !files.FileExists(helper)) return SetWriteResult::kDenied;
    const std::string file = files.NewTempFile();
    if (file.empty()) return SetWriteResult::kDenied;
    request.id = NewRequestId();
    std::string errorText;
    SetWriteResult result = SetWriteResult::kDenied;
    if (files.WriteFile(file, WriteRequestBytes(request), &errorText)) {
        ILauncher& launcher = GetLauncher();
        const std::string parameters = std::string(kApplyCommand) + " \"" + file + "\"";
        ShellExecuteRequest start;
        start.fMask = SEE_MASK_NOCLOSEPROCESS;
        start.lpVerb = "runas";
        start.lpFile = helper.c_str();
        start.lpParameters = parameters.c_str();
        start.nShow = SW_HIDE;
        // The prompt comes up in front of the window the user pressed OK in, which stays painted
        // and takes no second OK until the helper has ended.
        start.hwnd = GetUi().PromptOwner();
        ProcessHandle process = nullptr;
        // Declined consent is the shell's ERROR_CANCELLED: nothing started, nothing changed.
        if (launcher.ExecuteAndWait(start, &process) && process != nullptr) {
            uint32_t code = 1;
            const bool exited = launcher.GetExitCode(process, &code);
            if (exited && code == kApplyWritten) {
                result = SetWriteResult::kWritten;
            } else if (exited && code == kApplyInterrupted) {
                result = SetWriteResult::kInterrupted;
            } else if (exited && code == kApplyChangedSince) {
                result = SetWriteResult::kChangedSince;
            } else {
                // Ended otherwise (refused, killed, crashed, out of memory after its commit): saved
                // when its write is found committed, whatever the code says.
                const SetWriteResult found = FindRequestOutcome(request);
                if (IsSaved(found)) result = found;
            }
            launcher.CloseProcess(process);
        }
    }
    files.RemoveFile(file);
    return result;
}

// Whether a rename or delete of the profile has no set to move: then no write is made and nobody
// is asked for consent. Read as sessions read it; a set that cannot be read counts as one.
bool HasNoSet(const char* profileName) {
    const std::string path = ProfileKeyPath(profileName);
    bool none = path.empty();
    KeySnapshot parts;
    ReadConsistently([&](const ConfigurationView& view) {
        none = none || (ReadStoredSetParts(view, path, &parts) && !parts.exists);
        return true;
    });
    return none;
}

}  // namespace

HostWriteOutcome WriteAsHost(const WriteRequest& request) {
    HostWriteOutcome outcome;
    outcome.result = ApplyWriteRequest(request, &outcome.notes);
    // The helper tells its own output; the host hears only its result.
    if (outcome.result == SetWriteResult::kDenied) outcome.result = WriteElevated(request);
    return outcome;
}

bool RenameProfileKey(const CAppBase& /*app*/, const char* oldName, const char* newName) {
    if (oldName == nullptr || newName == nullptr) return true;
    WriteStep step;
    step.kind = WriteStep::Kind::kRename;
    step.name = oldName;
    step.newName = newName;
    if (HasNoSet(oldName) || IsSaved(WriteAsHost({{step}, std::string()}).result)) {
        ForgetDeclinedRenameTo(oldName);
        return true;
    }
    NoteDeclinedRename(oldName, newName);
    return false;
}

void DeleteProfileKey(const CAppBase& /*app*/, const char* profileName) {
    if (profileName == nullptr) return;
    WriteStep step;
    step.kind = WriteStep::Kind::kDelete;
    step.name = profileName;
    if (HasNoSet(profileName) || IsSaved(WriteAsHost({{step}, std::string()}).result)) {
        ForgetDeclinedRenameTo(profileName);
    } else {
        NoteDeclinedDelete(profileName);
    }
}
