// The DLL's entry point: the application object lives from process attach to process detach.
#include <windows.h>

#include <optional>

#include "addon/ZTTrevanelApp.h"
#include "platform/win32/Win32Module.h"

namespace {

// Constructed at attach, when the C++ runtime has made every static the object uses, and
// destroyed at detach, before the runtime destroys them; a plain global could outlive statics
// that its destructor still uses, such as the registry service.
std::optional<CZTTrevanelApp> theApp;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        SetModuleInstance(hInstance);
        try {
            theApp.emplace();
            theApp->InitInstance();
        } catch (...) {
            theApp.reset();
            return FALSE;
        }
        break;
    case DLL_PROCESS_DETACH:
        // Also at process exit without FreeLibrary: every unload writes "Config Version".
        theApp.reset();
        break;
    default:
        break;
    }
    return TRUE;
}
