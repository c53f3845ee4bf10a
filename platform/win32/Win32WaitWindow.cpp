// The long-wait window on Win32: built in code (no template, so that it can be shown without
// being activated), run by a thread that exists only while the window does.
#include <windows.h>

#include "platform/win32/Win32OwnWindow.h"
#include "platform/win32/Win32WaitWindow.h"

#include <atomic>
#include <mutex>
#include <string>

const char* const kWaitWindowClass = "ZTTrevanelWaitWindow";

namespace {

const int kWidth = 460;
const int kHeight = 168;
const int kMargin = 12;
const UINT WM_APP_ELAPSED = WM_APP + 1;
enum { IDC_TWEAK = 100, IDC_FILE, IDC_ELAPSED, IDC_SHOW, IDC_STOP_WAITING, IDC_END };

// Windows open now in this process: each further one stands above the one before. The class is
// registered while any is open and unregistered after the last, so that no class of an unloaded
// module stays behind; both under the lock.
std::mutex g_classLock;
int g_openWindows = 0;

struct OwnWindowSearch {
    HWND found = nullptr;
};

// A visible, not minimised top-level window of this process that is not one of ours: the host's.
BOOL CALLBACK FindOwnWindow(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char className[64] = "";
    GetClassNameA(hwnd, className, sizeof className);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(hwnd) || IsIconic(hwnd) ||
        lstrcmpA(className, kWaitWindowClass) == 0 || (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        return TRUE;
    }
    reinterpret_cast<OwnWindowSearch*>(param)->found = hwnd;
    return FALSE;
}

// The bottom right corner of the host's window, or else of the work area of the primary screen,
// kept inside that screen's work area.
POINT WindowPlace(int stacked) {
    OwnWindowSearch search;
    EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&search));
    RECT area = {0, 0, 1024, 768};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT anchor = area;
    if (search.found) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoA(MonitorFromWindow(search.found, MONITOR_DEFAULTTONEAREST), &monitor))
            area = monitor.rcWork;
        GetWindowRect(search.found, &anchor);
    }
    POINT place = {anchor.right - kWidth - kMargin, anchor.bottom - (kHeight + kMargin) * (stacked + 1)};
    if (place.x + kWidth > area.right) place.x = area.right - kWidth;
    if (place.y + kHeight > area.bottom) place.y = area.bottom - kHeight;
    if (place.x < area.left) place.x = area.left;
    if (place.y < area.top) place.y = area.top;
    return place;
}

class Win32WaitWindow : public IWaitWindow {
public:
    explicit Win32WaitWindow(const WaitWindowText& text)
        : m_text(text), m_choiceEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_ready(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    ~Win32WaitWindow() override {
        if (m_thread) {
            if (m_hwnd) PostMessageA(m_hwnd, WM_CLOSE, 0, 0);
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
        if (m_choiceEvent) CloseHandle(m_choiceEvent);
        if (m_ready) CloseHandle(m_ready);
    }

    // Starts the thread and waits until its window shows; false when there is none.
    bool Start() {
        if (!m_choiceEvent || !m_ready) return false;
        const HMODULE module = HoldOwnModule();
        if (!module) return false;
        m_module = module;
        m_thread = CreateThread(nullptr, 0, &Win32WaitWindow::ThreadMain, this, 0, nullptr);
        if (!m_thread) {
            FreeLibrary(module);
            return false;
        }
        WaitForSingleObject(m_ready, INFINITE);
        return m_hwnd != nullptr;
    }

    void SetElapsed(const std::string& text) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_text.elapsed = text;
        }
        PostMessageA(m_hwnd, WM_APP_ELAPSED, 0, 0);
    }

    WaitChoice TakeChoice() override {
        ResetEvent(m_choiceEvent);
        return static_cast<WaitChoice>(m_choice.exchange(static_cast<int>(WaitChoice::None)));
    }

    HANDLE ChoiceEvent() const { return m_choiceEvent; }

private:
    static DWORD WINAPI ThreadMain(void* param) {
        auto* self = static_cast<Win32WaitWindow*>(param);
        HMODULE module = self->m_module;
        self->Run();
        FreeLibraryAndExitThread(module, 0);
        return 0;
    }

