// A registry key with everything below it, held in memory so that it can be written back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/WinTypes.h"

class IRegistry;

struct KeySnapshot {
    struct Value {
        std::string name;
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };
    bool exists = false;
    std::vector<Value> values;
    std::vector<std::pair<std::string, KeySnapshot>> subkeys;
};

// Reads the key path below HKEY_USERS with all its subkeys and values into *snapshot. A missing
// key gives a snapshot that does not exist, and true. False when anything could not be read;
// *snapshot then holds what could.
bool TakeKeySnapshot(const std::string& path, KeySnapshot* snapshot);

// Writes snapshot to path below HKEY_USERS, creating the keys; a snapshot that does not exist
// writes nothing. Nothing is deleted first. False when any write failed.
bool WriteKeySnapshot(const std::string& path, const KeySnapshot& snapshot);

// The same for an open key: everything below key into *snapshot, and snapshot into key.
bool TakeKeySnapshotOf(IRegistry& registry, HKEY key, KeySnapshot* snapshot);
bool WriteKeySnapshotTo(IRegistry& registry, HKEY key, const KeySnapshot& snapshot);
// Stores one value with exactly its bytes. False when the registry refused it.
bool WriteKeySnapshotValue(IRegistry& registry, HKEY key, const KeySnapshot::Value& value);

// A REG_DWORD value of bits, and a REG_SZ value of text with its terminating zero.
KeySnapshot::Value DwordValue(const char* name, uint32_t bits);
KeySnapshot::Value TextValue(const char* name, const std::string& text);

// The subkey of that name, letter case aside, or null.
const KeySnapshot* StagedSubkey(const KeySnapshot& key, const std::string& name);

// The snapshot as bytes, and back: names, types and data of every value and subkey, each length
// first (four bytes, low byte first). False for bytes that are no whole snapshot.
std::vector<uint8_t> KeySnapshotBytes(const KeySnapshot& snapshot);
bool ReadKeySnapshotBytes(const std::vector<uint8_t>& bytes, KeySnapshot* snapshot);
