// The long-wait service on Win32: a small topmost tool window on a thread of its own, and a wait
// on the process handle and the window's button event together.
#pragma once

#include "platform/WaitWindow.h"

// The window's class name, by which tests find it.
extern const char* const kWaitWindowClass;
extern const char* const kNoticeWindowClass;

class Win32WaitService : public IWaitService {
public:
    std::unique_ptr<IWaitWindow> OpenWindow(const WaitWindowText& text) override;
    WaitWake WaitForProcessOrChoice(ProcessHandle process, IWaitWindow* window, uint32_t timeoutMs) override;
    void ShowProcessWindows(ProcessHandle process) override;
    // In Win32Notice.cpp.
    bool ShowNotice(const NoticeText& text, const std::string& clickOpens, uint32_t closeAfterMs) override;
    // Waits at most 10 s for the ended process to be gone; the system ends it in that time.
    bool EndProcess(ProcessHandle process) override;
};
