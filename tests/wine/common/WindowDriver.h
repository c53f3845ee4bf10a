// Working real windows from a test thread the way a user would: waiting for a window, reading a
// message box and answering it. Clicks whose handlers open a message box must be posted, so that
// the window's own thread runs the modal box while the test looks at it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace wine {

// Polls done every 20 ms until it is true (true) or timeoutMs has passed (false).
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);

std::string WindowText(HWND window);

// A visible dialog-class window (message box or dialog) whose owner is owner, or null after
// timeoutMs. A null owner finds an unowned one with that caption.
HWND WaitForOwnedWindow(HWND owner, const char* caption = nullptr, DWORD timeoutMs = 15000);

struct MessageBoxSeen {
    bool shown = false;
    std::string caption;
    std::string text;  // the box's text control, 0xFFFF
};

// Waits for the message box that owner owns (or, with a null owner, the unowned one with
// caption), reads it and answers it with button (IDOK, IDYES, IDNO ...).
MessageBoxSeen AnswerMessageBox(HWND owner, int button, const char* caption = nullptr);

// Runs call on this thread (a modal dialog of the add-on, say) while user works its windows on a
// second thread. Windows of this thread that are still open when user returns are cancelled until
// call returns, so that a failed test cannot hang.
void RunWhileUserActs(const std::function<void()>& call, const std::function<void()>& user);

}  // namespace wine
