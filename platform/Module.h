// The module service: what the add-on knows of its own DLL file and its resources.
#pragma once

#include <string>

// Both methods read what the loader keeps for the module; any thread, at any time. No method
// throws.
class IModule {
public:
    virtual ~IModule() = default;

    // The full path of the add-on's module file as the loader reports it; empty when unknown.
    virtual std::string GetModuleFileName() = 0;

    // String-table entry id as 8-bit text in the ANSI code page; empty when there is none.
    virtual std::string LoadString(unsigned id) = 0;
};
