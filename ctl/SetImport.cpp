// Examining a registry file's sets and turning them into tweak records.
#include "ctl/SetImport.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "config/KeyPath.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "ctl/StoredSets.h"
#include "platform/RegistryNames.h"
#include "platform/WinTypes.h"

namespace {

std::string TypeName(uint32_t type) {
    switch (type) {
    case REG_SZ: return "a string";
    case REG_EXPAND_SZ: return "an expandable string (hex(2))";
    case REG_BINARY: return "binary data (hex)";
    case REG_DWORD: return "a dword";
    case REG_MULTI_SZ: return "a multi-string (hex(7))";
    default: return "data of type " + std::to_string(type);
    }
}

bool Fail(RegFileError* error, int line, const std::string& message) {
    error->line = line;
    error->message = message;
    return false;
}

// Keys named twice are one key, later values replacing earlier ones, as the editor imports them.
// Keys and values are found through their folded names, so that a file of any size merges in
// linear time.
RegFile MergeKeys(const RegFile& file) {
    RegFile merged;
    std::unordered_map<std::string, size_t> keyAt;
    std::vector<std::unordered_map<std::string, size_t>> valueAt;
    for (const RegFileKey& key : file.keys) {
        const auto [known, added] = keyAt.emplace(FoldedKeyPath(key.path), merged.keys.size());
        if (added) {
            merged.keys.push_back(RegFileKey{key.path, {}, key.line});
            valueAt.emplace_back();
        }
        RegFileKey& same = merged.keys[known->second];
        std::unordered_map<std::string, size_t>& values = valueAt[known->second];
        for (const RegFileValue& value : key.values) {
            const auto [at, isNew] = values.emplace(FoldRegistryName(value.name), same.values.size());
            if (isNew) {
                same.values.push_back(value);
            } else {
                same.values[at->second] = value;
            }
        }
    }
    return merged;
}

bool CheckValueType(const RegFileValue& value, uint32_t type, RegFileError* error) {
    if (value.type != type) {
        return Fail(error, value.line, "\"" + value.name + "\" must be " + TypeName(type) + ", not " +
                                           TypeName(value.type));
    }
    if (type == REG_DWORD && value.data.size() != 4) {
        return Fail(error, value.line, "\"" + value.name + "\" must hold 4 bytes");
    }
    if (type == REG_SZ) {
        const auto zero = std::find(value.data.begin(), value.data.end(), 0);
        if (zero != value.data.end() && zero + 1 != value.data.end()) {
            return Fail(error, value.line, "\"" + value.name + "\" holds a zero byte inside its text");
        }
    }
    return true;
}

int32_t Dword(const RegFileValue& value) {
    return static_cast<int32_t>(uint32_t(value.data[0]) | uint32_t(value.data[1]) << 8 |
                                uint32_t(value.data[2]) << 16 | uint32_t(value.data[3]) << 24);
}

std::string Text(const RegFileValue& value) {
    return std::string(value.data.begin(), std::find(value.data.begin(), value.data.end(), 0));
}

bool ReadTweak(const RegFileKey& key, CTweakInfo* tweak, RegFileError* error) {
    // The values a tweak's key holds are the ones Save writes, with their types.
    const std::vector<StoredTweakValue> stored = StoredValuesOf(CTweakInfo());
    for (const RegFileValue& value : key.values) {
        const StoredTweakValue* known = nullptr;
        for (const StoredTweakValue& k : stored) {
            if (IsSameRegistryName(value.name, k.name)) known = &k;
        }
        if (!known) {
            return Fail(error, value.line, (value.name.empty() ? std::string("the default value (@)")
                                                               : "\"" + value.name + "\"") +
                                               " is not a value of a tweak");
        }
        if (!CheckValueType(value, known->type, error)) return false;
    }
    // The same reading as from the registry: what is missing keeps the record's default.
    for (StoredTweakValue value : stored) {
        const RegFileValue* found = FindRegFileValue(key, value.name);
        if (found == nullptr) continue;
        value.text = Text(*found);
        if (value.type == REG_DWORD) value.number = static_cast<uint32_t>(Dword(*found));
        TakeStoredValue(*tweak, value);
    }
    return true;
}

bool ReadSet(const StoredSet& stored, ImportedSet* set, RegFileError* error) {
    for (const RegFileValue& value : stored.key->values) {
        if (!IsSameRegistryName(value.name, "Count")) {
            return Fail(error, value.line, (value.name.empty() ? std::string("the default value (@)")
                                                               : "\"" + value.name + "\"") +
                                               " is not a value of a set (only \"Count\" is)");
        }
    }
    const RegFileValue& countValue = *FindRegFileValue(*stored.key, "Count");
    if (!CheckValueType(countValue, REG_DWORD, error)) return false;
    const int32_t count = Dword(countValue);
    if (count < 0 || count > CTweakConfig::kMaxTweaks) {
        return Fail(error, countValue.line, "\"Count\" " + std::to_string(count) + " lies outside 0 to " +
                                                std::to_string(CTweakConfig::kMaxTweaks));
    }
    set->config.reset(new CTweakConfig(stored.profile.c_str()));
    set->line = stored.key->line;
    // Records exist only for the tweak keys the file holds; a missing one stays null, which the
    // save leaves a missing key, read by Load as a fresh record. So memory and time follow what
    // the file holds, not what its "Count" claims.
    set->config->m_arrTweaks.resize(static_cast<size_t>(count), nullptr);
    for (const StoredTweakKey& tweak : stored.tweaks) {
        if (tweak.index >= count) {
            return Fail(error, tweak.key->line, "the tweak key lies at or above \"Count\" " +
                                                    std::to_string(count) + ", so it would never be read");
        }
        CTweakInfo*& record = set->config->m_arrTweaks[static_cast<size_t>(tweak.index)];
        if (record == nullptr) record = new CTweakInfo;
        if (!ReadTweak(*tweak.key, record, error)) return false;
    }
    return true;
}

size_t Depth(const std::string& path) { return static_cast<size_t>(std::count(path.begin(), path.end(), '\\')); }

}  // namespace

