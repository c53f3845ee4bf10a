// Reading, removing and writing the parts of a set key that belong to the set.
#include "config/SetParts.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/RegistryEnum.h"
#include "config/RegistryTree.h"
#include "config/RegistryValues.h"
#include "config/SetWrite.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

namespace {

const char* const kCount = "Count";

// The names of the key's subkeys that are tweak keys, or false when they could not all be read.
bool TweakKeyNames(IRegistry& registry, HKEY key, std::vector<std::string>* names) {
    std::string name;
    uint32_t index = 0;
    long error;
    for (; (error = EnumKeyName(registry, key, index, &name)) == ERROR_SUCCESS; ++index) {
        if (TweakIndexOfKeyName(name) >= 0) names->push_back(name);
    }
    return error == ERROR_NO_MORE_ITEMS;
}

}  // namespace

KeySnapshot SetPartsOf(const CTweakConfig& config) {
    KeySnapshot parts;
    parts.exists = true;
    std::lock_guard<std::mutex> guard(config.m_lock);
    for (size_t i = 0; i < config.m_arrTweaks.size(); ++i) {
        // A missing record is no key, which Load reads as the fresh record it stands for: a file
        // with a large "Count" and few tweak keys costs what it holds.
        if (config.m_arrTweaks[i] == nullptr) continue;
        KeySnapshot tweak;
        tweak.exists = true;
        for (const StoredTweakValue& value : WrittenValuesOf(*config.m_arrTweaks[i])) {
            tweak.values.push_back(value.type == REG_DWORD ? DwordValue(value.name, value.number)
                                                           : TextValue(value.name, value.text));
        }
        parts.subkeys.emplace_back(TweakKeyName(i), std::move(tweak));
    }
    parts.values.push_back(DwordValue(kCount, static_cast<uint32_t>(config.m_arrTweaks.size())));
    return parts;
}

bool ReadStoredSetParts(const ConfigurationView& view, const std::string& path, KeySnapshot* parts) {
    *parts = KeySnapshot();
    if (const KeySnapshot* staged = view.StagedParts(path)) {
        *parts = *staged;
        return true;
    }
    if (NamesNoKey(path.c_str())) return true;
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    const long error = registry.OpenKey(HKEY_USERS, path.c_str(), key.Out());
    if (error == ERROR_FILE_NOT_FOUND) return true;
    return error == ERROR_SUCCESS && ReadSetParts(registry, key.Get(), parts);
}

bool TakeStoredSnapshot(const ConfigurationView& view, const std::string& path, KeySnapshot* snapshot) {
    bool whole = TakeKeySnapshot(path, snapshot) && view.Readable();
    const size_t depth = KeyPathParts(path).size();
    for (const SetChange& change : view.PendingChanges()) {
        if (!IsKeyPathWithin(change.keyPath, path)) continue;
        // The set key's place in the snapshot, made where the write makes it.
        std::vector<KeySnapshot*> way{snapshot};
        const std::vector<std::string> names = KeyPathParts(change.keyPath);
        for (size_t i = depth; i < names.size(); ++i) {
            auto& subkeys = way.back()->subkeys;
            auto found = std::find_if(subkeys.begin(), subkeys.end(), [&](const std::pair<std::string, KeySnapshot>& key) {
                return IsSameRegistryName(key.first, names[i]);
            });
            if (found == subkeys.end()) {
                subkeys.emplace_back(names[i], KeySnapshot());
                found = subkeys.end() - 1;
            }
            way.push_back(&found->second);
        }
        KeySnapshot& key = *way.back();
        key.values.erase(std::remove_if(key.values.begin(), key.values.end(),
                                        [](const KeySnapshot::Value& value) { return IsSameRegistryName(value.name, kCount); }),
                         key.values.end());
        key.subkeys.erase(std::remove_if(key.subkeys.begin(), key.subkeys.end(),
                                         [](const std::pair<std::string, KeySnapshot>& sub) {
                                             return TweakIndexOfKeyName(sub.first) >= 0;
                                         }),
                          key.subkeys.end());
        if (change.store) {
            key.values.insert(key.values.end(), change.parts.values.begin(), change.parts.values.end());
            key.subkeys.insert(key.subkeys.end(), change.parts.subkeys.begin(), change.parts.subkeys.end());
        }
        // Every key on the way exists once the write is made, but a removed set's key left empty;
        // the registry lists subkeys by name.
        for (KeySnapshot* on : way) {
            on->exists = true;
            std::stable_sort(on->subkeys.begin(), on->subkeys.end(),
                             [](const std::pair<std::string, KeySnapshot>& a, const std::pair<std::string, KeySnapshot>& b) {
                                 return CompareRegistryNames(a.first, b.first) < 0;
                             });
        }
        if (!change.store && key.values.empty() && key.subkeys.empty() && way.size() > 1) {
            auto& parent = way[way.size() - 2]->subkeys;
            parent.erase(std::find_if(parent.begin(), parent.end(),
                                      [&](const std::pair<std::string, KeySnapshot>& sub) { return &sub.second == &key; }));
        } else if (!change.store && key.values.empty() && key.subkeys.empty()) {
            *snapshot = KeySnapshot();
        }
    }
    return whole;
}

