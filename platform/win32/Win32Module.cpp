// The module service on Win32: GetModuleFileNameA and LoadStringA on the add-on's own module.
#include <windows.h>

#include "platform/win32/Win32Module.h"

#include <vector>

#include "platform/Platform.h"

namespace {

HINSTANCE g_hInstance = nullptr;

// Neither call reports the length it would need, only that it filled the buffer; a full buffer
// is retried with a bigger one up to this size.
const DWORD kMaxChars = 65536;

}  // namespace

void SetModuleInstance(HINSTANCE hInstance) { g_hInstance = hInstance; }

HINSTANCE GetModuleInstance() { return g_hInstance; }

Win32Module::Win32Module(HMODULE hModule) : m_hModule(hModule) {}

HMODULE Win32Module::Handle() const { return m_hModule ? m_hModule : g_hInstance; }

std::string Win32Module::GetModuleFileName() {
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = ::GetModuleFileNameA(Handle(), buffer.data(), size);
        if (length == 0) return std::string();
        if (length < size) return std::string(buffer.data(), length);
        if (size >= kMaxChars) return std::string();
    }
}

std::string Win32Module::LoadString(unsigned id) {
    for (DWORD size = 256;; size *= 2) {
        std::vector<char> buffer(size);
        const int length = ::LoadStringA(Handle(), id, buffer.data(), static_cast<int>(size));
        if (length <= 0) return std::string();
        if (static_cast<DWORD>(length) < size - 1 || size >= kMaxChars)
            return std::string(buffer.data(), length);
    }
}

IModule& DefaultModule() {
    static Win32Module module;
    return module;
}
