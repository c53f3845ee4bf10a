// Telling sets, tweak keys and other keys apart.
#include "ctl/StoredSets.h"

#include <algorithm>
#include <unordered_map>

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
    // Set keys first, so that a tweak key finds its set wherever the file puts it; a tweak key's
    // set is looked up by its parent's folded path, so that any number of keys and sets is
    // classified in linear time.
    std::vector<bool> isSet(file.keys.size(), false);
    std::unordered_map<std::string, size_t> setAt;
    for (size_t i = 0; i < file.keys.size(); ++i) {
        const RegFileKey& key = file.keys[i];
        StoredSet set;
        if (!FindRegFileValue(key, "Count") || !KeyPathBelowUsers(key.path, &set.keyPath) ||
            !ProfileOfSetKey(set.keyPath, &set.profile)) {
            continue;
        }
        set.key = &key;
        isSet[i] = true;
        setAt.emplace(FoldedKeyPath(set.keyPath), layout.sets.size());
        layout.sets.push_back(set);
    }
    for (size_t i = 0; i < file.keys.size(); ++i) {
        if (isSet[i]) continue;
        const RegFileKey& key = file.keys[i];
        std::string path;
        bool placed = false;
        if (KeyPathBelowUsers(key.path, &path)) {
            std::vector<std::string> parts = KeyPathParts(path);
            const long index = parts.empty() ? -1 : TweakIndexOfKeyName(parts.back());
            if (index >= 0) {
                parts.pop_back();
                std::string parent;
                for (const std::string& part : parts) parent += (parent.empty() ? "" : "\\") + part;
                const auto set = setAt.find(FoldedKeyPath(parent));
                if (set != setAt.end()) {
                    layout.sets[set->second].tweaks.push_back({index, &key});
                    placed = true;
                }
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
