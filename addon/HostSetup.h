// Registering the add-on with the host and removing it again, by starting the host's executable
// with a command-line switch, after finding the host's installation and checking its version.
#pragma once

#include <string>

// What an install or uninstall did about the host.
enum class HostOutcome {
    kStarted,       // the host was started with its switch (found and new enough, for LocateHost)
    kStartedElevated,  // started, with the setup's administrator rights: no road to start it as the user
    kNotInstalled,  // no installation of the host was found
    kTooOld,        // the host's version is missing or too old
    kStartFailed,   // the shell could not start the host
    kNotConfirmed,  // the install's tweak list was cancelled or could not be shown
};

// Looks the host up in its installer's uninstall record. Returns kStarted and its installation
// folder when it is installed and new enough; otherwise shows message 1011 (not found) or 1010
// (too old) when showMessages is set, and returns kNotInstalled or kTooOld.
HostOutcome LocateHost(bool showMessages, std::string* appPath);

// Whether the host's display name names a version the add-on supports (11.3 or later, compared
// part by part): the first word that begins with a digit, "12.1" of "FTP Zorvant 12.1 Beta".
// A name without such a word names none.
bool IsSupportedHostVersion(const std::string& displayName);

// The add-on's setup program sets the process variable TREVANEL_SETUP to "silent" or
// "interactive" around its calls of the two exports; while it is set, they leave their outcome
// in TREVANEL_SETUP_OUTCOME ("host-started", "host-started-elevated", "no-host", "old-host",
// "start-failed", "not-confirmed"), and "silent" keeps every window of the add-on closed. The host calls them
// without it and sees them as before.

// The work of ZTAddOnInstall: the global tweak list first, then the host with "-installaddon ".
HostOutcome InstallAddon(const char* folder);

// The work of ZTAddOnUninstall: the host with "-uninstalladdon ".
HostOutcome UninstallAddon();
