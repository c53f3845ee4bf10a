// Opening a help file in the user's language: the module's Help folder first, the module folder
// second.
#include "ui/HelpFile.h"

#include <string>

#include "config/AppBase.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "platform/Ui.h"
#include "platform/WinTypes.h"
#include "ui/StringInsert.h"
#include "ui/resource.h"

namespace {

bool OpenDocument(const std::string& path) {
    return GetLauncher().Execute("open", path.c_str(), nullptr, nullptr, SW_SHOW) > 32;
}

const char* HelpFileName(HelpPage page, unsigned short uiLanguage) {
    const bool german = IsGermanLanguage(uiLanguage);
    if (page == HelpPage::TweakList) return german ? "ZTTrevanelAddOn.htm" : "ZTTrevanelAddOn-en.htm";
    return german ? "ZTTrevanelAddOnInfo.htm" : "ZTTrevanelAddOnInfo-en.htm";
}

}  // namespace

void OpenHelpFile(HelpPage page) {
    const std::string fileName = HelpFileName(page, GetUi().UserUiLanguage());
    const CAppBase* app = AfxGetApp();
    const std::string folder = app ? app->m_strModuleFolder : std::string();
    const std::string path1 = folder + "Help\\" + fileName;
    if (OpenDocument(path1)) return;
    if (OpenDocument(folder + fileName)) return;
    AfxMessageBox(InsertIntoString(GetModule().LoadString(IDS_HELP_FILE_ERROR), path1),
                  MB_OK | MB_ICONEXCLAMATION);
}
