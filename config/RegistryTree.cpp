// Copying, moving and deleting whole registry keys, for the rename and delete of a profile's
// configuration and for the list dialog's clean save.
#include <string>
#include <vector>

#include "config/RegistryTree.h"

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/RegistryEnum.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

namespace {

bool IsStringType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

long DeleteKeyTree(IRegistry& registry, const std::string& path) {
    {
        OpenKeys key(registry);
        if (registry.OpenKey(HKEY_USERS, path.c_str(), key.Out()) == ERROR_SUCCESS) {
            // Each deleted subkey leaves the list; one that stays, or that cannot be found under
            // the name the enumeration gives, is stepped over, so no subkey holds the loop.
            uint32_t index = 0;
            std::string name;
            while (EnumKeyName(registry, key.Get(), index, &name) == ERROR_SUCCESS) {
                // A subkey without subkeys of its own goes in one call.
                if (registry.DeleteKey(key.Get(), name.c_str()) == ERROR_SUCCESS) continue;
                if (DeleteKeyTree(registry, path + "\\" + name) != ERROR_SUCCESS) ++index;
            }
        }
    }
    return registry.DeleteKey(HKEY_USERS, path.c_str());
}

bool CopyRegTree(HKEY hSource, HKEY hTarget) {
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

void MoveRegKey(const char* oldPath, const char* newPath) {
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

void DeleteRegTree(const char* path) {
    if (path == nullptr) return;
    // Only the add-on's own sets may go, whoever asks: nothing outside the "Configurations" key,
    // and not that key itself.
    const std::string sets = std::string(kConfigRoot) + "Configurations";
    if (!IsKeyPathWithin(path, sets) || IsSameKeyPath(path, sets)) return;
    // A key that does not exist, or cannot be deleted, is no error here.
    DeleteKeyTree(GetRegistry(), path);
}
