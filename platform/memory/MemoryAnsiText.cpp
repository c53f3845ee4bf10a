// The stand-ins' ANSI code page is 1252, the one a Wine prefix under LC_ALL=C.UTF-8 has.
#include "platform/AnsiText.h"

#include "platform/Cp1252.h"

std::u16string AnsiTextToUtf16(const std::string& text) { return Cp1252ToUtf16(text); }

bool Utf16ToAnsiText(const std::u16string& text, std::string* result, char16_t* bad) {
    return Utf16ToCp1252(text, result, bad);
}

std::string AnsiTextToUtf8(const std::string& text) { return Cp1252ToUtf8(text); }

// Code page 1252 has one byte for every character.
bool IsWholeAnsiText(const std::string&) { return true; }

std::string Utf8ToAnsiText(const std::string& utf8) { return Utf8ToCp1252(utf8); }
