// Comparing registry key paths the way the registry compares them.
#pragma once

#include <string>
#include <vector>

// Equal paths name the same key: letter case of ASCII and Windows-1252 letters and doubled or
// trailing backslashes make no difference.
bool IsSameKeyPath(const std::string& a, const std::string& b);
// The path in one spelling per key: equal for exactly the paths IsSameKeyPath takes as one, so
// that keys can be looked up in a map.
std::string FoldedKeyPath(const std::string& path);
// True when path names ancestor itself or a key below it.
bool IsKeyPathWithin(const std::string& path, const std::string& ancestor);
// The key names along path as written; the empty parts that doubled or trailing backslashes make
// name no key and are dropped, as the registry drops them.
std::vector<std::string> KeyPathParts(const std::string& path);
