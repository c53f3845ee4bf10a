// Waiting for windows and answering message boxes from a test thread.
#include "tests/wine/common/WindowDriver.h"

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace wine {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

std::string WindowText(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND WaitForOwnedWindow(HWND owner, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, "#32770", caption); w;
                 w = FindWindowExA(nullptr, w, "#32770", caption)) {
                if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

namespace {

BOOL CALLBACK CancelWindow(HWND window, LPARAM) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

}  // namespace

void RunWhileUserActs(const std::function<void()>& call, const std::function<void()>& user) {
    std::atomic<bool> returned(false);
    const DWORD thisThread = GetCurrentThreadId();
    std::thread worker([&] {
        user();
        while (!returned) {
            EnumThreadWindows(thisThread, &CancelWindow, 0);
            Sleep(100);
        }
    });
    call();
    returned = true;
    worker.join();
}

MessageBoxSeen AnswerMessageBox(HWND owner, int button, const char* caption) {
    MessageBoxSeen seen;
    HWND box = WaitForOwnedWindow(owner, caption);
    if (box == nullptr) {
        ADD_FAILURE() << "no message box appeared";
        return seen;
    }
    seen.shown = true;
    seen.caption = WindowText(box);
    char text[4096] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    seen.text = text;
    PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return seen;
}

}  // namespace wine
