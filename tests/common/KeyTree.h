// Removes a test's keys whole, through any registry service: the in-memory one, or the real
// registry under Wine.
#pragma once

#include <string>
#include <vector>

#include "platform/Registry.h"

// Deletes path below root with all its subkeys and values; a missing key is fine. A final
// backslash of path is passed over; an empty path, which would name root itself, deletes nothing.
// True when the key is gone afterwards.
inline bool DeleteKeyTree(IRegistry& registry, HKEY root, std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.empty()) return false;
    HKEY key;
    if (registry.OpenKey(root, path.c_str(), &key) != ERROR_SUCCESS) return true;
    std::vector<std::string> names;
    char name[512];
    for (uint32_t i = 0; registry.EnumKey(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        names.push_back(name);
    }
    registry.CloseKey(key);
    for (const std::string& child : names) DeleteKeyTree(registry, root, path + "\\" + child);
    registry.DeleteKey(root, path.c_str());
    const long status = registry.OpenKey(root, path.c_str(), &key);
    if (status == ERROR_SUCCESS) registry.CloseKey(key);
    return status == ERROR_FILE_NOT_FOUND;
}
