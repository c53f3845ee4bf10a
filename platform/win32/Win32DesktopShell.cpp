// The desktop's shell through COM: the shell windows, the desktop's view, its application object.
#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <winsafer.h>
#include <sddl.h>

#include <string>

#include "platform/win32/Win32DesktopShell.h"

namespace {

// Releases a COM pointer at the end of its scope.
template <typename Interface>
class Held {
public:
    Held() = default;
    ~Held() {
        if (m_p) m_p->Release();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Interface** Out() { return &m_p; }
    void** OutVoid() { return reinterpret_cast<void**>(&m_p); }
    Interface* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    Interface* m_p = nullptr;
};

// A VARIANT holding a string, or nothing for an empty one.
class TextVariant {
public:
    explicit TextVariant(const char* text) {
        VariantInit(&m_value);
        if (text == nullptr || *text == '\0') return;
        const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        std::wstring wide(length > 0 ? length : 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
        m_value.vt = VT_BSTR;
        m_value.bstrVal = SysAllocString(wide.c_str());
    }
    ~TextVariant() { VariantClear(&m_value); }
    TextVariant(const TextVariant&) = delete;
    TextVariant& operator=(const TextVariant&) = delete;
    const VARIANT& Value() const { return m_value; }

private:
    VARIANT m_value;
};

bool ExecuteInApartment(const char* verb, const char* file, const char* parameters,
                        const char* directory, int show) {
    Held<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.OutVoid())))
        return false;
    VARIANT none;
    VariantInit(&none);
    long window = 0;
    Held<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Out()) != S_OK ||
        !desktop)
        return false;
    Held<IServiceProvider> services;
    Held<IShellBrowser> browser;
    Held<IShellView> view;
    Held<IDispatch> background;
    Held<IShellFolderViewDual> folderView;
    Held<IDispatch> application;
    Held<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Out())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid())) ||
        FAILED(folderView->get_Application(application.Out())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid())))
        return false;

    const TextVariant fileText(file);
    if (fileText.Value().vt != VT_BSTR) return false;
    const TextVariant parameterText(parameters), directoryText(directory), verbText(verb);
    VARIANT showValue;
    VariantInit(&showValue);
    showValue.vt = VT_I4;
    showValue.lVal = show;
    return SUCCEEDED(shell->ShellExecute(fileText.Value().bstrVal, parameterText.Value(),
                                         directoryText.Value(), verbText.Value(), showValue));
}

}  // namespace

bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

bool ExecuteThroughDesktopShell(const char* verb, const char* file, const char* parameters,
                                const char* directory, int show) {
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // A thread already in the multithreaded apartment keeps it; the call works there too.
    if (FAILED(initialised) && initialised != RPC_E_CHANGED_MODE) return false;
    const bool taken = ExecuteInApartment(verb, file, parameters, directory, show);
    if (SUCCEEDED(initialised)) CoUninitialize();
    return taken;
}

namespace {

bool StartWithoutAdminRights(const char* file, const char* parameters, const char* directory, int show) {
    // The standard user's form of this process's own token: administrators only as a group that
    // denies, at the integrity level of a standard user's programs.
    SAFER_LEVEL_HANDLE level = nullptr;
    if (!SaferCreateLevel(SAFER_SCOPEID_USER, SAFER_LEVELID_NORMALUSER, SAFER_LEVEL_OPEN, &level, nullptr))
        return false;
    HANDLE token = nullptr;
    const bool computed = SaferComputeTokenFromLevel(level, nullptr, &token, 0, nullptr) != FALSE;
    SaferCloseLevel(level);
    if (!computed) return false;
    PSID medium = nullptr;
    bool labelled = false;
    if (ConvertStringSidToSidA("S-1-16-8192", &medium)) {
        TOKEN_MANDATORY_LABEL label = {};
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        label.Label.Sid = medium;
        labelled = SetTokenInformation(token, TokenIntegrityLevel, &label,
                                       sizeof label + GetLengthSid(medium)) != FALSE;
        LocalFree(medium);
    }
    std::string commandLine = std::string("\"") + file + "\"";
    if (parameters != nullptr && *parameters != '\0') commandLine += std::string(" ") + parameters;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION started = {};
    const bool created = labelled && CreateProcessAsUserA(token, file, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                                          nullptr, directory, &startup, &started) != FALSE;
    CloseHandle(token);
    if (!created) return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

bool IsProgram(const char* verb, const char* file) {
    const std::string name = file;
    const bool opened = verb == nullptr || lstrcmpiA(verb, "open") == 0;
    return opened && name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".exe") == 0;
}

}  // namespace

bool ExecuteAsDesktopUser(const char* verb, const char* file, const char* parameters,
                          const char* directory, int show, intptr_t* result) {
    const bool present = file != nullptr && GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES;
    if (present && RunsElevated()) {
        // Without a desktop shell window a program is started at once, as a standard user where
        // the system allows it: asking COM for a shell that is not there costs seconds (10 to 12
        // under Wine). A document has no other road than the shell's.
        const bool program = GetShellWindow() == nullptr && IsProgram(verb, file);
        const bool taken = program ? StartWithoutAdminRights(file, parameters, directory, show)
                                   : ExecuteThroughDesktopShell(verb, file, parameters, directory, show);
        if (!taken) return false;
        *result = 33;
        return true;
    }
    *result = reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, verb, file, parameters, directory, show));
    return true;
}