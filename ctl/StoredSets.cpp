// Telling sets, tweak keys and other keys apart.
#include "ctl/StoredSets.h"

#include <algorithm>
#include <map>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/TweakConfig.h"
#include "config/TweakKeyIndex.h"
#include "ctl/RegistryDump.h"
#include "platform/RegistryNames.h"

std::string ConfigurationsKeyPath() {
    const CAppBase* app = AfxGetApp();
    return app ? app->GetRegistryPath("Configurations") : kConfigRoot + std::string("Configurations");
}

bool KeyPathBelowUsers(const std::string& filePath, std::string* path) {
    const std::string root = std::string(kUsersRootName) + "\\";
    if (filePath.size() < root.size() || !IsSameRegistryName(filePath.substr(0, root.size()), root)) return false;
    *path = filePath.substr(root.size());
    return true;
}

bool ProfileOfSetKey(const std::string& path, std::string* profile) {
    const std::string configurations = ConfigurationsKeyPath();
    if (!IsKeyPathWithin(path, configurations) || IsSameKeyPath(path, configurations)) return false;
    if (IsSameKeyPath(path, CTweakConfig(nullptr).GetKeyPath(1))) {
        profile->clear();
        return true;
    }
    const std::vector<std::string> parts = KeyPathParts(path);
    std::string name;
    for (size_t i = KeyPathParts(configurations).size(); i < parts.size(); ++i) {
        name += (name.empty() ? "" : "\\") + parts[i];
    }
    *profile = name;
    return true;
}

const RegFileValue* FindRegFileValue(const RegFileKey& key, const char* name) {
    for (const RegFileValue& value : key.values) {
        if (IsSameRegistryName(value.name, name)) return &value;
    }
    return nullptr;
}

StoredLayout FindStoredSets(const RegFile& file) {
    StoredLayout layout;
    // Set keys first, so that a tweak key finds its set wherever the file puts it.
    std::map<size_t, size_t> setOfKey;
    for (size_t i = 0; i < file.keys.size(); ++i) {
        const RegFileKey& key = file.keys[i];
        StoredSet set;
        if (!FindRegFileValue(key, "Count") || !KeyPathBelowUsers(key.path, &set.keyPath) ||
            !ProfileOfSetKey(set.keyPath, &set.profile)) {
            continue;
        }
        set.key = &key;
        setOfKey[i] = layout.sets.size();
        layout.sets.push_back(set);
    }
    for (size_t i = 0; i < file.keys.size(); ++i) {
        if (setOfKey.count(i)) continue;
        const RegFileKey& key = file.keys[i];
        std::string path;
        bool placed = false;
        if (KeyPathBelowUsers(key.path, &path)) {
            const std::vector<std::string> parts = KeyPathParts(path);
            const long index = parts.empty() ? -1 : TweakIndexOfKeyName(parts.back());
            for (StoredSet& set : layout.sets) {
                if (index < 0 || placed || parts.size() != KeyPathParts(set.keyPath).size() + 1 ||
                    !IsKeyPathWithin(path, set.keyPath)) {
                    continue;
                }
                set.tweaks.push_back({index, &key});
                placed = true;
            }
        }
        if (!placed) layout.otherKeys.push_back(&key);
    }
    for (StoredSet& set : layout.sets) {
        std::stable_sort(set.tweaks.begin(), set.tweaks.end(),
                         [](const StoredTweakKey& a, const StoredTweakKey& b) { return a.index < b.index; });
    }
    return layout;
}
