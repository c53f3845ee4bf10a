// Profile rename and delete as changes of stored sets: the profile's set moves or goes, the
// global configuration and the sets of other profiles stay.
#include "config/ProfileKeys.h"

#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/SetParts.h"
#include "config/TweakConfig.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

std::string ProfileKeyPath(const char* profileName) {
    if (profileName == nullptr || *profileName == '\0') return std::string();
    const std::string path = CTweakConfig(profileName).GetKeyPath(0);
    const std::string global = CTweakConfig(nullptr).GetKeyPath(1);
    if (!IsSetKeyPath(path) || IsKeyPathWithin(global, path) || IsKeyPathWithin(path, global)) return std::string();
    return path;
}

bool ReadStoredParts(const std::string& keyPath, KeySnapshot* parts) {
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    const long error = registry.OpenKey(HKEY_USERS, keyPath.c_str(), key.Out());
    *parts = KeySnapshot();
    if (error == ERROR_FILE_NOT_FOUND) return true;
    if (error != ERROR_SUCCESS) return false;
    return ReadSetParts(registry, key.Get(), parts);
}

bool ProfileRenameChanges(const char* oldName, const char* newName, const SetPartsReader& read,
                          std::vector<SetChange>* changes) {
    changes->clear();
    const std::string oldPath = ProfileKeyPath(oldName);
    const std::string newPath = ProfileKeyPath(newName);
    if (oldPath.empty() || newPath.empty() || IsSameKeyPath(oldPath, newPath)) return true;
    KeySnapshot moved, there;
    if (!read(oldPath, &moved) || !read(newPath, &there)) return false;
    if (moved.exists && !there.exists) *changes = {{newPath, true, moved}, {oldPath, false, KeySnapshot()}};
    return true;
}

bool ProfileDeleteChanges(const char* profileName, const SetPartsReader& read, std::vector<SetChange>* changes) {
    changes->clear();
    const std::string path = ProfileKeyPath(profileName);
    if (path.empty()) return true;
    KeySnapshot parts;
    if (!read(path, &parts)) return false;
    if (parts.exists) changes->push_back({path, false, KeySnapshot()});
    return true;
}
