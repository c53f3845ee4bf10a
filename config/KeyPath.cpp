// Key path comparison without regard to letter case, as the registry does it.
#include "config/KeyPath.h"

#include <vector>

namespace {

char FoldCase(char c) {
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

// The key names along path, folded to upper case; empty parts name no key.
std::vector<std::string> FoldedParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += FoldCase(c);
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

bool IsSameKeyPath(const std::string& a, const std::string& b) {
    return FoldedParts(a) == FoldedParts(b);
}

bool IsKeyPathWithin(const std::string& path, const std::string& ancestor) {
    const std::vector<std::string> inner = FoldedParts(path);
    const std::vector<std::string> outer = FoldedParts(ancestor);
    if (inner.size() < outer.size()) return false;
    for (size_t i = 0; i < outer.size(); ++i) {
        if (inner[i] != outer[i]) return false;
    }
    return true;
}