bool IsSameSetParts(const KeySnapshot& a, const KeySnapshot& b) {
    if (a.exists != b.exists) return false;
    return !a.exists || KeySnapshotBytes(a) == KeySnapshotBytes(b);
}

bool ReadSetParts(IRegistry& registry, HKEY key, KeySnapshot* parts) {
    *parts = KeySnapshot();
    std::vector<std::string> names;
    bool whole = TweakKeyNames(registry, key, &names);
    for (const std::string& name : names) {
        OpenKeys tweak(registry);
        if (registry.OpenKey(key, name.c_str(), tweak.Out()) != ERROR_SUCCESS) {
            whole = false;
            continue;
        }
        parts->subkeys.emplace_back(name, KeySnapshot());
        whole = TakeKeySnapshotOf(registry, tweak.Get(), &parts->subkeys.back().second) && whole;
    }
    uint32_t type = REG_NONE;
    uint32_t size = 0;
    const long error = registry.QueryValue(key, kCount, &type, nullptr, &size);
    if (error == ERROR_SUCCESS) {
        std::vector<uint8_t> data(size + 1);
        whole = registry.QueryValue(key, kCount, &type, data.data(), &size) == ERROR_SUCCESS && whole;
        data.resize(size);
        parts->values.push_back({kCount, type, data});
    } else if (error != ERROR_FILE_NOT_FOUND) {
        whole = false;
    }
    parts->exists = !parts->values.empty() || !parts->subkeys.empty();
    return whole;
}

bool RemoveSetParts(IRegistry& registry, HKEY key, const std::string& path) {
    const long error = registry.DeleteValue(key, kCount);
    bool removed = error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
    std::vector<std::string> names;
    removed = TweakKeyNames(registry, key, &names) && removed;
    for (const std::string& name : names) {
        // A tweak key holds no subkeys unless someone put them there: then the whole tree goes.
        removed = (registry.DeleteKey(key, name.c_str()) == ERROR_SUCCESS ||
                   DeleteKeyTree(registry, path + "\\" + name) == ERROR_SUCCESS) &&
                  removed;
    }
    return removed;
}

bool WriteSetParts(IRegistry& registry, HKEY key, const KeySnapshot& parts) {
    bool written = true;
    for (const auto& [name, tweak] : parts.subkeys) {
        OpenKeys subkey(registry);
        if (registry.CreateKey(key, name.c_str(), subkey.Out()) != ERROR_SUCCESS) return false;
        written = WriteKeySnapshotTo(registry, subkey.Get(), tweak) && written;
        if (!written) return false;
    }
    for (const KeySnapshot::Value& value : parts.values) {
        if (!WriteKeySnapshotValue(registry, key, value)) return false;
    }
    return true;
}

bool IsSetKeyPath(const std::string& path) {
    const std::string sets = std::string(kConfigRoot) + "Configurations";
    if (!IsKeyPathWithin(path, sets) || IsSameKeyPath(path, sets)) return false;
    const std::vector<std::string> parts = KeyPathParts(path);
    for (size_t i = KeyPathParts(sets).size() + 1; i < parts.size(); ++i) {
        if (TweakIndexOfKeyName(parts[i]) >= 0) return false;
    }
    // A line break or another control character in a name: no registry file could hold the set,
    // so no export of it would import again.
    for (const char c : path) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
    }
    return true;
}
