// Profile rename and delete: the profile's set moves or goes as one write, the global
// configuration and the sets of other profiles stay.
#include "config/ProfileKeys.h"

#include <string>
#include <vector>

#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/SetParts.h"
#include "config/HostWrite.h"
#include "config/SetWrite.h"
#include "config/WriteRequest.h"
#include "config/TweakConfig.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace {

// The key of a named profile, or empty when the name is missing, its key cannot hold a set, or
// it would be, hold, or lie inside the global configuration's key (an empty name selects it;
// "ZTTrevanelAddon Global Configuration" in any letter case names it; a name of backslashes
// names its parent).
std::string ProfileKeyPath(const char* profileName) {
    if (profileName == nullptr || *profileName == '\0') return std::string();
    const std::string path = CTweakConfig(profileName).GetKeyPath(0);
    const std::string global = CTweakConfig(nullptr).GetKeyPath(1);
    if (!IsSetKeyPath(path) || IsKeyPathWithin(global, path) || IsKeyPathWithin(path, global)) return std::string();
    return path;
}

// The set's parts stored at path; false when they cannot be read whole.
bool ReadStoredParts(const std::string& path, KeySnapshot* parts) {
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    const long error = registry.OpenKey(HKEY_USERS, path.c_str(), key.Out());
    *parts = KeySnapshot();
    if (error == ERROR_FILE_NOT_FOUND) return true;
    if (error != ERROR_SUCCESS) return false;
    return ReadSetParts(registry, key.Get(), parts);
}

}  // namespace

bool ProfileRenameChanges(const char* oldName, const char* newName, std::vector<SetChange>* changes) {
    changes->clear();
    const std::string oldPath = ProfileKeyPath(oldName);
    const std::string newPath = ProfileKeyPath(newName);
    if (oldPath.empty() || newPath.empty() || IsSameKeyPath(oldPath, newPath)) return true;
    KeySnapshot moved, there;
    if (!ReadStoredParts(oldPath, &moved) || !ReadStoredParts(newPath, &there)) return false;
    if (moved.exists && !there.exists) *changes = {{newPath, true, moved}, {oldPath, false, KeySnapshot()}};
    return true;
}

bool ProfileDeleteChanges(const char* profileName, std::vector<SetChange>* changes) {
    changes->clear();
    const std::string path = ProfileKeyPath(profileName);
    if (path.empty()) return true;
    KeySnapshot parts;
    if (!ReadStoredParts(path, &parts)) return false;
    if (parts.exists) changes->push_back({path, false, KeySnapshot()});
    return true;
}

namespace {

// What is read is written unchanged: no other writer comes between.
template <typename Changes>
SetWriteResult WriteProfileChanges(Changes find) {
    const ConfigurationTurn turn;
    if (!turn.Settled()) return turn.Denied() ? SetWriteResult::kDenied : SetWriteResult::kUnchanged;
    std::vector<SetChange> changes;
    if (!find(&changes)) return SetWriteResult::kUnchanged;
    return changes.empty() ? SetWriteResult::kWritten : WriteStoredSets(changes);
}

}  // namespace

SetWriteResult RenameStoredSet(const char* oldName, const char* newName) {
    return WriteProfileChanges([&](std::vector<SetChange>* changes) {
        return ProfileRenameChanges(oldName, newName, changes);
    });
}

SetWriteResult DeleteStoredSet(const char* profileName) {
    return WriteProfileChanges([&](std::vector<SetChange>* changes) {
        return ProfileDeleteChanges(profileName, changes);
    });
}

void RenameProfileKey(const CAppBase& /*app*/, const char* oldName, const char* newName) {
    if (oldName == nullptr || newName == nullptr) return;
    WriteStep step;
    step.kind = WriteStep::Kind::kRename;
    step.name = oldName;
    step.newName = newName;
    WriteAsHost({{step}});
}

void DeleteProfileKey(const CAppBase& /*app*/, const char* profileName) {
    if (profileName == nullptr) return;
    WriteStep step;
    step.kind = WriteStep::Kind::kDelete;
    step.name = profileName;
    WriteAsHost({{step}});
}
