// The 0x80-0x9F row is the only part of code page 1252 that differs from Latin-1.
#include "platform/Cp1252.h"

#include <cstdint>

namespace {

const char16_t kRow80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

std::u16string Cp1252ToUtf16(const std::string& text) {
    std::u16string result;
    result.reserve(text.size());
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        result += (b >= 0x80 && b < 0xA0) ? kRow80[b - 0x80] : static_cast<char16_t>(b);
    }
    return result;
}

bool Utf16ToCp1252(const std::u16string& text, std::string* result, char16_t* bad) {
    std::string out;
    out.reserve(text.size());
    for (char16_t u : text) {
        int byte = -1;
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            byte = u;
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kRow80[i] == u) byte = 0x80 + i;
            }
        }
        if (byte < 0) {
            if (bad) *bad = u;
            return false;
        }
        out += static_cast<char>(byte);
    }
    *result = out;
    return true;
}

std::string Cp1252ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t u : Cp1252ToUtf16(text)) {
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string Utf8ToCp1252(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        uint32_t code = length == 1 ? lead : length == 2 ? (lead & 0x1Fu) : length == 3 ? (lead & 0x0Fu) : (lead & 0x07u);
        bool valid = length != 0 && i + length <= utf8.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3Fu);
        }
        std::string byte;
        if (valid && code < 0x10000 && Utf16ToCp1252(std::u16string(1, static_cast<char16_t>(code)), &byte, nullptr)) {
            out += byte;
        } else {
            out += '?';
        }
        i += valid ? length : 1;
    }
    return out;
}
