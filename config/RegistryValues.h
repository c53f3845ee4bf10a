// Reading and writing single registry values, as the application object offers them. Every call
// opens its key and closes it again. A failed read gives def; a failed write is skipped.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

// REG_SZ with text and its terminating zero; a null text is stored as the empty one.
void WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text);
// REG_DWORD, four bytes, low byte first.
void WriteRegDword(HKEY root, const char* subKey, const char* valueName, int32_t value);
// A REG_SZ of any length, read whole; data without a terminating zero ends where it ends. A
// value of another type reads as def.
std::string ReadRegString(HKEY root, const char* subKey, const char* valueName, const std::string& def);
// A REG_DWORD of exactly four bytes; anything else reads as def.
int32_t ReadRegDword(HKEY root, const char* subKey, const char* valueName, int32_t def);
