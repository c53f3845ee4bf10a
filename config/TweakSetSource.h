// Which stored set a tweak set reads: the profile's own, or the global configuration.
#pragma once

#include <cstdint>
#include <string>

class CTweakConfig;

struct TweakSetSource {
    // The set key below HKEY_USERS whose tweaks Load reads.
    std::string keyPath;
    // True when that is the profile's own key; false for the global configuration, also for the
    // global set itself.
    bool own = false;
    // "Count" of that key as read (negative: none, so the set is empty).
    int32_t count = -1;
};

// A profile whose "Count" is missing or negative falls back to the global configuration.
TweakSetSource FindTweakSetSource(const CTweakConfig& set);
