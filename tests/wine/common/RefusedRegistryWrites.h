// The registry as a standard user meets it below HKEY_USERS on current Windows: a module's keys
// there cannot be created or deleted (ERROR_ACCESS_DENIED). Wine grants every process these
// writes, so a test makes the loaded add-on's own calls refuse them, by pointing its imports of
// RegCreateKeyA and RegDeleteKeyA at stand-ins; other processes (the elevated helper) write as
// before. Only one object at a time; not for use across threads that call the module meanwhile.
#pragma once

#include <windows.h>

namespace wine {

class RefusedRegistryWrites {
public:
    explicit RefusedRegistryWrites(HMODULE module);
    ~RefusedRegistryWrites();  // the module's imports point at the real functions again
    RefusedRegistryWrites(const RefusedRegistryWrites&) = delete;
    RefusedRegistryWrites& operator=(const RefusedRegistryWrites&) = delete;

    // Whether the module's import of RegCreateKeyA was found and redirected.
    bool Active() const { return m_active; }
    // How many calls were refused so far.
    long Refused() const;

private:
    HMODULE m_module;
    bool m_active = false;
};

}  // namespace wine
