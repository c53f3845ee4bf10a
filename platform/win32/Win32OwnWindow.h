// What the add-on's own small windows (the long-wait window, the failure notice) share: each is
// built in code and run by a thread of its own that holds the module while it runs.
#pragma once

#include <windows.h>

// The module this code lives in, with one more reference, which the window's thread gives back as
// it ends (FreeLibraryAndExitThread), so that an unload cannot take the code from under it. Null
// when the system names none; nothing is then held.
HMODULE HoldOwnModule();

// The object a window was created for (CreateWindowEx's last argument): kept at WM_NCCREATE, null
// for the messages before it. For the window procedures of these windows only.
template <typename Owner>
Owner* OwnerOfWindow(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// Dispatches the calling thread's messages until its window posts WM_QUIT.
void RunMessageLoop();
