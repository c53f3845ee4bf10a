// How the registry compares key and value names: without regard to letter case, for ASCII and
// for the letters of code page 1252 alike. Every comparison of stored names uses this one rule.
#pragma once

#include <string>

// The upper-case form of c as the registry folds it (ä to Ä, š to Š, ÿ to Ÿ).
char FoldRegistryNameChar(char c);

// The name with every character folded: equal for exactly the names IsSameRegistryName takes as
// one, so that names can be looked up in a map.
std::string FoldRegistryName(const std::string& name);

// Negative, zero or positive as a orders before, with or after b once both are folded.
int CompareRegistryNames(const std::string& a, const std::string& b);

inline bool IsSameRegistryName(const std::string& a, const std::string& b) {
    return CompareRegistryNames(a, b) == 0;
}
