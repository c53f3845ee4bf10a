// ZTTrevanelRecord: the run record for users without a console. It writes what
// "ZTTrevanelCtl history --html" writes (the last 1,000 transfers, newest first) to Runs.htm
// beside the record and opens it with the program the system has for pages. The setup's
// Start-menu entry starts it; it is a windows program, so no console opens.
//
// "ZTTrevanelRecord.exe --open-as-user PAGE" only opens PAGE, as the user signed in at the
// desktop, never elevated: the elevated setup's finish page opens the help so. It shows nothing
// and ends with 0 when the page was opened or handed to the desktop's shell, with 3 when it was
// not (the process runs elevated and no desktop shell answers, or the page cannot be opened).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "ctl/CtlProgram.h"
#include "platform/FileSystem.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/win32/Win32DesktopShell.h"
#include "platform/win32/Win32DllSearch.h"
#include "runner/RunRecord.h"

namespace {

const char kCaption[] = "FTP Zorvant Trevanel";

int Fail(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONEXCLAMATION);
    return kCtlFile;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystemFolder();
    if (__argc == 3 && std::strcmp(__argv[1], "--open-as-user") == 0) {
        intptr_t opened = 0;
        const bool asUser = ExecuteAsDesktopUser("open", __argv[2], nullptr, nullptr, SW_SHOWNORMAL, &opened);
        return asUser && opened > 32 ? kCtlOk : kCtlFile;
    }
    CAppBase app;
    std::string folder = RunRecordFolder();
    // Without a record folder the page (which then says that nothing is recorded) goes to TEMP.
    if (folder.empty() || !GetFileSystem().CreateFolders(folder)) {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        folder = temp;
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    }
    const std::string page = folder + "\\Runs.htm";
    std::ostringstream out;
    std::ostringstream err;
    if (RunCtlProgram({"history", "--last", "1000", "--html", page}, out, err) != kCtlOk) return Fail(err.str());
    const intptr_t opened = GetLauncher().Execute("open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (opened <= 32) return Fail("The page " + page + " could not be opened (error " + std::to_string(opened) + ").");
    return kCtlOk;
}
