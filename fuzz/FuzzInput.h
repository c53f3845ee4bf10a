// Turning fuzz bytes into the texts the add-on meets: names it knows in any letter case, arbitrary
// bytes, very long runs, and null pointers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

// One of the known texts, chosen by the input.
inline const std::string& Pick(FuzzedDataProvider& fdp, const std::vector<std::string>& known) {
    return known[fdp.ConsumeIntegralInRange<size_t>(0, known.size() - 1)];
}

// The text as written, in capitals, in small letters, or with the case of chosen ASCII letters
// flipped: the registry and the profile comparison must not care.
inline std::string CaseVariant(FuzzedDataProvider& fdp, const std::string& text) {
    std::string out = text;
    const int mode = fdp.ConsumeIntegralInRange<int>(0, 3);
    const uint32_t mask = mode == 3 ? fdp.ConsumeIntegral<uint32_t>() : 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        const bool lower = c >= 'a' && c <= 'z';
        const bool upper = c >= 'A' && c <= 'Z';
        if (!lower && !upper) continue;
        bool flip = false;
        if (mode == 1) flip = lower;
        if (mode == 2) flip = upper;
        if (mode == 3) flip = ((mask >> (i % 32)) & 1) != 0;
        if (flip) out[i] = static_cast<char>(c ^ 0x20);
    }
    return out;
}

// A text of up to maxLength bytes made by repeating a short piece of the input.
inline std::string LongText(FuzzedDataProvider& fdp, size_t maxLength) {
    const size_t length = fdp.ConsumeIntegralInRange<size_t>(0, maxLength);
    std::string piece = fdp.ConsumeRandomLengthString(8);
    if (piece.empty()) piece = "x";
    std::string text;
    text.reserve(length);
    while (text.size() < length) text += piece;
    text.resize(length);
    return text;
}

// Cuts a text at its first zero byte, as a C string would end there.
inline std::string CText(std::string text) {
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return text;
}

// A C string argument: null, a known text (in any letter case, possibly with a tail), input
// bytes, or a very long text. Never holds a zero byte.
inline std::optional<std::string> ChooseCString(FuzzedDataProvider& fdp,
                                                const std::vector<std::string>& known,
                                                size_t maxLong = 70000) {
    switch (fdp.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
        return std::nullopt;
    case 1:
    case 2:
        return CaseVariant(fdp, Pick(fdp, known));
    case 3: {
        std::string text = Pick(fdp, known);
        return text + CText(fdp.ConsumeRandomLengthString(24));
    }
    case 4:
        return CText(LongText(fdp, maxLong));
    default:
        return CText(fdp.ConsumeRandomLengthString(48));
    }
}

inline const char* CStr(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}
