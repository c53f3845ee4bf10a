// What a write of the configuration may not touch: everything outside the "Configurations" key,
// and of the write road's own values beside it, anything but what a write makes of them.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "config/SetWrite.h"
#include "ctl/StoredSets.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/WinTypes.h"

// A root's tree without the "Configurations" key, the write road's own values beside it (the
// write generation and the last write's name), and the keys on the way to it that hold nothing
// else (the import may create them).
inline std::optional<MemoryRegistry::Key> Outside(std::optional<MemoryRegistry::Key> tree, HKEY root) {
    if (!tree || root != HKEY_USERS) return tree;
    const std::string path = ConfigurationsKeyPath();
    std::vector<MemoryRegistry::Key*> way{&*tree};
    for (size_t from = 0; from <= path.size();) {
        size_t end = path.find('\\', from);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(from, end - from);
        auto& subkeys = way.back()->subkeys;
        const auto next = std::find_if(subkeys.begin(), subkeys.end(), [&](const MemoryRegistry::Key& key) {
            return MemoryRegistry::SameName(key.name, name);
        });
        if (next == subkeys.end()) break;
        if (end == path.size()) {
            subkeys.erase(next);
            auto& values = way.back()->values;
            values.erase(std::remove_if(values.begin(), values.end(),
                                        [](const MemoryRegistry::Value& value) {
                                            return MemoryRegistry::SameName(value.name, kWriteGenerationValue);
                                        }),
                         values.end());
            break;
        }
        way.push_back(&*next);
        from = end + 1;
    }
    for (size_t i = way.size() - 1; i > 0; --i) {
        if (!way[i]->values.empty() || !way[i]->subkeys.empty()) break;
        auto& siblings = way[i - 1]->subkeys;
        siblings.erase(siblings.begin() + (way[i] - siblings.data()));
    }
    return tree;
}

// The key at path below key, or null.
inline const MemoryRegistry::Key* FindKey(const MemoryRegistry::Key* key, const std::string& path) {
    for (size_t from = 0; key != nullptr && from < path.size();) {
        size_t end = path.find('\\', from);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(from, end - from);
        const auto next = std::find_if(key->subkeys.begin(), key->subkeys.end(), [&](const MemoryRegistry::Key& sub) {
            return MemoryRegistry::SameName(sub.name, name);
        });
        key = next == key->subkeys.end() ? nullptr : &*next;
        from = end + 1;
    }
    return key;
}

inline bool SameValue(const MemoryRegistry::Value& a, const MemoryRegistry::Value& b) {
    return a.type == b.type && a.data == b.data;
}

inline const MemoryRegistry::Value* FindValue(const MemoryRegistry::Key* key, const char* name) {
    if (key == nullptr) return nullptr;
    for (const MemoryRegistry::Value& value : key->values) {
        if (MemoryRegistry::SameName(value.name, name)) return &value;
    }
    return nullptr;
}

// Empty when the write road's own values (in HKEY_USERS' trees before and after a write) are what
// a write leaves: a four-byte generation, moved when the sets changed.
inline std::string RoadValuesFault(const std::optional<MemoryRegistry::Key>& before,
                                   const std::optional<MemoryRegistry::Key>& after) {
    const std::string path = ConfigurationsKeyPath();
    const std::string root = path.substr(0, path.rfind('\\'));
    const std::string sets = path.substr(root.size() + 1);
    const MemoryRegistry::Key* was = FindKey(before ? &*before : nullptr, root);
    const MemoryRegistry::Key* is = FindKey(after ? &*after : nullptr, root);
    const MemoryRegistry::Value* generation = FindValue(is, kWriteGenerationValue);
    const MemoryRegistry::Value* generationBefore = FindValue(was, kWriteGenerationValue);
    if (generation != nullptr && (generation->type != REG_DWORD || generation->data.size() != 4))
        return "the write generation is no four-byte number";
    const MemoryRegistry::Key* setsWere = FindKey(was, sets);
    const MemoryRegistry::Key* setsAre = FindKey(is, sets);
    const bool setsChanged = setsWere == nullptr ? setsAre != nullptr : setsAre == nullptr || !(*setsWere == *setsAre);
    if (setsChanged && (generation == nullptr || (generationBefore != nullptr && SameValue(*generation, *generationBefore))))
        return "the sets changed and the write generation did not";
    return std::string();
}
