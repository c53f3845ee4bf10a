// The message pump of the waits that must not block the thread's windows.
#include "platform/win32/Win32MessagePump.h"

MessagePump::~MessagePump() {
    if (m_quit) PostQuitMessage(static_cast<int>(m_quitCode));
}

void MessagePump::DispatchQueued() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quit = true;
            m_quitCode = message.wParam;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
