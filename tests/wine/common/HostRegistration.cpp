#include "tests/wine/common/HostRegistration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "tests/common/Layout.h"
#include "tests/wine/common/WineHarness.h"

namespace wine {

namespace {

void SetString(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
}

}  // namespace

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

void RegisterHost(const std::string& folder, const std::string& displayName) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, kHostSetupKey, &key), ERROR_SUCCESS);
    SetString(key, "Inno Setup: App Path", folder);
    SetString(key, "DisplayName", displayName);
    RegCloseKey(key);
}

void UnregisterHost() { DeleteRegTree(HKEY_LOCAL_MACHINE, kHostSetupKey); }

}  // namespace wine
