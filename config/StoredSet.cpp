// The tweak list's save: replace the stored set, read it back, and undo a save that failed.
#include "config/StoredSet.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "config/KeySnapshot.h"
#include "config/ProfileKeys.h"
#include "config/RegistryEnum.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

namespace {

bool HoldsValue(const EnumeratedValue& found, const StoredTweakValue& expected) {
    if (found.type != expected.type) return false;
    if (expected.type == REG_DWORD) {
        const uint32_t bits = expected.number;
        const uint8_t data[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16),
                                 uint8_t(bits >> 24)};
        return found.size == 4 && std::memcmp(found.data.data(), data, 4) == 0;
    }
    const std::string& text = expected.text;
    return found.size == text.size() + 1 && std::memcmp(found.data.data(), text.data(), text.size()) == 0 &&
           found.data[text.size()] == 0;
}

// Whether the key holds exactly the values expected (each once, none missing) and, with
// wholeKey, no subkeys but the tweak keys "Tweak %02d" whose positions subkeys marks.
bool KeyHolds(IRegistry& registry, const std::string& path, const std::vector<StoredTweakValue>& expected,
              const std::vector<bool>& subkeys, bool wholeKey) {
    HKEY key;
    if (registry.OpenKey(HKEY_USERS, path.c_str(), &key) != ERROR_SUCCESS) return false;
    bool holds = true;
    std::vector<bool> seen(expected.size(), false);
    EnumeratedValue value;
    uint32_t index = 0;
    long error;
    for (; holds && (error = EnumValueWhole(registry, key, index, &value)) == ERROR_SUCCESS; ++index) {
        size_t match = 0;
        while (match < expected.size() && !IsSameRegistryName(value.name.data(), expected[match].name)) ++match;
        if (match == expected.size()) {
            holds = !wholeKey;
        } else {
            holds = !seen[match] && HoldsValue(value, expected[match]);
            seen[match] = true;
        }
    }
    if (holds && error != ERROR_NO_MORE_ITEMS) holds = false;
    for (bool s : seen) holds = holds && s;

    // Each name is read back as its position, so that a set of any size is checked in linear time.
    std::string name;
    std::vector<bool> seenKey(wholeKey ? subkeys.size() : 0, false);
    size_t count = 0;
    for (index = 0; holds && wholeKey && (error = EnumKeyName(registry, key, index, &name)) == ERROR_SUCCESS;
         ++index, ++count) {
        const long at = TweakIndexOfKeyName(name);
        holds = at >= 0 && static_cast<size_t>(at) < subkeys.size() && subkeys[static_cast<size_t>(at)] &&
                !seenKey[static_cast<size_t>(at)];
        if (holds) seenKey[static_cast<size_t>(at)] = true;
    }
    if (holds && wholeKey) {
        holds = error == ERROR_NO_MORE_ITEMS &&
                count == static_cast<size_t>(std::count(subkeys.begin(), subkeys.end(), true));
    }
    registry.CloseKey(key);
    return holds;
}

}  // namespace

bool HoldsExactly(const CTweakConfig& config, bool wholeKey) {
    IRegistry& registry = GetRegistry();
    const std::string key = config.GetKeyPath(0);
    std::vector<std::vector<StoredTweakValue>> records;
    std::vector<bool> present;
    {
        std::lock_guard<std::mutex> guard(config.m_lock);
        for (const CTweakInfo* tweak : config.m_arrTweaks) {
            // What is stored must run as the record would: filters whose text reloads as other
            // filters (a trailing blank, an empty item) are no save.
            if (tweak != nullptr && !FiltersReloadAsThey(*tweak)) return false;
            records.push_back(tweak ? StoredValuesOf(*tweak) : std::vector<StoredTweakValue>());
            present.push_back(tweak != nullptr);
        }
    }
    const StoredTweakValue count{"Count", REG_DWORD, std::string(), static_cast<uint32_t>(records.size())};
    if (!KeyHolds(registry, key, {count}, present, wholeKey)) return false;
    for (size_t i = 0; i < records.size(); ++i) {
        const std::string tweakKey = key + "\\" + TweakKeyName(i);
        if (present[i]) {
            if (!KeyHolds(registry, tweakKey, records[i], {}, wholeKey)) return false;
        } else if (!wholeKey) {
            // A missing record must stay a missing key, which Load reads as a fresh record.
            HKEY stale;
            if (registry.OpenKey(HKEY_USERS, tweakKey.c_str(), &stale) != ERROR_FILE_NOT_FOUND) {
                if (stale != nullptr) registry.CloseKey(stale);
                return false;
            }
        }
    }
    return true;
}

bool ReplaceStoredSet(CTweakConfig& config) {
    CAppBase* app = AfxGetApp();
    if (app == nullptr) return false;
    const std::string key = config.GetKeyPath(0);
    const bool replace = CanReplaceSetKey(config);
    KeySnapshot before;
    const bool known = TakeKeySnapshot(key, &before);

    if (replace) app->DeleteRegTree(key.c_str());
    config.Save();
    if (HoldsExactly(config, replace)) return true;

    // A save that did not arrive must not leave half a set behind: what was stored before comes
    // back, as far as the registry lets it.
    if (replace && known) {
        app->DeleteRegTree(key.c_str());
        WriteKeySnapshot(key, before);
        app->ReloadSessions(config.m_strProfile.c_str());
    }
    return false;
}