    void Run() {
        HINSTANCE instance = m_module;
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Win32WaitWindow::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWaitWindowClass;
        {
            std::lock_guard<std::mutex> lock(g_classLock);
            if (g_openWindows == 0) RegisterClassExA(&wc);
            const POINT place = WindowPlace(g_openWindows);
            // Topmost and never activated: the user goes on with what they were doing.
            m_hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kWaitWindowClass,
                                     m_text.caption.c_str(), WS_POPUP | WS_CAPTION | WS_BORDER, place.x, place.y,
                                     kWidth, kHeight, nullptr, nullptr, instance, this);
            if (m_hwnd) ++g_openWindows;
        }
        if (m_hwnd) ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        SetEvent(m_ready);
        if (!m_hwnd) return;
        RunMessageLoop();
        std::lock_guard<std::mutex> lock(g_classLock);
        if (--g_openWindows == 0) UnregisterClassA(kWaitWindowClass, instance);
    }

    void AddControls(HWND hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        const int width = client.right - 2 * kMargin;
        const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        const auto add = [&](const char* cls, const std::string& text, DWORD style, int id, int x, int y, int w,
                             int h) {
            HWND control = CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_module, nullptr);
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        };
        // The tweak's line wraps to a second line; a long path loses its middle.
        add("STATIC", m_text.tweak, SS_LEFT | SS_NOPREFIX, IDC_TWEAK, kMargin, 10, width, 30);
        add("STATIC", m_text.file, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, IDC_FILE, kMargin, 46, width, 16);
        add("STATIC", m_text.elapsed, SS_LEFT | SS_NOPREFIX, IDC_ELAPSED, kMargin, 66, width, 16);
        const int buttonWidth = (width - 2 * 8) / 3;
        const int buttonTop = client.bottom - 34;
        add("BUTTON", m_text.show, BS_PUSHBUTTON | WS_TABSTOP, IDC_SHOW, kMargin, buttonTop, buttonWidth, 24);
        add("BUTTON", m_text.stopWaiting, BS_PUSHBUTTON | WS_TABSTOP, IDC_STOP_WAITING,
            kMargin + buttonWidth + 8, buttonTop, buttonWidth, 24);
        add("BUTTON", m_text.end, BS_PUSHBUTTON | WS_TABSTOP, IDC_END, kMargin + 2 * (buttonWidth + 8), buttonTop,
            buttonWidth, 24);
    }

    void Choose(WaitChoice choice) {
        m_choice = static_cast<int>(choice);
        SetEvent(m_choiceEvent);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = OwnerOfWindow<Win32WaitWindow>(hwnd, message, lParam);
        if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
        switch (message) {
            case WM_CREATE:
                self->AddControls(hwnd);
                return 0;
            case WM_MOUSEACTIVATE:
                return MA_NOACTIVATE;
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDC_SHOW: self->Choose(WaitChoice::Show); break;
                    case IDC_STOP_WAITING: self->Choose(WaitChoice::StopWaiting); break;
                    case IDC_END: self->Choose(WaitChoice::End); break;
                }
                return 0;
            case WM_APP_ELAPSED: {
                std::string text;
                {
                    std::lock_guard<std::mutex> lock(self->m_mutex);
                    text = self->m_text.elapsed;
                }
                SetDlgItemTextA(hwnd, IDC_ELAPSED, text.c_str());
                return 0;
            }
            case WM_CLOSE:
                // Only the waiting thread closes the window (the caption has no close box).
                DestroyWindow(hwnd);
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    std::mutex m_mutex;
    WaitWindowText m_text;  // the elapsed line under m_mutex
    HANDLE m_choiceEvent;
    HANDLE m_ready;
    std::atomic<int> m_choice{static_cast<int>(WaitChoice::None)};
    HMODULE m_module = nullptr;
    HANDLE m_thread = nullptr;
    HWND m_hwnd = nullptr;
};

struct ProcessWindows {
    DWORD pid;
    HWND first = nullptr;
};

// The process's own top-level windows with a caption, hidden by the hidden start.
BOOL CALLBACK ShowIfOfProcess(HWND hwnd, LPARAM param) {
    auto* windows = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != windows->pid || GetWindow(hwnd, GW_OWNER) != nullptr ||
        (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) != WS_CAPTION) {
        return TRUE;
    }
    if (!IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);
    if (!windows->first) windows->first = hwnd;
    return TRUE;
}

}  // namespace

std::unique_ptr<IWaitWindow> Win32WaitService::OpenWindow(const WaitWindowText& text) {
    auto window = std::make_unique<Win32WaitWindow>(text);
    if (!window->Start()) return nullptr;
    return window;
}

WaitWake Win32WaitService::WaitForProcessOrChoice(ProcessHandle process, IWaitWindow* window,
                                                  uint32_t timeoutMs) {
    HANDLE handles[2] = {reinterpret_cast<HANDLE>(process), nullptr};
    DWORD count = 1;
    if (window) handles[count++] = static_cast<Win32WaitWindow*>(window)->ChoiceEvent();
    switch (WaitForMultipleObjects(count, handles, FALSE, timeoutMs)) {
        case WAIT_OBJECT_0 + 1: return WaitWake::Choice;
        case WAIT_TIMEOUT: return WaitWake::Timeout;
        // A handle that cannot be waited for is taken as ended: the run must not spin on it.
        default: return WaitWake::ProcessEnded;
    }
}

void Win32WaitService::ShowProcessWindows(ProcessHandle process) {
    ProcessWindows windows{GetProcessId(reinterpret_cast<HANDLE>(process))};
    if (windows.pid == 0) return;
    EnumWindows(ShowIfOfProcess, reinterpret_cast<LPARAM>(&windows));
    if (windows.first) SetForegroundWindow(windows.first);
}

bool Win32WaitService::EndProcess(ProcessHandle process) {
    HANDLE handle = reinterpret_cast<HANDLE>(process);
    if (!TerminateProcess(handle, 1)) return false;
    WaitForSingleObject(handle, 10000);
    return true;
}

IWaitService& DefaultWaitService() {
    static Win32WaitService service;
    return service;
}
