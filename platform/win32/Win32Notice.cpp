// The failure notice on Win32: one window per process, built in code (so that it can be shown
// without being activated), run by a thread that exists only while the window does.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/win32/Win32OwnWindow.h"
#include "platform/win32/Win32WaitWindow.h"

#include <memory>
#include <mutex>
#include <string>
#include <utility>

const char* const kNoticeWindowClass = "ZTTrevanelNotice";

namespace {

const int kWidth = 400;
const int kMargin = 12;   // from the work area's edges
const int kPadding = 6;   // inside the window
const int kLineGap = 2;
const UINT WM_APP_TEXT = WM_APP + 1;
const UINT_PTR kCloseTimer = 1;
enum { IDC_TWEAK = 100, IDC_FILE, IDC_REASON, IDC_HINT };

const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_BORDER;
// Topmost and never activated: the user goes on with what they were doing.
const DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;

struct NoticeContent {
    NoticeText text;
    std::string clickOpens;
    uint32_t closeAfterMs = 0;
};

class NoticeWindow;

// The notice on the screen, or null. Cleared under the lock before its window is destroyed, so that
// a caller that finds it can still post to its window, and one that does not starts a new window.
std::mutex g_noticeLock;
NoticeWindow* g_notice = nullptr;

// The class is registered while any notice thread uses it: a closing notice's thread may still run
// when the next one starts. Its own lock, never held together with g_noticeLock, because a caller
// holds that one while the next thread registers.
std::mutex g_classLock;
int g_classUsers = 0;

int FontLineHeight(HFONT font) {
    const int fallback = 13;
    HDC dc = GetDC(nullptr);
    if (!dc) return fallback;
    const HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    const bool measured = GetTextMetricsA(dc, &metrics) != FALSE;
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return measured && metrics.tmHeight > 0 ? metrics.tmHeight : fallback;
}

void OpenTarget(const std::string& target) {
    if (target.empty()) return;
    // The shell wants an apartment on the calling thread. Failures go unreported: nobody waits for them.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // Synchronous, because the thread ends soon after and takes the module with it.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = "open";
    info.lpFile = target.c_str();
    // In its own folder: the host's current one is often the download folder the server fills.
    const std::string folder = target.substr(0, target.find_last_of('\\') + 1);
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
    if (SUCCEEDED(com)) CoUninitialize();
}

class NoticeWindow {
public:
    // Starts a thread with a new notice window and waits until the window exists; false when it
    // does not. Under g_noticeLock, with no notice on the screen.
    static bool Open(NoticeContent content) {
        const HMODULE module = HoldOwnModule();
        if (!module) return false;
        Start start;
        start.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!start.ready) {
            FreeLibrary(module);
            return false;
        }
        auto window = std::make_unique<NoticeWindow>(std::move(content), module);
        start.window = window.get();
        HANDLE thread = CreateThread(nullptr, 0, &NoticeWindow::ThreadMain, &start, 0, nullptr);
        if (!thread) {
            CloseHandle(start.ready);
            FreeLibrary(module);
            return false;
        }
        // From here the thread owns the window object and deletes it as it ends.
        window.release();
        CloseHandle(thread);
        WaitForSingleObject(start.ready, INFINITE);
        CloseHandle(start.ready);
        if (!start.created) return false;
        // Its window cannot close before this lock is released: closing takes it.
        g_notice = start.window;
        return true;
    }

    NoticeWindow(NoticeContent content, HMODULE module) : m_shown(std::move(content)), m_module(module) {}

    // Hands the window its next content. Under g_noticeLock, while this is g_notice.
    bool Replace(NoticeContent content) {
        m_next = std::move(content);
        // Contents that follow each other before the window takes them share one message.
        if (m_pending) return true;
        m_pending = PostMessageA(m_hwnd, WM_APP_TEXT, 0, 0) != FALSE;
        return m_pending;
    }

private:
    // What the starting caller and the thread share until the thread sets ready; the caller's.
    struct Start {
        NoticeWindow* window = nullptr;
        HANDLE ready = nullptr;
        bool created = false;
    };

    static DWORD WINAPI ThreadMain(void* param) {
        auto* start = static_cast<Start*>(param);
        NoticeWindow* self = start->window;
        HMODULE module = self->m_module;
        self->Run(start);
        delete self;
        FreeLibraryAndExitThread(module, 0);
        return 0;
    }

