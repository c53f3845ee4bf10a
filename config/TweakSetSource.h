// Which stored set a tweak set reads: the profile's own, or the global configuration.
#pragma once

#include <cstdint>
#include <string>

class ConfigurationTurn;
class CTweakConfig;
struct KeySnapshot;

struct TweakSetSource {
    // The set key below HKEY_USERS whose tweaks Load reads.
    std::string keyPath;
    // True when that is the profile's own key; false for the global configuration, also for the
    // global set itself.
    bool own = false;
    // "Count" of that key as read (negative: none, so the set is empty).
    int32_t count = -1;
    // Where a write that changes that set is left pending (see ConfigurationTurn::StagedParts),
    // what the write makes it hold, from which its tweaks are read, valid for the turn's life;
    // else null.
    const KeySnapshot* staged = nullptr;
};

// A profile whose "Count" is missing or negative falls back to the global configuration. turn: the
// caller's, and sets that a pending write changes are read as it writes them (as Load reads them);
// or null to take one for the call, completing what can be completed, and to find the set in the
// registry as it then is (staged is null), for readers of the registry's keys themselves.
TweakSetSource FindTweakSetSource(const CTweakConfig& set, const ConfigurationTurn* turn = nullptr);
