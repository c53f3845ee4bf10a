// A key below HKEY_USERS with everything below it, read through the registry service into the
// form of a registry file: depth first, each key before its subkeys, in enumeration order.
#pragma once

#include <string>

#include "ctl/RegFile.h"

// The root name the registry files give HKEY_USERS.
extern const char* const kUsersRootName;

struct KeySnapshot;

// Appends snapshot, taken of the key path below HKEY_USERS, to *file.
void AppendSnapshot(const std::string& path, const KeySnapshot& snapshot, RegFile* file);

// Appends the key path (below HKEY_USERS) and its subkeys to *file, each set in it as sessions
// read it (TakeStoredSnapshot: a committed write not yet in place counts as made). A missing key
// appends nothing and returns true; false when a key or value could not be read whole.
bool DumpRegistryTree(const std::string& path, RegFile* file);
