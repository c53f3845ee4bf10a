// The registry service on Win32: each method is the ADVAPI32 call of the same name.
#pragma once

#include <windows.h>

#include "platform/Registry.h"

class Win32Registry : public IRegistry {
public:
    long CreateKey(HKEY parent, const char* subKey, HKEY* result) override;
    long OpenKey(HKEY parent, const char* subKey, HKEY* result) override;
    long OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) override;
    long QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                    uint32_t* size) override;
    long SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data,
                  uint32_t size) override;
    long EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) override;
    long EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen, uint32_t* type,
                   uint8_t* data, uint32_t* dataSize) override;
    long DeleteKey(HKEY parent, const char* subKey) override;
    long DeleteValue(HKEY key, const char* name) override;
    long CloseKey(HKEY key) override;
    long FlushKey(HKEY key) override;
    long BeginTurn(uint32_t timeoutMs) override;
    void EndTurn() override;
    long NotifyChange(HKEY key, void* event) override;
    void* CreateChangeEvent() override;
    bool TakeChangeSignal(void* event) override;
    void CloseChangeEvent(void* event) override;
};
