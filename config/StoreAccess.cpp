// The registry's own answer on writing the configuration, never a guess from group membership.
#include "config/StoreAccess.h"

#include <string>

#include "config/AppBase.h"
#include "config/OpenKeys.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

bool MayWriteStore() {
    IRegistry& registry = GetRegistry();
    std::string path = kConfigRoot;
    path.pop_back();
    for (;;) {
        OpenKeys key(registry);
        const long error = registry.OpenKeyToWrite(HKEY_USERS, path.c_str(), key.Out());
        if (error != ERROR_FILE_NOT_FOUND) return error != ERROR_ACCESS_DENIED;
        const size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos) return true;
        path.erase(slash);
    }
}
