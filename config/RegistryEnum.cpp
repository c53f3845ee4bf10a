// Enumerating subkeys and values with buffers that grow until the registry's answer fits.
#include "config/RegistryEnum.h"

namespace {

// Key names are at most 255 characters, value names at most 16,383; the limit only ends the
// growing of a buffer for a registry that keeps asking for more.
const uint32_t kMaxNameBuffer = 65536;

}  // namespace

long EnumKeyName(IRegistry& registry, HKEY key, uint32_t index, std::string* name) {
    std::vector<char> buffer(512);
    long error;
    while ((error = registry.EnumKey(key, index, buffer.data(), uint32_t(buffer.size()))) ==
               ERROR_MORE_DATA &&
           buffer.size() < kMaxNameBuffer) {
        buffer.resize(buffer.size() * 2);
    }
    if (error == ERROR_SUCCESS) name->assign(buffer.data());
    return error;
}

long EnumValueWhole(IRegistry& registry, HKEY key, uint32_t index, EnumeratedValue* value) {
    uint32_t nameCapacity = 512;
    uint32_t dataCapacity = 4096;
    for (int attempt = 0; attempt < 32; ++attempt) {
        value->name.assign(nameCapacity, '\0');
        value->data.assign(dataCapacity + 1, 0);
        uint32_t nameLen = nameCapacity;
        value->size = dataCapacity;
        const long error = registry.EnumValue(key, index, value->name.data(), &nameLen, &value->type,
                                              value->data.data(), &value->size);
        if (error != ERROR_MORE_DATA) return error;
        if (value->size > dataCapacity) {
            dataCapacity = value->size;
        } else if (nameCapacity < kMaxNameBuffer) {
            nameCapacity *= 2;
        } else {
            return error;
        }
    }
    return ERROR_MORE_DATA;
}
