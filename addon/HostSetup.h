// Registering the add-on with the host and removing it again, by starting the host's executable
// with a command-line switch, after finding the host's installation and checking its version.
#pragma once

#include <string>

// Looks the host up in its installer's uninstall record. Returns true and its installation folder
// when it is installed and new enough; otherwise shows message 1011 (not found) or 1010 (too old)
// when showMessages is set, and returns false.
bool LocateHost(bool showMessages, std::string* appPath);

// Whether the last word of the host's display name names a version the add-on supports.
bool IsSupportedHostVersion(const std::string& displayName);

// The work of ZTAddOnInstall: the global tweak list first, then the host with "-installaddon ".
void InstallAddon(const char* folder);

// The work of ZTAddOnUninstall: the host with "-uninstalladdon ".
void UninstallAddon();
