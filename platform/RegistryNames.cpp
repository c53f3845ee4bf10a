// The registry's folding of letter case in names.
#include "platform/RegistryNames.h"

#include <algorithm>

char FoldRegistryNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return static_cast<char>(u - 'a' + 'A');
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 0x20);
    switch (u) {
    case 0x9A: return static_cast<char>(0x8A);  // š
    case 0x9C: return static_cast<char>(0x8C);  // œ
    case 0x9E: return static_cast<char>(0x8E);  // ž
    case 0xFF: return static_cast<char>(0x9F);  // ÿ
    default: return c;
    }
}

std::string FoldRegistryName(const std::string& name) {
    std::string folded = name;
    for (char& c : folded) c = FoldRegistryNameChar(c);
    return folded;
}

int CompareRegistryNames(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = static_cast<unsigned char>(FoldRegistryNameChar(a[i]));
        const unsigned char cb = static_cast<unsigned char>(FoldRegistryNameChar(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}
