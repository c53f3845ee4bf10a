// Screen pictures of windows through ImageMagick's import.
#include "tests/wine/common/ScreenCapture.h"

#include <cstdio>

#include "tests/wine/common/WindowDriver.h"
#include "tests/wine/common/WineHarness.h"

namespace wine {

std::string ScreenshotFolder() {
    char folder[1024];
    const DWORD length = GetEnvironmentVariableA("TREVANEL_SCREENSHOT_DIR", folder, sizeof folder);
    if (length > 0 && length < sizeof folder) return folder;
    const std::string fallback = TREVANEL_BIN_DIR "/screenshots";
    CreateDirectoryA(ToWindowsPath(fallback).c_str(), nullptr);
    return fallback;
}

std::string CaptureWindow(HWND window, const std::string& unixPath) {
    RECT rect;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect)) return "window not visible";
    char crop[64];
    std::snprintf(crop, sizeof crop, "%ldx%ld+%ld+%ld", rect.right - rect.left,
                  rect.bottom - rect.top, rect.left, rect.top);
    const std::string picture = ToWindowsPath(unixPath);
    DeleteFileA(picture.c_str());
    std::string line = "Z:\\usr\\bin\\import -window root -crop " + std::string(crop) + " +repage \"" +
                       unixPath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return "cannot start import: error " + std::to_string(GetLastError());
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    // Wine reports a Unix program's end unreliably; a complete PNG on disk is the sign.
    auto complete = [&] {
        HANDLE file = CreateFileA(picture.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        char head[4] = {}, tail[8] = {};
        DWORD read = 0;
        const DWORD size = GetFileSize(file, nullptr);
        bool ok = size > 1000 && ReadFile(file, head, 4, &read, nullptr) && read == 4 &&
                  SetFilePointer(file, -8, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                  ReadFile(file, tail, 8, &read, nullptr) && read == 8;
        CloseHandle(file);
        return ok && std::string(head + 1, 3) == "PNG" && std::string(tail, 4) == "IEND";
    };
    if (!WaitUntil(complete, 30000)) return "no PNG written to " + picture;
    return IsWindowVisible(window) ? std::string() : "window hidden while the picture was taken";
}

namespace {

BOOL CALLBACK AddCutLabel(HWND control, LPARAM found) {
    char className[16] = "";
    GetClassNameA(control, className, sizeof className);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG kind = style & SS_TYPEMASK;
    if (lstrcmpiA(className, "Static") != 0 || (kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT)) return TRUE;
    char text[1024] = "";
    GetWindowTextA(control, text, sizeof text);
    RECT client;
    GetClientRect(control, &client);
    RECT needed = client;
    HDC dc = GetDC(control);
    // Another process's font handle names nothing here: its dialogs (the setup's pages) use the
    // dialog font, which the GUI font is.
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA described;
    if (font == nullptr || GetObjectA(font, sizeof described, &described) == 0) font = GetStockObject(DEFAULT_GUI_FONT);
    const HGDIOBJ old = SelectObject(dc, font);
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (needed.right > client.right || needed.bottom > client.bottom) {
        reinterpret_cast<std::vector<std::string>*>(found)->push_back(text);
    }
    return TRUE;
}

}  // namespace

std::vector<std::string> CutLabels(HWND window) {
    std::vector<std::string> cut;
    EnumChildWindows(window, &AddCutLabel, reinterpret_cast<LPARAM>(&cut));
    return cut;
}

}  // namespace wine
