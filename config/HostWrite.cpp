// The host's writes, here or through the elevated helper, and the profile changes kept between.
#include "config/HostWrite.h"

#include "config/AppBase.h"
#include "config/OpenKeys.h"
#include "config/ProfileKeys.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

const char* const kApplyCommand = "apply";
const char* const kKeptChangesValue = "Profile Changes";

namespace {

const char* const kHelperName = "ZTTrevanelCtl.exe";

std::string HelperPath() {
    const std::string module = GetModule().GetModuleFileName();
    const size_t slash = module.find_last_of('\\');
    return slash == std::string::npos ? std::string() : module.substr(0, slash + 1) + kHelperName;
}

// The helper reads the request once, into memory, and checks and writes what it read: what the
// file holds afterwards is of no account.
SetWriteResult WriteElevated(const WriteRequest& request) {
    const std::string helper = HelperPath();
    IFileSystem& files = GetFileSystem();
    if (helper.empty() || !files.FileExists(helper)) return SetWriteResult::kDenied;
    const std::string file = files.NewTempFile();
    if (file.empty()) return SetWriteResult::kDenied;
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
        ProcessHandle process = nullptr;
        // Declined consent is the shell's ERROR_CANCELLED: nothing started, nothing changed.
        if (launcher.ExecuteEx(start, &process) && process != nullptr) {
            launcher.WaitForProcess(process);
            uint32_t code = 1;
            if (launcher.GetExitCode(process, &code)) {
                if (code == kApplyWritten) result = SetWriteResult::kWritten;
                if (code == kApplyInterrupted) result = SetWriteResult::kInterrupted;
                if (code == kApplyChangedSince) result = SetWriteResult::kChangedSince;
            }
            launcher.CloseProcess(process);
        }
    }
    files.RemoveFile(file);
    return result;
}

bool KeepProfileChanges(const WriteRequest& kept) {
    const std::vector<uint8_t> bytes = WriteRequestBytes(kept);
    IRegistry& registry = GetRegistry();
    HKEY key;
    if (registry.CreateKey(HKEY_CURRENT_USER, kUserKey, &key) != ERROR_SUCCESS) return false;
    const bool written = registry.SetValue(key, kKeptChangesValue, REG_BINARY, bytes.data(),
                                           static_cast<uint32_t>(bytes.size())) == ERROR_SUCCESS;
    registry.CloseKey(key);
    return written;
}

}  // namespace

WriteRequest KeptProfileChanges() {
    WriteRequest kept;
    IRegistry& registry = GetRegistry();
    std::vector<uint8_t> bytes;
    {
        OpenKeys key(registry);
        if (registry.OpenKey(HKEY_CURRENT_USER, kUserKey, key.Out()) != ERROR_SUCCESS) return kept;
        uint32_t type = 0, size = 0;
        if (registry.QueryValue(key.Get(), kKeptChangesValue, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
            bytes.resize(size);
            if (registry.QueryValue(key.Get(), kKeptChangesValue, &type, bytes.data(), &size) != ERROR_SUCCESS) size = 0;
            bytes.resize(size);
        }
    }
    // Only profile changes are kept; anything else in the value is no change of the host's.
    WriteRequest read;
    if (!bytes.empty() && ReadWriteRequest(bytes, &read)) {
        for (WriteStep& step : read.steps) {
            if (step.kind != WriteStep::Kind::kStore) kept.steps.push_back(std::move(step));
        }
    }
    return kept;
}

bool ForgetKeptProfileChanges() {
    IRegistry& registry = GetRegistry();
    HKEY key;
    const long opened = registry.OpenKey(HKEY_CURRENT_USER, kUserKey, &key);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    const long error = registry.DeleteValue(key, kKeptChangesValue);
    registry.CloseKey(key);
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}

namespace {

// Whether the step would still change a stored set; true when that cannot be told.
bool StillToMake(const WriteStep& step) {
    std::vector<SetChange> changes;
    const bool read = step.kind == WriteStep::Kind::kRename
                          ? ProfileRenameChanges(step.name.c_str(), step.newName.c_str(), &changes)
                          : ProfileDeleteChanges(step.name.c_str(), &changes);
    return !read || !changes.empty();
}

// Keeps the rename and delete steps of request that are still to be made, in their order, and
// nothing else: a step already made (by either road, before a later one failed), or one that
// finds nothing to do, is never made again at the next write.
void KeepWhatIsLeft(const WriteRequest& request, bool keptBefore) {
    WriteRequest left;
    {
        const ConfigurationTurn turn;
        for (const WriteStep& step : request.steps) {
            if (step.kind == WriteStep::Kind::kStore) continue;
            // Where the sets cannot be read as they are, every change stays kept.
            if (!turn.Settled() || StillToMake(step)) left.steps.push_back(step);
        }
    }
    if (!left.steps.empty()) {
        KeepProfileChanges(left);
    } else if (keptBefore) {
        ForgetKeptProfileChanges();
    }
}

}  // namespace

SetWriteResult WriteAsHost(const WriteRequest& request) {
    const WriteRequest kept = KeptProfileChanges();
    WriteRequest all = kept;
    all.steps.insert(all.steps.end(), request.steps.begin(), request.steps.end());
    SetWriteResult result = ApplyWriteRequest(all);
    if (result == SetWriteResult::kDenied) result = WriteElevated(all);
    // The host has renamed or deleted the profile whatever happened here: its set follows with the
    // next write that reaches the registry.
    if (result == SetWriteResult::kWritten) {
        if (!kept.steps.empty()) ForgetKeptProfileChanges();
    } else {
        KeepWhatIsLeft(all, !kept.steps.empty());
    }
    return result;
}
