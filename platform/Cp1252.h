// Code page 1252 text, as the registry's ANSI view stores it, to UTF-16 and UTF-8 and back.
#pragma once

#include <string>

// Every byte has a UTF-16 unit: the five bytes the code page leaves undefined map to the control
// characters of the same number, as the system's own conversion does.
std::u16string Cp1252ToUtf16(const std::string& text);

// False, with *bad set to the first unit that has no byte, when the text cannot be stored.
bool Utf16ToCp1252(const std::u16string& text, std::string* result, char16_t* bad);

// The UTF-8 form of code page 1252 text.
std::string Cp1252ToUtf8(const std::string& text);

// UTF-8 text in code page 1252: a character that the code page lacks, and a byte that is not
// UTF-8, each become "?".
std::string Utf8ToCp1252(const std::string& utf8);