    void Run(Start* start) {
        HINSTANCE instance = m_module;
        {
            std::lock_guard<std::mutex> lock(g_classLock);
            if (g_classUsers++ == 0) {
                WNDCLASSEXA wc = {};
                wc.cbSize = sizeof wc;
                wc.lpfnWndProc = &NoticeWindow::WindowProc;
                wc.hInstance = instance;
                wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
                wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
                wc.lpszClassName = kNoticeWindowClass;
                RegisterClassExA(&wc);
            }
        }
        m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        m_lineHeight = FontLineHeight(m_font);
        // Two lines each for the tweak and the reason, one each for the file and the hint.
        RECT frame = {0, 0, 0, 2 * kPadding + 6 * m_lineHeight + 3 * kLineGap};
        AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
        const int height = frame.bottom - frame.top;
        RECT area = {0, 0, 1024, 768};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        m_hwnd = CreateWindowExA(kExStyle, kNoticeWindowClass, m_shown.text.caption.c_str(), kStyle,
                                 area.right - kWidth - kMargin, area.bottom - height - kMargin, kWidth, height,
                                 nullptr, nullptr, instance, this);
        if (m_hwnd) {
            SetTimer(m_hwnd, kCloseTimer, m_shown.closeAfterMs, nullptr);
            ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        }
        start->created = m_hwnd != nullptr;
        SetEvent(start->ready);  // the last use of start, which the caller then frees
        if (m_hwnd) RunMessageLoop();
        {
            // Only when the window went by another way than Close, which has done this already.
            std::lock_guard<std::mutex> lock(g_noticeLock);
            if (g_notice == this) g_notice = nullptr;
        }
        std::lock_guard<std::mutex> lock(g_classLock);
        if (--g_classUsers == 0) UnregisterClassA(kNoticeWindowClass, instance);
    }

    void AddControls(HWND hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        const int width = client.right - 2 * kPadding;
        int top = kPadding;
        // SS_NOTIFY, so that a click on a line reaches the window as one on the window itself.
        const auto add = [&](const std::string& text, DWORD style, int id, int lines) {
            HWND control = CreateWindowExA(0, "STATIC", text.c_str(),
                                           WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY | style, kPadding,
                                           top, width, lines * m_lineHeight, hwnd,
                                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_module, nullptr);
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
            top += lines * m_lineHeight + kLineGap;
        };
        // The tweak and the reason wrap to a second line; a long path loses its middle.
        add(m_shown.text.tweak, 0, IDC_TWEAK, 2);
        add(m_shown.text.file, SS_PATHELLIPSIS, IDC_FILE, 1);
        add(m_shown.text.reason, 0, IDC_REASON, 2);
        add(m_shown.text.hint, SS_ENDELLIPSIS, IDC_HINT, 1);
    }

    void TakeNext(HWND hwnd) {
        {
            std::lock_guard<std::mutex> lock(g_noticeLock);
            if (!m_pending) return;
            m_shown = std::move(m_next);
            m_pending = false;
        }
        SetWindowTextA(hwnd, m_shown.text.caption.c_str());
        SetDlgItemTextA(hwnd, IDC_TWEAK, m_shown.text.tweak.c_str());
        SetDlgItemTextA(hwnd, IDC_FILE, m_shown.text.file.c_str());
        SetDlgItemTextA(hwnd, IDC_REASON, m_shown.text.reason.c_str());
        SetDlgItemTextA(hwnd, IDC_HINT, m_shown.text.hint.c_str());
        // The same id: the wait starts again from the latest text.
        SetTimer(hwnd, kCloseTimer, m_shown.closeAfterMs, nullptr);
    }

    void Close(HWND hwnd) {
        {
            std::lock_guard<std::mutex> lock(g_noticeLock);
            // A caller has been told its text shows: it does, and its message restarts the timer.
            if (m_pending) return;
            if (g_notice == this) g_notice = nullptr;
        }
        DestroyWindow(hwnd);
    }

    void Click(HWND hwnd) {
        OpenTarget(m_shown.clickOpens);
        Close(hwnd);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = OwnerOfWindow<NoticeWindow>(hwnd, message, lParam);
        if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
        switch (message) {
            case WM_CREATE:
                self->AddControls(hwnd);
                return 0;
            case WM_MOUSEACTIVATE:
                return MA_NOACTIVATE;
            case WM_COMMAND:
                if (HIWORD(wParam) == STN_CLICKED) self->Click(hwnd);
                return 0;
            case WM_LBUTTONUP:
                self->Click(hwnd);
                return 0;
            case WM_APP_TEXT:
                self->TakeNext(hwnd);
                return 0;
            case WM_TIMER:
                if (wParam == kCloseTimer) self->Close(hwnd);
                return 0;
            case WM_CLOSE:
                self->Close(hwnd);
                return 0;
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    NoticeContent m_shown;  // the window thread's own
    NoticeContent m_next;  // under g_noticeLock, like m_pending
    bool m_pending = false;
    HMODULE m_module;
    HWND m_hwnd = nullptr;
    HFONT m_font = nullptr;
    int m_lineHeight = 0;
};

}  // namespace

bool Win32WaitService::ShowNotice(const NoticeText& text, const std::string& clickOpens, uint32_t closeAfterMs) {
    NoticeContent content{text, clickOpens, closeAfterMs};
    std::lock_guard<std::mutex> lock(g_noticeLock);
    if (g_notice) return g_notice->Replace(std::move(content));
    return NoticeWindow::Open(std::move(content));
}
