// Reading and writing single registry values, as the application object offers them. Every call
// opens its key and closes it again. A failed read gives def; a failed write is skipped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

class IRegistry;
struct KeySnapshot;

// REG_SZ with text and its terminating zero; a null text is stored as the empty one.
void WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text);
// REG_DWORD, four bytes, low byte first.
void WriteRegDword(HKEY root, const char* subKey, const char* valueName, int32_t value);
// A REG_SZ of any length, read whole; data without a terminating zero ends where it ends. A
// value of another type reads as def.
std::string ReadRegString(HKEY root, const char* subKey, const char* valueName, const std::string& def);
// As ReadRegString, but a REG_EXPAND_SZ reads as well, unexpanded.
std::string ReadRegExpandableString(HKEY root, const char* subKey, const char* valueName,
                                    const std::string& def);
// A REG_DWORD of exactly four bytes; anything else reads as def.
int32_t ReadRegDword(HKEY root, const char* subKey, const char* valueName, int32_t def);

// Whether subKey holds a key name longer than the registry takes (255 characters): it names no key
// that can exist, though the registry's answer for it is no "not found" (Wine 8.0 says
// ERROR_MORE_DATA).
bool NamesNoKey(const char* subKey);

// Reads values of one key on one handle, each by the rule of ReadRegString or ReadRegDword: the
// key is opened once, when the reader is made, and closed when it ends, so a record of many
// values costs one open and one call per value (two for a text longer than the buffer). A key
// that cannot be opened reads every value as its default. One thread at a time.
class KeyValueReader {
public:
    KeyValueReader(HKEY root, const char* subKey);
    // The same rules on a key held in memory (what a pending write stages for it); null, or a
    // key without the value, reads the default.
    explicit KeyValueReader(const KeySnapshot* key);
    ~KeyValueReader();
    KeyValueReader(const KeyValueReader&) = delete;
    KeyValueReader& operator=(const KeyValueReader&) = delete;

    std::string String(const char* valueName, const std::string& def);
    // A REG_SZ or a REG_EXPAND_SZ (left unexpanded).
    std::string ExpandableString(const char* valueName, const std::string& def);
    int32_t Dword(const char* valueName, int32_t def);
    // True once the registry answered an error other than "not found", opening the key or reading
    // a value: what was read then is not what is stored (the default stood in for it), and no
    // reader of the store may act on it.
    bool Failed() const { return m_failed; }

private:
    std::string Text(const char* valueName, const std::string& def, bool expandable);

    IRegistry& m_registry;
    HKEY m_key;
    const KeySnapshot* m_staged = nullptr;
    // Kept from value to value: most texts fit the first size, so each is read in one call.
    std::vector<char> m_buffer;
    bool m_failed = false;
};
