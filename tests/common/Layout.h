// Where the add-on's keys lie, as the tests reach them: the sets below HKEY_USERS and the key that
// the host's installer writes below HKEY_LOCAL_MACHINE. The configuration root and the names of
// the tweak keys are the core's own.
#pragma once

#include <cstddef>
#include <string>

#include "config/AppBase.h"
#include "config/TweakConfig.h"

// The global set's key below "Configurations".
inline const char* const kGlobalSetName = "ZTTrevanelAddon Global Configuration";
// The uninstall key of the host's installer, below HKEY_LOCAL_MACHINE.
inline const char* const kHostSetupKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FTP Zorvant_is1";

// The configuration root below HKEY_USERS followed by relative.
inline std::string Root(const std::string& relative) { return kConfigRoot + relative; }
// The "Configurations" key below HKEY_USERS, where every set lies.
inline std::string ConfigurationsKey() { return Root("Configurations"); }
inline std::string ProfileKey(const std::string& profile) {
    return ConfigurationsKey() + "\\" + profile;
}
inline std::string GlobalKey() { return ProfileKey(kGlobalSetName); }
inline std::string TweakKey(const std::string& setKey, int index) {
    return setKey + "\\" + TweakKeyName(size_t(index));
}
