// Reading a key tree into memory and writing it back, value by value with types and bytes.
#include "config/KeySnapshot.h"

#include "config/OpenKeys.h"
#include "config/RegistryEnum.h"
#include "platform/RegistryNames.h"
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
        OpenKeys subkey(registry);
        if (registry.OpenKey(key, name.c_str(), subkey.Out()) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        snapshot->subkeys.emplace_back(name, KeySnapshot());
        complete = Take(registry, subkey.Get(), &snapshot->subkeys.back().second) && complete;
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
        OpenKeys subkey(registry);
        if (registry.CreateKey(key, name.c_str(), subkey.Out()) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        complete = Write(registry, subkey.Get(), child) && complete;
    }
    return complete;
}

}  // namespace

KeySnapshot::Value DwordValue(const char* name, uint32_t bits) {
    return {name, REG_DWORD, {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)}};
}

KeySnapshot::Value TextValue(const char* name, const std::string& text) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return {name, REG_SZ, std::move(data)};
}

const KeySnapshot* StagedSubkey(const KeySnapshot& key, const std::string& name) {
    for (const auto& [subkeyName, subkey] : key.subkeys) {
        if (IsSameRegistryName(subkeyName, name)) return &subkey;
    }
    return nullptr;
}

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
    OpenKeys key(registry);
    const long error = registry.OpenKey(HKEY_USERS, path.c_str(), key.Out());
    if (error == ERROR_FILE_NOT_FOUND) return true;
    if (error != ERROR_SUCCESS) return false;
    return Take(registry, key.Get(), snapshot);
}

bool WriteKeySnapshot(const std::string& path, const KeySnapshot& snapshot) {
    if (!snapshot.exists) return true;
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    if (registry.CreateKey(HKEY_USERS, path.c_str(), key.Out()) != ERROR_SUCCESS) return false;
    return Write(registry, key.Get(), snapshot);
}

namespace {

void PutNumber(uint32_t number, std::vector<uint8_t>* bytes) {
    for (int shift = 0; shift < 32; shift += 8) bytes->push_back(static_cast<uint8_t>(number >> shift));
}

void PutBytes(const uint8_t* data, size_t size, std::vector<uint8_t>* bytes) {
    PutNumber(static_cast<uint32_t>(size), bytes);
    bytes->insert(bytes->end(), data, data + size);
}

void PutSnapshot(const KeySnapshot& snapshot, std::vector<uint8_t>* bytes) {
    PutNumber(static_cast<uint32_t>(snapshot.values.size()), bytes);
    for (const KeySnapshot::Value& value : snapshot.values) {
        PutBytes(reinterpret_cast<const uint8_t*>(value.name.data()), value.name.size(), bytes);
        PutNumber(value.type, bytes);
        PutBytes(value.data.data(), value.data.size(), bytes);
    }
    PutNumber(static_cast<uint32_t>(snapshot.subkeys.size()), bytes);
    for (const auto& [name, child] : snapshot.subkeys) {
        PutBytes(reinterpret_cast<const uint8_t*>(name.data()), name.size(), bytes);
        PutSnapshot(child, bytes);
    }
}

class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    bool Number(uint32_t* number) {
        if (m_bytes.size() - m_at < 4) return false;
        *number = 0;
        for (int i = 3; i >= 0; --i) *number = *number << 8 | m_bytes[m_at + static_cast<size_t>(i)];
        m_at += 4;
        return true;
    }
    bool Bytes(std::vector<uint8_t>* data) {
        uint32_t size;
        if (!Number(&size) || m_bytes.size() - m_at < size) return false;
        data->assign(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at + size));
        m_at += size;
        return true;
    }
    bool Text(std::string* text) {
        std::vector<uint8_t> data;
        if (!Bytes(&data)) return false;
        text->assign(data.begin(), data.end());
        return true;
    }
    bool AtEnd() const { return m_at == m_bytes.size(); }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_at = 0;
};

// depth bounds the recursion for bytes that were never a snapshot.
bool ReadSnapshot(ByteReader& reader, KeySnapshot* snapshot, int depth) {
    snapshot->exists = true;
    uint32_t count;
    if (depth > 512 || !reader.Number(&count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        KeySnapshot::Value value;
        if (!reader.Text(&value.name) || !reader.Number(&value.type) || !reader.Bytes(&value.data)) return false;
        snapshot->values.push_back(std::move(value));
    }
    if (!reader.Number(&count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!reader.Text(&name)) return false;
        snapshot->subkeys.emplace_back(name, KeySnapshot());
        if (!ReadSnapshot(reader, &snapshot->subkeys.back().second, depth + 1)) return false;
    }
    return true;
}

}  // namespace

std::vector<uint8_t> KeySnapshotBytes(const KeySnapshot& snapshot) {
    std::vector<uint8_t> bytes;
    PutSnapshot(snapshot, &bytes);
    return bytes;
}

bool ReadKeySnapshotBytes(const std::vector<uint8_t>& bytes, KeySnapshot* snapshot) {
    *snapshot = KeySnapshot();
    ByteReader reader(bytes);
    return ReadSnapshot(reader, snapshot, 0) && reader.AtEnd();
}
