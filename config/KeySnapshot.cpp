// Reading a key tree into memory and writing it back, value by value with types and bytes.
#include "config/KeySnapshot.h"

#include "config/RegistryEnum.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace {

bool Take(IRegistry& registry, HKEY key, KeySnapshot* snapshot) {
    snapshot->exists = true;
    bool complete = true;
    std::string name;
    uint32_t index = 0;
    long error;
    for (; (error = EnumKeyName(registry, key, index, &name)) == ERROR_SUCCESS; ++index) {
        HKEY subkey;
        if (registry.OpenKey(key, name.c_str(), &subkey) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        snapshot->subkeys.emplace_back(name, KeySnapshot());
        complete = Take(registry, subkey, &snapshot->subkeys.back().second) && complete;
        registry.CloseKey(subkey);
    }
    if (error != ERROR_NO_MORE_ITEMS) complete = false;

    EnumeratedValue value;
    for (index = 0; (error = EnumValueWhole(registry, key, index, &value)) == ERROR_SUCCESS; ++index) {
        snapshot->values.push_back(
            {value.name.data(), value.type,
             std::vector<uint8_t>(value.data.begin(), value.data.begin() + value.size)});
    }
    return complete && error == ERROR_NO_MORE_ITEMS;
}

}  // namespace

bool WriteKeySnapshotValue(IRegistry& registry, HKEY key, const KeySnapshot::Value& value) {
    // The registry would store a zero that follows a string's counted bytes as part of it; a
    // byte that is no zero there keeps the data exact.
    std::vector<uint8_t> data(value.data);
    data.push_back(0xFF);
    return registry.SetValue(key, value.name.c_str(), value.type, data.data(),
                             static_cast<uint32_t>(value.data.size())) == ERROR_SUCCESS;
}

namespace {

bool Write(IRegistry& registry, HKEY key, const KeySnapshot& snapshot) {
    bool complete = true;
    for (const KeySnapshot::Value& value : snapshot.values) {
        complete = WriteKeySnapshotValue(registry, key, value) && complete;
    }
    for (const auto& [name, child] : snapshot.subkeys) {
        HKEY subkey;
        if (registry.CreateKey(key, name.c_str(), &subkey) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        complete = Write(registry, subkey, child) && complete;
        registry.CloseKey(subkey);
    }
    return complete;
}

}  // namespace

bool TakeKeySnapshotOf(IRegistry& registry, HKEY key, KeySnapshot* snapshot) {
    *snapshot = KeySnapshot();
    return Take(registry, key, snapshot);
}

bool WriteKeySnapshotTo(IRegistry& registry, HKEY key, const KeySnapshot& snapshot) {
    return Write(registry, key, snapshot);
}

bool TakeKeySnapshot(const std::string& path, KeySnapshot* snapshot) {
    IRegistry& registry = GetRegistry();
    *snapshot = KeySnapshot();
    HKEY key;
    const long error = registry.OpenKey(HKEY_USERS, path.c_str(), &key);
    if (error == ERROR_FILE_NOT_FOUND) return true;
    if (error != ERROR_SUCCESS) return false;
    const bool complete = Take(registry, key, snapshot);
    registry.CloseKey(key);
    return complete;
}

bool WriteKeySnapshot(const std::string& path, const KeySnapshot& snapshot) {
    if (!snapshot.exists) return true;
    IRegistry& registry = GetRegistry();
    HKEY key;
    if (registry.CreateKey(HKEY_USERS, path.c_str(), &key) != ERROR_SUCCESS) return false;
    const bool complete = Write(registry, key, snapshot);
    registry.CloseKey(key);
    return complete;
}
