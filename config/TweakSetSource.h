// Which stored set a tweak set reads: the profile's own, or the global configuration.
#pragma once

#include <cstdint>
#include <string>

class ConfigurationView;
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
    // Where a committed write that changes that set is not yet in place (see
    // ConfigurationView::StagedParts), what the write makes it hold, from which its tweaks are
    // read, valid for the view's life; else null.
    const KeySnapshot* staged = nullptr;
    // False when the registry answered an error other than "not found" for a "Count": which set
    // runs is then not known, and nothing read may be acted on.
    bool readable = true;
};

// A profile whose "Count" is missing or negative falls back to the global configuration. view: the
// caller's, and sets that a committed write changes are read as it writes them (as Load reads
// them); or null to find the set in the registry's keys as they are (staged is null), for readers
// of the registry's keys themselves. Takes no lock and writes nothing.
TweakSetSource FindTweakSetSource(const CTweakConfig& set, const ConfigurationView* view = nullptr);
