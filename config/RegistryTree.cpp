// Copying, moving and deleting whole registry keys, for the rename and delete of a profile's
// configuration and for the list dialog's clean save.
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace {

// Key names are at most 255 characters, value names at most 16,383; the limit only ends the
// growing of a buffer for a registry that keeps asking for more.
const uint32_t kMaxNameBuffer = 65536;

// The name of subkey index, or the enumeration's error.
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

struct EnumeratedValue {
    std::vector<char> name;
    std::vector<uint8_t> data;
    uint32_t type = REG_NONE;
    uint32_t size = 0;
};

// Value number index with its whole name and data: the buffers grow until they fit.
long EnumValueWhole(IRegistry& registry, HKEY key, uint32_t index, EnumeratedValue* value) {
    uint32_t nameCapacity = 512;
    uint32_t dataCapacity = 4096;
    for (int attempt = 0; attempt < 32; ++attempt) {
        // One spare data byte: a string without its terminating zero may get one in the buffer.
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

bool IsStringType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Deletes path below HKEY_USERS with everything under it; the result of deleting the key itself.
long DeleteTree(IRegistry& registry, const std::string& path) {
    HKEY key;
    if (registry.OpenKey(HKEY_USERS, path.c_str(), &key) == ERROR_SUCCESS) {
        // Each deleted subkey leaves the list; one that stays, or that cannot be found under the
        // name the enumeration gives, is stepped over, so no subkey holds the loop.
        uint32_t index = 0;
        std::string name;
        while (EnumKeyName(registry, key, index, &name) == ERROR_SUCCESS) {
            if (DeleteTree(registry, path + "\\" + name) != ERROR_SUCCESS) ++index;
        }
        registry.CloseKey(key);
    }
    return registry.DeleteKey(HKEY_USERS, path.c_str());
}

}  // namespace

bool CAppBase::CopyRegTree(HKEY hSource, HKEY hTarget) const {
    IRegistry& registry = GetRegistry();
    bool complete = true;

    std::string name;
    uint32_t index = 0;
    long error;
    for (; (error = EnumKeyName(registry, hSource, index, &name)) == ERROR_SUCCESS; ++index) {
        HKEY source, target;
        if (registry.OpenKey(hSource, name.c_str(), &source) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        if (registry.CreateKey(hTarget, name.c_str(), &target) == ERROR_SUCCESS) {
            complete = CopyRegTree(source, target) && complete;
            registry.CloseKey(target);
        } else {
            complete = false;
        }
        registry.CloseKey(source);
    }
    // Any end of the list other than its last item leaves subkeys unknown.
    if (error != ERROR_NO_MORE_ITEMS) complete = false;

    EnumeratedValue value;
    for (index = 0; (error = EnumValueWhole(registry, hSource, index, &value)) != ERROR_NO_MORE_ITEMS;
         ++index) {
        if (error == ERROR_MORE_DATA) {
            complete = false;
            continue;
        }
        if (error != ERROR_SUCCESS) {
            complete = false;
            break;
        }
        // The registry would store a zero that follows a string's counted bytes as part of it;
        // a byte that is no zero there keeps the copy exact.
        if (IsStringType(value.type) && value.size > 0 && value.data[value.size - 1] != 0) {
            value.data[value.size] = 0xFF;
        }
        if (registry.SetValue(hTarget, value.name.data(), value.type, value.data.data(), value.size) !=
            ERROR_SUCCESS) {
            complete = false;
        }
    }
    return complete;
}

void CAppBase::MoveRegKey(const char* oldPath, const char* newPath) const {
    if (oldPath == nullptr || newPath == nullptr) return;
    // A key cannot be moved into itself: the copy would find its own target among its subkeys.
    if (IsKeyPathWithin(newPath, oldPath)) return;
    IRegistry& registry = GetRegistry();
    HKEY oldKey, newKey;
    if (registry.OpenKey(HKEY_USERS, oldPath, &oldKey) != ERROR_SUCCESS) return;
    if (registry.OpenKey(HKEY_USERS, newPath, &newKey) == ERROR_SUCCESS) {
        registry.CloseKey(newKey);
        registry.CloseKey(oldKey);
        return;
    }
    if (registry.CreateKey(HKEY_USERS, newPath, &newKey) != ERROR_SUCCESS) {
        registry.CloseKey(oldKey);
        return;
    }
    const bool complete = CopyRegTree(oldKey, newKey);
    registry.CloseKey(oldKey);
    registry.CloseKey(newKey);
    // Only a complete copy may replace the old key; an incomplete one is taken back instead.
    DeleteRegTree(complete ? oldPath : newPath);
}

void CAppBase::DeleteRegTree(const char* path) const {
    // A key that does not exist, or cannot be deleted, is no error here.
    if (path != nullptr) DeleteTree(GetRegistry(), path);
}
