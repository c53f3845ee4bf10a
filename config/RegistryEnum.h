// Enumerating a key's subkeys and values whole, whatever the length of their names and data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

// The name of subkey index of key, or the enumeration's error (ERROR_NO_MORE_ITEMS past the last).
long EnumKeyName(IRegistry& registry, HKEY key, uint32_t index, std::string* name);

struct EnumeratedValue {
    std::vector<char> name;
    // One byte more than size: a string stored without its terminating zero may get one here.
    std::vector<uint8_t> data;
    uint32_t type = REG_NONE;
    uint32_t size = 0;
};

// Value number index of key with its whole name and data: the buffers grow until they fit.
// ERROR_MORE_DATA when they never do.
long EnumValueWhole(IRegistry& registry, HKEY key, uint32_t index, EnumeratedValue* value);
