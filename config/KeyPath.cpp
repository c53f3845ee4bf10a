// Key path comparison without regard to letter case, as the registry does it.
#include "config/KeyPath.h"

#include <vector>

#include "platform/RegistryNames.h"

namespace {

// The key names along path, folded to upper case.
std::vector<std::string> FoldedParts(const std::string& path) {
    std::vector<std::string> parts = KeyPathParts(path);
    for (std::string& part : parts) part = FoldRegistryName(part);
    return parts;
}

}  // namespace

std::vector<std::string> KeyPathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

bool IsSameKeyPath(const std::string& a, const std::string& b) {
    return FoldedParts(a) == FoldedParts(b);
}

std::string FoldedKeyPath(const std::string& path) {
    std::string folded;
    for (const std::string& part : FoldedParts(path)) folded += (folded.empty() ? "" : "\\") + part;
    return folded;
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
