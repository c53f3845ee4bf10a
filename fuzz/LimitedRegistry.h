// The in-memory registry within the element limits of the real one: a key name of at most 255
// characters and a tree at most 512 levels deep, counted from the root key. Creating a key past
// either limit fails, as RegCreateKeyA does. Without them a fuzzed profile name of thousands of
// backslashes makes a key tree that no real registry can hold, and the tree operations on it take
// minutes; with them the add-on meets the write failures it meets on Windows instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "platform/memory/MemoryRegistry.h"

class LimitedRegistry : public IRegistry {
public:
    static constexpr size_t kMaxKeyName = 255;
    static constexpr size_t kMaxDepth = 512;

    explicit LimitedRegistry(MemoryRegistry& inner) : m_inner(inner) {}

    long CreateKey(HKEY parent, const char* subKey, HKEY* result) override {
        size_t depth = DepthOf(parent);
        size_t part = 0;
        for (const char* p = subKey ? subKey : ""; ; ++p) {
            if (*p == '\\' || *p == '\0') {
                if (part > 0) ++depth;
                part = 0;
                if (*p == '\0') break;
            } else if (++part > kMaxKeyName) {
                return Refuse(result);
            }
        }
        if (depth > kMaxDepth) return Refuse(result);
        return Track(m_inner.CreateKey(parent, subKey, result), result, depth);
    }

    long OpenKey(HKEY parent, const char* subKey, HKEY* result) override {
        return Track(m_inner.OpenKey(parent, subKey, result), result, OpenedDepth(parent, subKey));
    }
    long OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) override {
        return Track(m_inner.OpenKeyToWrite(parent, subKey, result), result, OpenedDepth(parent, subKey));
    }

    long QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                    uint32_t* size) override {
        return m_inner.QueryValue(key, name, type, data, size);
    }
    long SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data,
                  uint32_t size) override {
        return m_inner.SetValue(key, name, type, data, size);
    }
    long EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) override {
        return m_inner.EnumKey(key, index, name, nameSize);
    }
    long EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen, uint32_t* type,
                   uint8_t* data, uint32_t* dataSize) override {
        return m_inner.EnumValue(key, index, name, nameLen, type, data, dataSize);
    }
    long DeleteKey(HKEY parent, const char* subKey) override {
        return m_inner.DeleteKey(parent, subKey);
    }
    long DeleteValue(HKEY key, const char* name) override { return m_inner.DeleteValue(key, name); }
    long FlushKey(HKEY key) override { return m_inner.FlushKey(key); }
    long BeginTurn(uint32_t timeoutMs) override { return m_inner.BeginTurn(timeoutMs); }
    void EndTurn() override { m_inner.EndTurn(); }
    long CloseKey(HKEY key) override {
        const long error = m_inner.CloseKey(key);
        if (error == ERROR_SUCCESS) m_depth.erase(key);
        return error;
    }
    long NotifyChange(HKEY key, void* event) override { return m_inner.NotifyChange(key, event); }
    void* CreateChangeEvent() override { return m_inner.CreateChangeEvent(); }
    bool TakeChangeSignal(void* event) override { return m_inner.TakeChangeSignal(event); }
    void CloseChangeEvent(void* event) override { m_inner.CloseChangeEvent(event); }

private:
    size_t OpenedDepth(HKEY parent, const char* subKey) const {
        size_t depth = DepthOf(parent);
        bool inPart = false;
        for (const char* p = subKey ? subKey : ""; *p != '\0'; ++p) {
            if (*p != '\\' && !inPart) ++depth;
            inPart = *p != '\\';
        }
        return depth;
    }
    static long Refuse(HKEY* result) {
        if (result != nullptr) *result = nullptr;
        return ERROR_INVALID_PARAMETER;
    }

    // Predefined roots and unknown handles are level 0.
    size_t DepthOf(HKEY key) const {
        const auto it = m_depth.find(key);
        return it == m_depth.end() ? 0 : it->second;
    }

    long Track(long error, HKEY* result, size_t depth) {
        if (error == ERROR_SUCCESS && result != nullptr) m_depth[*result] = depth;
        return error;
    }

    MemoryRegistry& m_inner;
    std::map<HKEY, size_t> m_depth;
};
