// Reading and writing registry values; every call opens its key and closes it again.
#include <algorithm>
#include <cstring>
#include <vector>

#include "config/RegistryValues.h"

#include "config/KeySnapshot.h"
#include "platform/RegistryNames.h"

#include "platform/Platform.h"
#include "platform/Registry.h"

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
    return KeyValueReader(root, subKey).String(valueName, def);
}

std::string ReadRegExpandableString(HKEY root, const char* subKey, const char* valueName,
                                    const std::string& def) {
    return KeyValueReader(root, subKey).ExpandableString(valueName, def);
}

int32_t ReadRegDword(HKEY root, const char* subKey, const char* valueName, int32_t def) {
    return KeyValueReader(root, subKey).Dword(valueName, def);
}

namespace {

// A key or value that is not there reads as the system says: missing (a key that a writer deleted
// meanwhile too; the reader reads again after that write). Every other error is one.
bool IsMissing(long error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_KEY_DELETED;
}

}  // namespace

bool NamesNoKey(const char* subKey) {
    size_t run = 0;
    for (const char* c = subKey ? subKey : ""; *c != '\0'; ++c) {
        run = *c == '\\' ? 0 : run + 1;
        if (run > 255) return true;
    }
    return false;
}

KeyValueReader::KeyValueReader(HKEY root, const char* subKey)
    : m_registry(GetRegistry()), m_key(nullptr) {
    if (NamesNoKey(subKey)) return;
    const long error = m_registry.OpenKey(root, subKey, &m_key);
    if (error != ERROR_SUCCESS) {
        m_key = nullptr;
        m_failed = !IsMissing(error);
    }
}

KeyValueReader::KeyValueReader(const KeySnapshot* key) : m_registry(GetRegistry()), m_key(nullptr), m_staged(key) {}

KeyValueReader::~KeyValueReader() {
    if (m_key != nullptr) m_registry.CloseKey(m_key);
}

std::string KeyValueReader::String(const char* valueName, const std::string& def) {
    return Text(valueName, def, false);
}

std::string KeyValueReader::ExpandableString(const char* valueName, const std::string& def) {
    return Text(valueName, def, true);
}

namespace {

// The rules by which stored bytes are a value of ours.
std::string TextOf(uint32_t type, const char* data, size_t size, const std::string& def, bool expandable) {
    // A value of another type is no text of ours, whatever its bytes would spell.
    if (type != REG_SZ && !(expandable && type == REG_EXPAND_SZ)) return def;
    // Data without a terminating zero ends where the data ends.
    return std::string(data, std::find(data, data + size, '\0'));
}

int32_t NumberOf(uint32_t type, const uint8_t* data, size_t size, int32_t def) {
    // Fewer or more than 4 bytes are no number, and neither are 4 bytes of another type (the
    // string "123" would read as 3,355,185).
    if (size != 4 || type != REG_DWORD) return def;
    return static_cast<int32_t>(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                                uint32_t(data[3]) << 24);
}

const KeySnapshot::Value* StagedValue(const KeySnapshot* key, const char* valueName) {
    if (key == nullptr) return nullptr;
    for (const KeySnapshot::Value& value : key->values) {
        if (IsSameRegistryName(value.name, valueName)) return &value;
    }
    return nullptr;
}

}  // namespace

std::string KeyValueReader::Text(const char* valueName, const std::string& def, bool expandable) {
    if (m_staged != nullptr) {
        const KeySnapshot::Value* value = StagedValue(m_staged, valueName);
        return value ? TextOf(value->type, reinterpret_cast<const char*>(value->data.data()), value->data.size(), def,
                              expandable)
                     : def;
    }
    if (m_key == nullptr) return def;
    if (m_buffer.empty()) m_buffer.resize(256);
    // A value of any length reads whole: a buffer too small is made as large as the value says
    // it is, and asked again, also when the value grew in between.
    for (int attempt = 0; attempt < 5; ++attempt) {
        uint32_t type = REG_NONE;
        uint32_t got = static_cast<uint32_t>(m_buffer.size());
        const long error = m_registry.QueryValue(m_key, valueName, &type,
                                                 reinterpret_cast<uint8_t*>(m_buffer.data()), &got);
        if (error == ERROR_MORE_DATA && got > m_buffer.size()) {
            m_buffer.resize(got);
            continue;
        }
        if (error != ERROR_SUCCESS) {
            m_failed = m_failed || !IsMissing(error);
            return def;
        }
        return TextOf(type, m_buffer.data(), std::min<size_t>(got, m_buffer.size()), def, expandable);
    }
    // A value that kept growing was never read whole.
    m_failed = true;
    return def;
}

int32_t KeyValueReader::Dword(const char* valueName, int32_t def) {
    if (m_staged != nullptr) {
        const KeySnapshot::Value* value = StagedValue(m_staged, valueName);
        return value ? NumberOf(value->type, value->data.data(), value->data.size(), def) : def;
    }
    if (m_key == nullptr) return def;
    uint8_t data[4];
    uint32_t size = sizeof data;
    uint32_t type = REG_NONE;
    // More than 4 bytes do not fit: no number of ours, as the value says itself.
    const long error = m_registry.QueryValue(m_key, valueName, &type, data, &size);
    if (error != ERROR_SUCCESS) {
        m_failed = m_failed || !(IsMissing(error) || error == ERROR_MORE_DATA);
        return def;
    }
    return NumberOf(type, data, size, def);
}
