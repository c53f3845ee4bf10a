// The ordered tweaks of one server profile, or of the global configuration.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CTweakInfo;
class ITweakRunReport;

// The name of record index's key below the set's key: "Tweak %02d".
std::string TweakKeyName(size_t index);

class CTweakConfig {
public:
    explicit CTweakConfig(const char* profile);
    virtual ~CTweakConfig();

    CTweakConfig(const CTweakConfig&) = delete;
    CTweakConfig& operator=(const CTweakConfig&) = delete;

    // The set's key below HKEY_USERS; bGlobal nonzero asks for the global key whatever the profile.
    std::string GetKeyPath(int bGlobal) const;
    // Reads "Count" records of the profile's key, or of the global key when the profile has no
    // "Count" of its own (missing or negative). A "Count" above kMaxTweaks reads kMaxTweaks records.
    void Load();
    void Save();
    void RemoveAll();

    // Starts every tweak that applies, in list order, and waits for each to end.
    void RunTweaks(int type, const char* localPath, const char* remotePath);
    // The same run, telling report (when not null) what it decided and started for each tweak.
    void RunTweaks(int type, const char* localPath, const char* remotePath, ITweakRunReport* report);

    // The most records Load reads, so that a damaged "Count" cannot exhaust memory.
    static constexpr int32_t kMaxTweaks = 10000;

    std::string m_strProfile;
    // Owned records, in registry order.
    std::vector<CTweakInfo*> m_arrTweaks;

    // Held while the list changes and while the runner examines one tweak and copies what its
    // start needs; never during the shell call or the wait, so that a save reached from there
    // cannot wait for the run that led to it.
    mutable std::mutex m_lock;
};
