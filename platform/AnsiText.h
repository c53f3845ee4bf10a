// Text in the system's ANSI code page, the 8-bit form in which the registry's ANSI view, the host
// and the add-on hold every string, to UTF-16 and UTF-8 and back. What links the Win32 services
// (platform/win32) converts with the machine's ANSI code page; what links the in-memory stand-ins
// (platform/memory) takes code page 1252. Any thread may call them.
#pragma once

#include <string>

std::u16string AnsiTextToUtf16(const std::string& text);

// False, with *bad (when not null) set to the first unit that has no form in the code page, when
// the text cannot be held in it; no character is replaced by a look-alike.
bool Utf16ToAnsiText(const std::u16string& text, std::string* result, char16_t* bad);

std::string AnsiTextToUtf8(const std::string& text);

// True when text is whole characters of the code page: on a double-byte code page no lead byte
// lacks its trail byte (one at the end would take the next byte of a longer text with it).
bool IsWholeAnsiText(const std::string& text);

// A character that the code page lacks, and a byte that is not UTF-8, become "?".
std::string Utf8ToAnsiText(const std::string& utf8);
