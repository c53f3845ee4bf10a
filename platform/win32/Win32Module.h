// The module service on Win32: a module's file path and string table, read through its handle.
#pragma once

#include <windows.h>

#include "platform/Module.h"

// <windows.h> turns the names GetModuleFileName and LoadString into their A variants in every
// Win32 source alike, the interface's included; the virtual slots are the same either way.
class Win32Module : public IModule {
public:
    // hModule null stands for the add-on's module as recorded by SetModuleInstance, or, in a
    // program that records none, for the program's own file.
    explicit Win32Module(HMODULE hModule = nullptr);

    std::string GetModuleFileName() override;
    std::string LoadString(unsigned id) override;

private:
    HMODULE Handle() const;

    HMODULE m_hModule;
};

// The add-on's instance handle, recorded by DllMain at process attach; null until then.
void SetModuleInstance(HINSTANCE hInstance);
HINSTANCE GetModuleInstance();
