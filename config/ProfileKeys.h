// What the host's rename and delete of a server profile do to the stored sets, as changes that a
// write then makes: the bottom of the profile-change road (the host's entry points are in
// HostWrite.h, the writes of whole requests in WriteRequest.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/SetWrite.h"

// The key of a named profile's set below HKEY_USERS, or empty when the name is null or empty, its
// key cannot hold a set, or it would be, hold, or lie inside the global configuration's key (an
// empty name selects it; "ZTTrevanelAddon Global Configuration" in any letter case names it; a
// name of backslashes names its parent): a profile's rename or delete never touches the global
// configuration.
std::string ProfileKeyPath(const char* profileName);

// Reads the set's parts at a key path (see SetParts.h), as earlier changes of the same write have
// left them: parts->exists false when there is no set. False when they cannot be read whole.
using SetPartsReader = std::function<bool(const std::string& keyPath, KeySnapshot* parts)>;
// The registry's keys as they are: under the writers' turn, what the next write starts from; for a
// reader without it, a set that a write may be changing as it reads.
bool ReadStoredParts(const std::string& keyPath, KeySnapshot* parts);

// The changes that move the set of profile oldName (its "Count" and "Tweak %02d" keys) to
// newName, unless newName has a set of its own; the sets of profiles nested in oldName's key stay
// where they are, and newName may lie below oldName ("Work" to "Work\Alt"). None when there is
// nothing to move. False when the sets cannot be read.
bool ProfileRenameChanges(const char* oldName, const char* newName, const SetPartsReader& read,
                          std::vector<SetChange>* changes);
// The change that removes the set of profileName, and its key when nothing else is left in it.
bool ProfileDeleteChanges(const char* profileName, const SetPartsReader& read, std::vector<SetChange>* changes);
