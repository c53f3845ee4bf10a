// The long-wait service in memory: windows are records a test reads and whose buttons it presses;
// time is the installed clock's (a MemoryClock that the test moves), processes are a
// MemoryLauncher's.
#pragma once

#include <condition_variable>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/WaitWindow.h"

class MemoryLauncher;

class MemoryWaitService : public IWaitService {
public:
    explicit MemoryWaitService(MemoryLauncher& launcher) : m_launcher(launcher) {}

    std::unique_ptr<IWaitWindow> OpenWindow(const WaitWindowText& text) override;
    // Looks at the process, the window and the clock every millisecond of real time.
    WaitWake WaitForProcessOrChoice(ProcessHandle process, IWaitWindow* window, uint32_t timeoutMs) override;
    // Event "show".
    void ShowProcessWindows(ProcessHandle process) override;
    // Event "notice <tweak line>"; the notice is kept for Notices().
    bool ShowNotice(const NoticeText& text, const std::string& clickOpens, uint32_t closeAfterMs) override;
    // MemoryLauncher::Terminate; event "end". False, and nothing ends, after RefuseEnd.
    bool EndProcess(ProcessHandle process) override;

    // The windows open now, in the order they opened, with their latest elapsed text.
    std::vector<WaitWindowText> OpenWindows() const;
    // Presses a button of the open window whose tweak line is tweak; false when none is open.
    bool Press(const std::string& tweak, WaitChoice choice);
    // Every notice shown, in order, with what a click would open.
    std::vector<std::pair<NoticeText, std::string>> Notices() const;
    // "open <tweak line>", "show", "end", "close <tweak line>", "notice <tweak line>", in order.
    std::vector<std::string> Events() const;
    void RefuseEnd();
    // From now on OpenWindow makes no window (null), as a system out of resources makes none.
    void RefuseWindows();
    // Waits until every thread in WaitForProcessOrChoice (at least threads of them) has looked at
    // the clock's present time and found nothing to return for; false after timeout.
    bool WaitUntilIdle(std::chrono::milliseconds timeout, size_t threads = 1);

private:
    class Window;

    MemoryLauncher& m_launcher;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Window*> m_windows;
    std::vector<std::string> m_events;
    std::vector<std::pair<NoticeText, std::string>> m_notices;
    // Each waiting thread and the clock's time at which it last found nothing to do.
    std::map<std::thread::id, uint64_t> m_idleAt;
    bool m_refuseEnd = false;
    bool m_refuseWindows = false;
};
