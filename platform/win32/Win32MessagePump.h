// Handling a thread's window messages while it waits for something else, so that its windows stay
// painted and whatever another thread sends them is answered.
#pragma once

#include <windows.h>

class MessagePump {
public:
    MessagePump() = default;
    // Posts a WM_QUIT met while pumping again, for the loop that the caller returns to.
    ~MessagePump();
    MessagePump(const MessagePump&) = delete;
    MessagePump& operator=(const MessagePump&) = delete;

    // Dispatches every message queued for the calling thread; a WM_QUIT is kept, not dispatched.
    void DispatchQueued();

private:
    bool m_quit = false;
    WPARAM m_quitCode = 0;
};
