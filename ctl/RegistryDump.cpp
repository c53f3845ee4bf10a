// A registry tree in the form of a registry file, from the core's snapshot of it.
#include "ctl/RegistryDump.h"

#include "config/KeySnapshot.h"
#include "config/SetParts.h"
#include "config/SetWrite.h"

const char* const kUsersRootName = "HKEY_USERS";

void AppendSnapshot(const std::string& path, const KeySnapshot& snapshot, RegFile* file) {
    RegFileKey key;
    key.path = std::string(kUsersRootName) + "\\" + path;
    for (const KeySnapshot::Value& value : snapshot.values) {
        RegFileValue out;
        out.name = value.name;
        out.type = value.type;
        out.data = value.data;
        key.values.push_back(out);
    }
    file->keys.push_back(key);
    for (const auto& subkey : snapshot.subkeys) AppendSnapshot(path + "\\" + subkey.first, subkey.second, file);
}

bool DumpRegistryTree(const std::string& path, RegFile* file) {
    KeySnapshot snapshot;
    // The sets as sessions read them, also while a committed write is not yet in place.
    const ConfigurationView view;
    const bool whole = TakeStoredSnapshot(view, path, &snapshot);
    if (snapshot.exists) AppendSnapshot(path, snapshot, file);
    return whole;
}
