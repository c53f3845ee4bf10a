// The sets a registry tree holds below the "Configurations" key: which key is a set (it has a
// "Count"), which of its subkeys are its tweak keys, and which keys are neither.
#pragma once

#include <string>
#include <vector>

#include "ctl/RegFile.h"

struct StoredTweakKey {
    long index = 0;
    const RegFileKey* key = nullptr;
};

struct StoredSet {
    std::string keyPath;  // below HKEY_USERS, as stored
    std::string profile;  // empty for the global configuration
    const RegFileKey* key = nullptr;
    std::vector<StoredTweakKey> tweaks;  // by ascending index
};

struct StoredLayout {
    std::vector<StoredSet> sets;
    // Keys below "Configurations" that are neither a set nor a set's tweak key, and keys that lie
    // elsewhere altogether.
    std::vector<const RegFileKey*> otherKeys;
};

// The "Configurations" key below HKEY_USERS, where every set lies.
std::string ConfigurationsKeyPath();

// The key path below HKEY_USERS of a registry file key, or false when it names another root.
bool KeyPathBelowUsers(const std::string& filePath, std::string* path);

// The profile whose set key this is (empty for the global configuration), or false when the
// key does not lie below "Configurations" or is that key itself.
bool ProfileOfSetKey(const std::string& path, std::string* profile);

// The value of that name, letter case aside, or null.
const RegFileValue* FindRegFileValue(const RegFileKey& key, const char* name);

// Classifies the keys of file; the result points into file.
StoredLayout FindStoredSets(const RegFile& file);
