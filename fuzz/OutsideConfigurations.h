// What a write of the configuration may not touch: everything outside the "Configurations" key.
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
                                            return MemoryRegistry::SameName(value.name, kWriteGenerationValue) ||
                                                   MemoryRegistry::SameName(value.name, kLastRequestValue);
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

