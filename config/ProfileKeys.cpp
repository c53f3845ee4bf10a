// Profile rename and delete: the profile's key moves or goes, the global configuration stays.
#include "config/ProfileKeys.h"

#include <string>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/TweakConfig.h"

namespace {

// The key of a named profile, or empty when the name is missing or its key would be, hold, or
// lie inside the global configuration's key (an empty name selects it; "ZTTrevanelAddon Global
// Configuration" in any letter case names it; a name of backslashes names its parent; a name
// that continues it with "\Tweak 00" names one of its tweaks).
std::string ProfileKeyPath(const char* profileName) {
    if (profileName == nullptr || *profileName == '\0') return std::string();
    const std::string path = CTweakConfig(profileName).GetKeyPath(0);
    const std::string global = CTweakConfig(nullptr).GetKeyPath(1);
    if (IsKeyPathWithin(global, path) || IsKeyPathWithin(path, global)) return std::string();
    return path;
}

}  // namespace

void RenameProfileKey(const CAppBase& app, const char* oldName, const char* newName) {
    const std::string oldPath = ProfileKeyPath(oldName);
    const std::string newPath = ProfileKeyPath(newName);
    if (oldPath.empty() || newPath.empty()) return;
    app.MoveRegKey(oldPath.c_str(), newPath.c_str());
}

void DeleteProfileKey(const CAppBase& app, const char* profileName) {
    const std::string path = ProfileKeyPath(profileName);
    if (!path.empty()) app.DeleteRegTree(path.c_str());
}

bool CanReplaceSetKey(const CTweakConfig& config) {
    if (config.m_strProfile.empty()) return true;
    const std::string path = config.GetKeyPath(0);
    const std::string global = config.GetKeyPath(1);
    if (IsSameKeyPath(path, global)) return true;
    return !IsKeyPathWithin(global, path) && !IsKeyPathWithin(path, global);
}