bool ReadImportedSets(const RegFile& file, const std::string* targetProfile,
                      std::vector<ImportedSet>* sets, RegFileError* error) {
    const RegFile merged = MergeKeys(file);
    const std::string configurations = ConfigurationsKeyPath();
    for (const RegFileKey& key : merged.keys) {
        std::string path;
        if (!KeyPathBelowUsers(key.path, &path)) {
            return Fail(error, key.line, "the key lies outside HKEY_USERS: only the add-on's "
                                         "configurations are accepted");
        }
        if (!IsKeyPathWithin(path, configurations)) {
            return Fail(error, key.line, "the key lies outside HKEY_USERS\\" + configurations);
        }
    }
    const StoredLayout layout = FindStoredSets(merged);
    for (const RegFileKey* key : layout.otherKeys) {
        if (!key->values.empty()) {
            return Fail(error, key->line, "the key holds values but is neither a set (it has no "
                                          "\"Count\") nor a tweak key (\"Tweak 00\", \"Tweak 01\", ...) of one");
        }
    }
    if (layout.sets.empty()) return Fail(error, 0, "the file holds no set (no key with \"Count\")");
    if (targetProfile && layout.sets.size() != 1) {
        return Fail(error, 0, "the file holds " + std::to_string(layout.sets.size()) +
                                  " sets; --profile takes a file with exactly one");
    }
    std::vector<StoredSet> ordered = layout.sets;
    std::stable_sort(ordered.begin(), ordered.end(), [](const StoredSet& a, const StoredSet& b) {
        return Depth(a.keyPath) < Depth(b.keyPath);
    });
    std::vector<ImportedSet> result;
    for (StoredSet& stored : ordered) {
        if (targetProfile) stored.profile = *targetProfile;
        ImportedSet set;
        if (!ReadSet(stored, &set, error)) return false;
        result.push_back(std::move(set));
    }
    sets->swap(result);
    return true;
}
