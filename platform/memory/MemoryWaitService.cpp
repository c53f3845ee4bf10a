// The long-wait service in memory, and the native default, which waits as the shell's stand-in
// does and opens no window.
#include "platform/memory/MemoryWaitService.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/memory/MemoryLauncher.h"

class MemoryWaitService::Window : public IWaitWindow {
public:
    Window(MemoryWaitService& service, const WaitWindowText& text) : m_service(service), m_text(text) {}
    ~Window() override {
        std::lock_guard<std::mutex> lock(m_service.m_mutex);
        m_service.m_windows.erase(std::find(m_service.m_windows.begin(), m_service.m_windows.end(), this));
        m_service.m_events.push_back("close " + m_text.tweak);
        m_service.m_changed.notify_all();
    }
    void SetElapsed(const std::string& text) override {
        std::lock_guard<std::mutex> lock(m_service.m_mutex);
        m_text.elapsed = text;
    }
    WaitChoice TakeChoice() override {
        std::lock_guard<std::mutex> lock(m_service.m_mutex);
        const WaitChoice choice = m_choice;
        m_choice = WaitChoice::None;
        return choice;
    }

    MemoryWaitService& m_service;
    // Under the service's lock.
    WaitWindowText m_text;
    WaitChoice m_choice = WaitChoice::None;
};

std::unique_ptr<IWaitWindow> MemoryWaitService::OpenWindow(const WaitWindowText& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_refuseWindows) return nullptr;
    auto window = std::make_unique<Window>(*this, text);
    m_windows.push_back(window.get());
    m_events.push_back("open " + text.tweak);
    m_changed.notify_all();
    return window;
}

WaitWake MemoryWaitService::WaitForProcessOrChoice(ProcessHandle process, IWaitWindow* window,
                                                   uint32_t timeoutMs) {
    IClock& clock = GetClock();
    const uint64_t start = clock.Milliseconds();
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitWake wake;
    for (;;) {
        const uint64_t now = clock.Milliseconds();
        if (!m_launcher.IsRunning(process)) {
            wake = WaitWake::ProcessEnded;
        } else if (window && static_cast<Window*>(window)->m_choice != WaitChoice::None) {
            wake = WaitWake::Choice;
        } else if (now - start >= timeoutMs) {
            wake = WaitWake::Timeout;
        } else {
            m_idleAt[self] = now;
            m_changed.notify_all();
            m_changed.wait_for(lock, std::chrono::milliseconds(1));
            continue;
        }
        break;
    }
    m_idleAt.erase(self);
    return wake;
}

void MemoryWaitService::ShowProcessWindows(ProcessHandle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back("show");
}

bool MemoryWaitService::EndProcess(ProcessHandle process) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_refuseEnd) return false;
        m_events.push_back("end");
    }
    m_launcher.Terminate(process);
    return true;
}

bool MemoryWaitService::ShowNotice(const NoticeText& text, const std::string& clickOpens, uint32_t) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back("notice " + text.tweak);
    m_notices.emplace_back(text, clickOpens);
    return true;
}

std::vector<std::pair<NoticeText, std::string>> MemoryWaitService::Notices() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notices;
}

std::vector<WaitWindowText> MemoryWaitService::OpenWindows() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<WaitWindowText> texts;
    for (const Window* window : m_windows) texts.push_back(window->m_text);
    return texts;
}

bool MemoryWaitService::Press(const std::string& tweak, WaitChoice choice) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Window* window : m_windows) {
        if (window->m_text.tweak != tweak) continue;
        window->m_choice = choice;
        m_changed.notify_all();
        return true;
    }
    return false;
}

std::vector<std::string> MemoryWaitService::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

void MemoryWaitService::RefuseEnd() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refuseEnd = true;
}

bool MemoryWaitService::WaitUntilIdle(std::chrono::milliseconds timeout, size_t threads) {
    IClock& clock = GetClock();
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        const uint64_t now = clock.Milliseconds();
        for (const Window* window : m_windows) {
            if (window->m_choice != WaitChoice::None) return false;
        }
        return m_idleAt.size() >= threads && std::all_of(m_idleAt.begin(), m_idleAt.end(),
                                                [&](const auto& entry) { return entry.second == now; });
    });
}

namespace {

// Natively no person watches: the wait is the launcher's, without a limit.
class PlainWaitService : public IWaitService {
public:
    std::unique_ptr<IWaitWindow> OpenWindow(const WaitWindowText&) override { return nullptr; }
    WaitWake WaitForProcessOrChoice(ProcessHandle process, IWaitWindow*, uint32_t) override {
        GetLauncher().WaitForProcess(process);
        return WaitWake::ProcessEnded;
    }
    void ShowProcessWindows(ProcessHandle) override {}
    bool ShowNotice(const NoticeText&, const std::string&, uint32_t) override { return false; }
    bool EndProcess(ProcessHandle) override { return false; }
};

}  // namespace

IWaitService& DefaultWaitService() {
    static PlainWaitService service;
    return service;
}

void MemoryWaitService::RefuseWindows() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refuseWindows = true;
}
