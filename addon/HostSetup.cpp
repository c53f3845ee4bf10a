// Install and uninstall through the host's command line.
#include "addon/HostSetup.h"

#include <cctype>
#include <vector>

#include "addon/ZTTrevanelApp.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/ProcessVariables.h"
#include "ui/ZTTrevanelDlg.h"
#include "ui/resource.h"

namespace {

const char* const kHostSetupKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FTP Zorvant_is1";
const char* const kHostExe = "\\FTPZorvant.exe";
const unsigned kMinimumHostVersion[] = {11, 3};
// Larger parts count as this; no version part of the host comes near it.
const unsigned kLargestPart = 1000000;

// Starts the host in its own folder: kStarted, kStartedElevated when it got the caller's
// administrator rights, or kStartFailed.
HostOutcome StartHost(const std::string& appPath, const std::string& parameters) {
    const std::string executable = appPath + kHostExe;
    ILauncher& launcher = GetLauncher();
    const intptr_t result = launcher.Execute("open", executable.c_str(), parameters.c_str(), appPath.c_str(), SW_SHOW);
    if (static_cast<int>(result) <= 32) return HostOutcome::kStartFailed;
    return launcher.LastExecuteElevated() ? HostOutcome::kStartedElevated : HostOutcome::kStarted;
}

// Set by the add-on's setup program around its calls of the install and uninstall exports:
// "silent" (no window of the add-on, no dialog and no message) or "interactive". While it is set,
// the exports leave what they did in kOutcomeVariable.
const char* const kSetupVariable = "TREVANEL_SETUP";
const char* const kOutcomeVariable = "TREVANEL_SETUP_OUTCOME";

const char* OutcomeName(HostOutcome outcome) {
    switch (outcome) {
        case HostOutcome::kStarted: return "host-started";
        case HostOutcome::kStartedElevated: return "host-started-elevated";
        case HostOutcome::kNotInstalled: return "no-host";
        case HostOutcome::kTooOld: return "old-host";
        case HostOutcome::kStartFailed: return "start-failed";
        case HostOutcome::kNotConfirmed: return "not-confirmed";
    }
    return "";
}

// Whether the setup program asked for a run without any window.
bool SilentSetup() {
    std::string mode;
    return ReadProcessVariable(kSetupVariable, &mode) && mode == "silent";
}

// Leaves outcome for the setup program when it is the caller.
HostOutcome ReportOutcome(HostOutcome outcome) {
    std::string mode;
    if (ReadProcessVariable(kSetupVariable, &mode)) WriteProcessVariable(kOutcomeVariable, OutcomeName(outcome));
    return outcome;
}

// The parts of the first word of displayName that begins with a digit, read up to the first
// character that is neither a digit nor a dot between digits: "12.0.1" of "FTP Zorvant 12.0.1
// (32-bit)". Empty when no word begins with a digit.
std::vector<unsigned> HostVersionParts(const std::string& displayName) {
    std::vector<unsigned> parts;
    for (std::string::size_type at = 0; at < displayName.size(); ++at) {
        const bool wordStart = at == 0 || displayName[at - 1] == ' ';
        if (!wordStart || !std::isdigit(static_cast<unsigned char>(displayName[at]))) continue;
        for (;;) {
            unsigned part = 0;
            while (at < displayName.size() && std::isdigit(static_cast<unsigned char>(displayName[at]))) {
                part = part < kLargestPart ? part * 10 + (displayName[at] - '0') : kLargestPart;
                ++at;
            }
            parts.push_back(part);
            const bool dottedOn = at + 1 < displayName.size() && displayName[at] == '.' &&
                                  std::isdigit(static_cast<unsigned char>(displayName[at + 1]));
            if (!dottedOn) return parts;
            ++at;
        }
    }
    return parts;
}

}  // namespace

bool IsSupportedHostVersion(const std::string& displayName) {
    const std::vector<unsigned> parts = HostVersionParts(displayName);
    if (parts.empty()) return false;
    // Part by part, a missing part counting as 0: 11.10 is newer than 11.3.
    for (size_t i = 0; i < sizeof kMinimumHostVersion / sizeof kMinimumHostVersion[0]; ++i) {
        const unsigned part = i < parts.size() ? parts[i] : 0;
        if (part != kMinimumHostVersion[i]) return part > kMinimumHostVersion[i];
    }
    return true;
}

HostOutcome LocateHost(bool showMessages, std::string* appPath) {
    CZTTrevanelApp& app = GetTheApp();
    *appPath = app.ReadRegString(HKEY_LOCAL_MACHINE, kHostSetupKey, "Inno Setup: App Path", "");
    if (appPath->empty()) {
        if (showMessages) AfxMessageBox(IDS_HOST_NOT_FOUND, MB_OK | MB_ICONEXCLAMATION);
        return HostOutcome::kNotInstalled;
    }
    const std::string displayName =
        app.ReadRegString(HKEY_LOCAL_MACHINE, kHostSetupKey, "DisplayName", "");
    if (!IsSupportedHostVersion(displayName)) {
        if (showMessages) AfxMessageBox(IDS_HOST_TOO_OLD, MB_OK | MB_ICONEXCLAMATION);
        return HostOutcome::kTooOld;
    }
    return HostOutcome::kStarted;
}

HostOutcome InstallAddon(const char* folder) {
    const bool silent = SilentSetup();
    // The tweak list needs a person.
    if (silent || RunTweakListDialog(nullptr) != IDOK) return ReportOutcome(HostOutcome::kNotConfirmed);

    std::string appPath;
    const HostOutcome found = LocateHost(true, &appPath);
    if (found != HostOutcome::kStarted) return ReportOutcome(found);

    const std::string parameters = std::string("-installaddon ") + (folder ? folder : "") + "\\" +
                                   GetTheApp().m_strModuleFileName;
    const HostOutcome started = StartHost(appPath, parameters);
    if (started == HostOutcome::kStartFailed) AfxMessageBox(IDS_INSTALL_FAILED, MB_OK | MB_ICONEXCLAMATION);
    return ReportOutcome(started);
}

HostOutcome UninstallAddon() {
    std::string appPath;
    const HostOutcome found = LocateHost(false, &appPath);
    if (found != HostOutcome::kStarted) return ReportOutcome(found);

    const std::string parameters = "-uninstalladdon " + GetTheApp().m_strModulePath;
    const HostOutcome started = StartHost(appPath, parameters);
    if (started == HostOutcome::kStartFailed && !SilentSetup()) AfxMessageBox(IDS_UNINSTALL_FAILED, MB_OK | MB_ICONEXCLAMATION);
    return ReportOutcome(started);
}
