// The host as its installer registers it, for the tests that install the add-on through a
// stand-in host: the installer's uninstall key with the host's folder and its version text.
#pragma once

#include <string>

namespace wine {

// path without its final backslash, the way the installer writes the host's folder.
std::string WithoutTrailingBackslash(std::string path);

// Registers a host installed in folder (given without a final backslash) whose installer
// named it displayName, e.g. "FTP Zorvant 12.0".
void RegisterHost(const std::string& folder, const std::string& displayName);

// Removes the host's registration; a missing one is fine.
void UnregisterHost();

}  // namespace wine
