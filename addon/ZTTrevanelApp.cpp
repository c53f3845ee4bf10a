// The application object: constructed and initialised when the module loads, destroyed when it
// unloads, and the place where the module's own file path is turned into the strings that
// install, uninstall and the help buttons use.
#include "addon/ZTTrevanelApp.h"

#include <stdexcept>

#include "platform/Module.h"
#include "platform/Platform.h"
#include "runner/FailureNotice.h"
#include "runner/TweakWait.h"
#include "ui/NoticeText.h"
#include "ui/WaitWindowText.h"

CZTTrevanelApp::CZTTrevanelApp() { m_mapSessions.rehash(kSessionBuckets); }

CZTTrevanelApp::~CZTTrevanelApp() {
    // A destructor that throws would end the host's process; the unload has nobody to tell.
    try {
        DeleteAllSessions();
        // Written at every unload and read by nobody; a failure is skipped silently.
        WriteRegDword(HKEY_USERS, kConfigRoot, "Config Version", 0);
    } catch (...) {
    }
}

int CZTTrevanelApp::InitInstance() {
    // The runner shows its long-wait window in the add-on's own words.
    SetWaitWindowTextMaker(&MakeWaitWindowText);
    SetNoticeTextMaker(&MakeNoticeText);
    const std::string file = GetModule().GetModuleFileName();
    // An unknown module path leaves the strings empty rather than inventing ".DLL" out of nothing.
    if (file.empty()) return TRUE;

    // Only a dot in the file name starts the extension; a dot in a folder name does not.
    const size_t slash = file.find_last_of('\\');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = file.find_last_of('.');
    const size_t stemEnd = dot == std::string::npos || dot < nameStart ? file.size() : dot;

    // Always the capital extension, whatever the case of the file's real one.
    m_strModulePath = file.substr(0, stemEnd) + ".DLL";
    m_strModuleFileName = m_strModulePath.substr(nameStart);
    m_strModuleFolder = file.substr(0, nameStart);
    return TRUE;
}

CZTTrevanelApp& GetTheApp() {
    // Inside the DLL the one live application object is the module's own; a native test's
    // object takes its place for as long as it lives.
    CZTTrevanelApp* app = dynamic_cast<CZTTrevanelApp*>(AfxGetApp());
    if (app == nullptr) throw std::logic_error("no add-on application object is alive");
    return *app;
}
