// Profile rename and delete: the profile's set moves or goes as one write, the global
// configuration and the sets of other profiles stay.
#include "config/ProfileKeys.h"

#include <string>

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

SetWriteResult RenameStoredSet(const char* oldName, const char* newName) {
    const std::string oldPath = ProfileKeyPath(oldName);
    const std::string newPath = ProfileKeyPath(newName);
    if (oldPath.empty() || newPath.empty() || IsSameKeyPath(oldPath, newPath)) return SetWriteResult::kWritten;
    // What is read here is written unchanged: no other writer comes between.
    const ConfigurationTurn turn;
    if (!turn.Settled()) return SetWriteResult::kUnchanged;
    KeySnapshot moved, there;
    if (!ReadStoredParts(oldPath, &moved) || !ReadStoredParts(newPath, &there)) return SetWriteResult::kUnchanged;
    if (!moved.exists || there.exists) return SetWriteResult::kWritten;
    return WriteStoredSets({{newPath, true, moved}, {oldPath, false, KeySnapshot()}});
}

SetWriteResult DeleteStoredSet(const char* profileName) {
    const std::string path = ProfileKeyPath(profileName);
    return path.empty() ? SetWriteResult::kWritten : WriteStoredSets({{path, false, KeySnapshot()}});
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
