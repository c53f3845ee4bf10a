// The UI service on Win32: MessageBoxA, GetOpenFileNameA, DialogBoxParamA on the add-on's own
// templates, LoadImageA and DestroyIcon.
#pragma once

#include <windows.h>

// <windows.h> maps these names to their A/W variants; the service's methods keep their own names.
// Every Win32 file that sees platform/Ui.h includes this header first.
#undef MessageBox
#undef GetOpenFileName
#undef LoadIcon

#include "platform/Ui.h"

class Win32Ui : public IUi {
public:
    int MessageBox(const std::string& caption, const std::string& text, unsigned type) override;
    HWND PromptOwner() override;
    bool GetOpenFileName(const std::string& initialName, unsigned flags, const std::string& filter,
                         std::string* path) override;
    int RunModal(CDialog& dialog, unsigned templateId) override;
    IconHandle LoadIcon(unsigned id, int cx, int cy) override;
    void DestroyIcon(IconHandle icon) override;
    unsigned short UserUiLanguage() override;
};

// The module whose resources the dialogs and icons come from: the add-on's, or in a program that
// links the core directly, the program's own.
HINSTANCE GetResourceInstance();

// The window that owns a new dialog, message box or file dialog: the innermost dialog that runs
// on this thread, else the thread's active window, as the framework picks an owner when its caller
// names none. That keeps the window beneath from taking input while the new one is open.
HWND GetDefaultOwner();
