// The exports and their common frame. Resources always come from the add-on's own module, since
// the module service is bound to it; the frame's remaining job is the boundary: no C++ exception
// may reach a host built with another compiler.
#include "addon/Exports.h"

#include <cstring>

#include "addon/HostSetup.h"
#include "addon/ZTTrevanelApp.h"
#include "config/HostWrite.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "ui/ZTTrevanelDlg.h"

namespace {

template <typename Work>
void RunExport(Work work) {
    try {
        work();
    } catch (...) {
    }
}

}  // namespace

extern "C" {

void WINAPI ZTAddOnConfigure(const char* profileName) {
    RunExport([&] { RunTweakListDialog(profileName); });
}

void WINAPI ZTAddOnProfileNameChange(const char* oldName, const char* newName) {
    RunExport([&] {
        if (!RenameProfileKey(GetTheApp(), oldName, newName)) TellRenameNotMoved(newName);
        // The host knows the profile by its new name from now on, and so do its live sessions.
        GetTheApp().RenameSessions(oldName, newName);
    });
}

void WINAPI ZTAddOnProfileDeleted(const char* profileName) {
    RunExport([&] {
        DeleteProfileKey(GetTheApp(), profileName);
        // Its live sessions run what is stored for the name now, as a new session would.
        if (profileName != nullptr && *profileName != '\0') GetTheApp().ReloadSessions(profileName);
    });
}

void WINAPI ZTAddOnName(char* buffer, uint32_t size) {
    RunExport([&] {
        // A null buffer or a size of 0 has no room even for the terminating zero.
        if (buffer == nullptr || size == 0) return;
        const std::string name = GetModule().LoadString(1000);
        std::memset(buffer, 0, size);
        std::strncpy(buffer, name.c_str(), size - 1);
    });
}

void WINAPI ZTAddOnSessionCreate(void* hSession, const char* profileName) {
    RunExport([&] { GetTheApp().CreateSession(hSession, profileName); });
}

int WINAPI ZTAddOnFileDownloadedTweak(void* hSession, int type, const char* remotePath,
                                      const char* localPath, uint32_t unused) {
    RunExport([&] {
        CZTTrevanelApp& app = GetTheApp();
        if (const auto session = app.FindSession(hSession)) {
            app.FollowStoredConfiguration();
            session->OnFileDownloaded(type, remotePath, localPath, unused);
        }
    });
    return 0;
}

int WINAPI ZTAddOnFileUploadTweak(void* hSession, int type, const char* localPath,
                                  uint32_t unused1, const char* remotePath, uint32_t unused2) {
    RunExport([&] {
        CZTTrevanelApp& app = GetTheApp();
        if (const auto session = app.FindSession(hSession)) {
            app.FollowStoredConfiguration();
            session->OnFileUploaded(type, localPath, unused1, remotePath, unused2);
        }
    });
    return 0;
}

void WINAPI ZTAddOnSessionDestroy(void* hSession) {
    RunExport([&] { GetTheApp().DestroySession(hSession); });
}

void WINAPI ZTAddOnInstall(const char* folder) {
    RunExport([&] { InstallAddon(folder); });
}

int WINAPI ZTAddOnUninstall(uint32_t unused1, uint32_t unused2) {
    (void)unused1;
    (void)unused2;
    RunExport([&] { UninstallAddon(); });
    return 0;
}

}  // extern "C"
