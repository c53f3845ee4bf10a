// What of a set key belongs to the set: its "Count" value and its "Tweak %02d" keys with
// everything below them. Other values, and other subkeys (the keys of profiles nested in this
// one, such as "Müller" of "Kunden\Müller"), belong to no write of this set.
#pragma once

#include <string>

#include "config/KeySnapshot.h"
#include "platform/WinTypes.h"

class ConfigurationView;
class CTweakConfig;
class IRegistry;

// The set's parts as its save stores them: "Count" and the seven values of every tweak key.
KeySnapshot SetPartsOf(const CTweakConfig& config);

// Reads the set's parts of the open key into *parts (values: "Count" only; subkeys: the tweak
// keys whole). False when something could not be read. parts->exists tells whether there was any.
bool ReadSetParts(IRegistry& registry, HKEY key, KeySnapshot* parts);

// The set's parts at path below HKEY_USERS as a reader with view finds them: those a pending
// write stages for it, else the registry's (ReadSetParts; a missing key: none). False when they
// cannot be read whole.
bool ReadStoredSetParts(const ConfigurationView& view, const std::string& path, KeySnapshot* parts);
// The key at path below HKEY_USERS with everything below it (TakeKeySnapshot), each set in it as
// a reader with view finds it: a pending write's staged parts in place of the registry's, a set it
// removes gone (and its key, when nothing else is left in it). False when something could not be
// read, or the view is not Readable.
bool TakeStoredSnapshot(const ConfigurationView& view, const std::string& path, KeySnapshot* snapshot);
// Whether two sets' parts are the same: both missing, or both there with the same bytes.
bool IsSameSetParts(const KeySnapshot& a, const KeySnapshot& b);

// Removes the set's parts from the key at path below HKEY_USERS (open as key): "Count" first, so
// that a reader without the configuration's turn finds no set rather than a part of one. False
// when anything stayed.
bool RemoveSetParts(IRegistry& registry, HKEY key, const std::string& path);

// Writes parts into the open key: the tweak keys first, "Count" last. False when any write failed.
bool WriteSetParts(IRegistry& registry, HKEY key, const KeySnapshot& parts);

// Whether a set may be stored at path below HKEY_USERS: strictly below the "Configurations" key,
// and no key name below its first one is a tweak key name ("Kunden\Tweak 00" is a tweak key of
// "Kunden", which that set's writes replace), and no name holds a control character.
bool IsSetKeyPath(const std::string& path);
