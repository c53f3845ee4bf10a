// The module reference and the message loop of the add-on's own windows' threads.
#include "platform/win32/Win32OwnWindow.h"

HMODULE HoldOwnModule() {
    HMODULE module = nullptr;
    // Any address inside this module names it.
    static const char kAnchor = 0;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, &kAnchor, &module)) return nullptr;
    return module;
}

void RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
