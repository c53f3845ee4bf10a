// The application object's chain for AfxGetApp(), the configuration root and the default reload.
#include "config/AppBase.h"

#include "platform/FileSystem.h"

const char* const kConfigRoot = ".DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel\\";
const char* const kUserKey = "Software\\Tarku Software\\FTP Zorvant Trevanel";

std::string UserDataFolder() {
    const std::string appData = GetFileSystem().LocalAppDataFolder();
    return appData.empty() ? std::string() : appData + "\\Tarku Software\\FTP Zorvant Trevanel";
}

namespace {
// The most recently constructed live application object; each one remembers the one before it.
CAppBase* g_pCurrentApp = nullptr;
}

CAppBase::CAppBase() : m_pPrevious(g_pCurrentApp) { g_pCurrentApp = this; }

CAppBase::~CAppBase() {
    // Objects may end in any order: unlink this one wherever it sits in the chain.
    if (g_pCurrentApp == this) {
        g_pCurrentApp = m_pPrevious;
        return;
    }
    for (CAppBase* app = g_pCurrentApp; app != nullptr; app = app->m_pPrevious) {
        if (app->m_pPrevious == this) {
            app->m_pPrevious = m_pPrevious;
            return;
        }
    }
}

CAppBase* AfxGetApp() { return g_pCurrentApp; }

std::string CAppBase::GetRegistryPath(const std::string& relative) const {
    return kConfigRoot + relative;
}

void CAppBase::ReloadSessions(const char* /*profileName*/) {}
