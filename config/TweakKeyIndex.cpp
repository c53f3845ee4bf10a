// A tweak key name is read back only in the one spelling that TweakKeyName gives.
#include "config/TweakKeyIndex.h"

#include <cctype>

#include "config/TweakConfig.h"

long TweakIndexOfKeyName(const std::string& name) {
    const std::string prefix = "tweak ";
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 9) return -1;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return -1;
    }
    long index = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        index = index * 10 + (name[i] - '0');
    }
    return TweakKeyName(static_cast<size_t>(index)) == "Tweak " + name.substr(prefix.size()) ? index : -1;
}
