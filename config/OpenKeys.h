// Registry keys open for the time of one step and closed however it ends, also when something
// done with them runs out of memory: no handle is left behind.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/Registry.h"

class OpenKeys {
public:
    explicit OpenKeys(IRegistry& registry, size_t count = 1) : m_registry(registry), m_keys(count, nullptr) {}
    ~OpenKeys() {
        for (HKEY key : m_keys) {
            if (key != nullptr) m_registry.CloseKey(key);
        }
    }
    OpenKeys(const OpenKeys&) = delete;
    OpenKeys& operator=(const OpenKeys&) = delete;

    // Where OpenKey or CreateKey puts the handle, and the handle (null when none was opened).
    HKEY* Out(size_t index = 0) { return &m_keys[index]; }
    HKEY Get(size_t index = 0) const { return m_keys[index]; }

private:
    IRegistry& m_registry;
    std::vector<HKEY> m_keys;
};
