// Reading and writing single registry values; every call opens its key and closes it again.
#include <algorithm>
#include <cstring>
#include <vector>

#include "config/RegistryValues.h"

#include "platform/Platform.h"
#include "platform/Registry.h"

namespace {

// Closes a key however the function that opened it ends: a failed allocation while a value is
// read must not leave the handle open.
class OpenedKey {
public:
    OpenedKey(IRegistry& registry, HKEY key) : m_registry(registry), m_key(key) {}
    ~OpenedKey() { m_registry.CloseKey(m_key); }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

private:
    IRegistry& m_registry;
    HKEY m_key;
};

}  // namespace

void WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text) {
    IRegistry& registry = GetRegistry();
    HKEY key;
    if (registry.CreateKey(root, subKey, &key) != ERROR_SUCCESS) return;
    if (text == nullptr) text = "";
    registry.SetValue(key, valueName, REG_SZ, reinterpret_cast<const uint8_t*>(text),
                      static_cast<uint32_t>(std::strlen(text) + 1));
    registry.CloseKey(key);
}

void WriteRegDword(HKEY root, const char* subKey, const char* valueName, int32_t value) {
    IRegistry& registry = GetRegistry();
    HKEY key;
    if (registry.CreateKey(root, subKey, &key) != ERROR_SUCCESS) return;
    const uint32_t bits = static_cast<uint32_t>(value);
    const uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16),
                             uint8_t(bits >> 24)};
    registry.SetValue(key, valueName, REG_DWORD, data, sizeof data);
    registry.CloseKey(key);
}

std::string ReadRegString(HKEY root, const char* subKey, const char* valueName,
                          const std::string& def) {
    IRegistry& registry = GetRegistry();
    HKEY key;
    if (registry.OpenKey(root, subKey, &key) != ERROR_SUCCESS) return def;
    const OpenedKey opened(registry, key);
    std::string result = def;
    // Ask for the size first so that a value of any length reads whole; ask again if the value
    // grew in between.
    uint32_t size = 0;
    uint32_t type = REG_NONE;
    long error = registry.QueryValue(key, valueName, &type, nullptr, &size);
    for (int attempt = 0; error == ERROR_SUCCESS && attempt < 4; ++attempt) {
        std::vector<char> buffer(size + 1, '\0');
        uint32_t got = size;
        error = registry.QueryValue(key, valueName, &type, reinterpret_cast<uint8_t*>(buffer.data()),
                                    &got);
        // A value of another type is no text of ours, whatever its bytes would spell.
        if (error == ERROR_SUCCESS && type != REG_SZ) break;
        if (error == ERROR_SUCCESS) {
            // Data without a terminating zero ends where the data ends.
            result.assign(buffer.data(), std::find(buffer.data(), buffer.data() + got, '\0'));
            break;
        }
        if (error == ERROR_MORE_DATA) {
            size = got;
            error = ERROR_SUCCESS;
        }
    }
    return result;
}

int32_t ReadRegDword(HKEY root, const char* subKey, const char* valueName, int32_t def) {
    IRegistry& registry = GetRegistry();
    HKEY key;
    if (registry.OpenKey(root, subKey, &key) != ERROR_SUCCESS) return def;
    int32_t result = def;
    uint8_t data[4];
    uint32_t size = sizeof data;
    uint32_t type = REG_NONE;
    // More than 4 bytes do not fit; fewer than 4 are no number either, and neither are 4 bytes
    // of another type (the string "123" would read as 3,355,185).
    if (registry.QueryValue(key, valueName, &type, data, &size) == ERROR_SUCCESS && size == 4 &&
        type == REG_DWORD) {
        result = static_cast<int32_t>(uint32_t(data[0]) | uint32_t(data[1]) << 8 |
                                      uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
    }
    registry.CloseKey(key);
    return result;
}
