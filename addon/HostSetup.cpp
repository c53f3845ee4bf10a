// Install and uninstall through the host's command line.
#include "addon/HostSetup.h"

#include <cstdlib>

#include "addon/ZTTrevanelApp.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "ui/ZTTrevanelDlg.h"
#include "ui/resource.h"

namespace {

const char* const kHostSetupKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\FTP Zorvant_is1";
const char* const kHostExe = "\\FTPZorvant.exe";
const double kMinimumHostVersion = 11.3;

// Starts the host in its own folder; returns whether the shell reported success.
bool StartHost(const std::string& appPath, const std::string& parameters) {
    const std::string executable = appPath + kHostExe;
    const intptr_t result = GetLauncher().Execute("open", executable.c_str(), parameters.c_str(),
                                                  appPath.c_str(), SW_SHOW);
    return static_cast<int>(result) > 32;
}

}  // namespace

bool IsSupportedHostVersion(const std::string& displayName) {
    std::string version = displayName;
    const std::string::size_type blank = version.rfind(' ');
    if (blank != std::string::npos) version = version.substr(blank + 1);
    return !version.empty() && std::atof(version.c_str()) >= kMinimumHostVersion;
}

bool LocateHost(bool showMessages, std::string* appPath) {
    CZTTrevanelApp& app = GetTheApp();
    *appPath = app.ReadRegString(HKEY_LOCAL_MACHINE, kHostSetupKey, "Inno Setup: App Path", "");
    if (appPath->empty()) {
        if (showMessages) AfxMessageBox(IDS_HOST_NOT_FOUND, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const std::string displayName =
        app.ReadRegString(HKEY_LOCAL_MACHINE, kHostSetupKey, "DisplayName", "");
    if (!IsSupportedHostVersion(displayName)) {
        if (showMessages) AfxMessageBox(IDS_HOST_TOO_OLD, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void InstallAddon(const char* folder) {
    if (RunTweakListDialog(nullptr) != IDOK) return;

    std::string appPath;
    if (!LocateHost(true, &appPath)) return;

    const std::string parameters = std::string("-installaddon ") + (folder ? folder : "") + "\\" +
                                   GetTheApp().m_strModuleFileName;
    if (!StartHost(appPath, parameters)) AfxMessageBox(IDS_INSTALL_FAILED, MB_OK | MB_ICONEXCLAMATION);
}

void UninstallAddon() {
    std::string appPath;
    if (!LocateHost(false, &appPath)) return;

    const std::string parameters = "-uninstalladdon " + GetTheApp().m_strModulePath;
    if (!StartHost(appPath, parameters)) AfxMessageBox(IDS_UNINSTALL_FAILED, MB_OK | MB_ICONEXCLAMATION);
}
