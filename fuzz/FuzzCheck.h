// What the fuzz targets share: a check that aborts with a readable message, so that libFuzzer
// records the input as a crash, and a printable form of arbitrary bytes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, ...)                                              \
    do {                                                                        \
        if (!(condition)) {                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, \
                         #condition);                                           \
            std::fprintf(stderr, __VA_ARGS__);                                  \
            std::fprintf(stderr, "\n");                                         \
            std::abort();                                                       \
        }                                                                       \
    } while (0)

// Bytes as C string text: printable ASCII as is, everything else as \xHH. Long texts are cut.
inline std::string FuzzEscape(const std::string& bytes, size_t limit = 300) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    if (bytes.size() > limit) out += "...(" + std::to_string(bytes.size()) + " bytes)";
    return out;
}
