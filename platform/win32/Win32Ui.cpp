// Message boxes, the file-open dialog, modal dialogs and icons with USER32, COMDLG32 and COMCTL32.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "platform/win32/Win32Ui.h"

#include <vector>

#include "platform/Dialog.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Dialog.h"
#include "platform/win32/Win32DllSearch.h"
#include "platform/win32/Win32Module.h"

namespace {

// The longest path the file dialog can give back.
const size_t kPathBuffer = 32768;

// COMCTL32 is not among the DLLs that the system always takes from its own folder: imported, it
// would be searched for beside the program first. So it comes from the system folder, by path.
void RegisterCommonControls() {
    static const bool registered = [] {
        typedef BOOL(WINAPI * InitCommonControlsExCall)(const INITCOMMONCONTROLSEX*);
        const HMODULE controlsDll = LoadSystemDll("comctl32.dll");
        const auto init = reinterpret_cast<InitCommonControlsExCall>(reinterpret_cast<void*>(
            controlsDll ? GetProcAddress(controlsDll, "InitCommonControlsEx") : nullptr));
        INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS};
        return init && init(&controls) != FALSE;
    }();
    (void)registered;
}

}  // namespace

HINSTANCE GetResourceInstance() {
    HINSTANCE instance = GetModuleInstance();
    return instance ? instance : GetModuleHandleA(nullptr);
}

int Win32Ui::MessageBox(const std::string& caption, const std::string& text, unsigned type) {
    return MessageBoxA(GetDefaultOwner(), text.c_str(), caption.c_str(), type);
}

HWND Win32Ui::PromptOwner() { return GetDefaultOwner(); }

bool Win32Ui::GetOpenFileName(const std::string& initialName, unsigned flags,
                              const std::string& filter, std::string* path) {
    // "Text|pattern|...||" becomes the system's list of zero-terminated pairs.
    std::vector<char> filterList(filter.begin(), filter.end());
    for (char& c : filterList) {
        if (c == '|') c = '\0';
    }
    filterList.push_back('\0');
    filterList.push_back('\0');

    std::vector<char> file(kPathBuffer, '\0');
    initialName.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetDefaultOwner();
    ofn.lpstrFilter = filterList.data();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.Flags = flags;
    if (!GetOpenFileNameA(&ofn)) return false;
    *path = file.data();
    return true;
}

int Win32Ui::RunModal(CDialog& dialog, unsigned templateId) {
    RegisterCommonControls();
    Win32DialogWindow window(dialog);
    return window.Run(templateId, GetDefaultOwner());
}

IconHandle Win32Ui::LoadIcon(unsigned id, int cx, int cy) {
    return reinterpret_cast<IconHandle>(LoadImageA(GetResourceInstance(), MAKEINTRESOURCEA(id),
                                                   IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

void Win32Ui::DestroyIcon(IconHandle icon) {
    if (icon) ::DestroyIcon(reinterpret_cast<HICON>(icon));
}

unsigned short Win32Ui::UserUiLanguage() { return ::GetUserDefaultUILanguage(); }

IUi& DefaultUi() {
    static Win32Ui ui;
    return ui;
}
