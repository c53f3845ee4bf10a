// The machine's ANSI code page (CP_ACP), as the "A" functions of the registry and the shell use it.
#include <windows.h>

#include "platform/AnsiText.h"

namespace {

std::wstring Wide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

// Without best fit: a character the code page lacks becomes the default character ("?"), never a
// look-alike ("Ś" must not become "S"). Code page UTF-8 takes no flags. *lost tells whether any
// character did not arrive.
std::string Narrow(UINT codePage, const std::wstring& wide, bool* lost) {
    *lost = false;
    if (wide.empty()) return std::string();
    const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
    const DWORD how = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, how, wide.data(), size, nullptr, 0, nullptr, used);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) WideCharToMultiByte(codePage, how, wide.data(), size, &narrow[0], length, nullptr, used);
    // The way back shows what a flagless conversion lost (an unpaired surrogate).
    *lost = length <= 0 || usedDefault || Wide(codePage, narrow) != wide;
    return narrow;
}

}  // namespace

bool IsWholeAnsiText(const std::string& text) {
    return text.empty() || MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                               nullptr, 0) > 0;
}

std::u16string AnsiTextToUtf16(const std::string& text) {
    const std::wstring wide = Wide(CP_ACP, text);
    return std::u16string(wide.begin(), wide.end());
}

bool Utf16ToAnsiText(const std::u16string& text, std::string* result, char16_t* bad) {
    const std::wstring wide(text.begin(), text.end());
    bool lost = false;
    std::string narrow = Narrow(CP_ACP, wide, &lost);
    if (!lost) {
        *result = narrow;
        return true;
    }
    // Find the first character that failed, a surrogate pair taken as one.
    for (size_t i = 0; i < wide.size(); ++i) {
        const size_t units = (wide[i] >= 0xD800 && wide[i] < 0xDC00 && i + 1 < wide.size()) ? 2 : 1;
        Narrow(CP_ACP, wide.substr(i, units), &lost);
        if (lost) {
            if (bad) *bad = static_cast<char16_t>(wide[i]);
            return false;
        }
        i += units - 1;
    }
    if (bad) *bad = wide.empty() ? u'\0' : static_cast<char16_t>(wide[0]);
    return false;
}

std::string AnsiTextToUtf8(const std::string& text) {
    bool lost = false;
    return Narrow(CP_UTF8, Wide(CP_ACP, text), &lost);
}

std::string Utf8ToAnsiText(const std::string& utf8) {
    bool lost = false;
    return Narrow(CP_ACP, Wide(CP_UTF8, utf8), &lost);
}
