// The ordered tweaks of one server profile, or of the global configuration.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class CTweakInfo;

class CTweakConfig {
public:
    explicit CTweakConfig(const char* profile);
    virtual ~CTweakConfig();

    CTweakConfig(const CTweakConfig&) = delete;
    CTweakConfig& operator=(const CTweakConfig&) = delete;

    // The set's key below HKEY_USERS; bGlobal nonzero asks for the global key whatever the profile.
    std::string GetKeyPath(int bGlobal) const;
    void Load();
    void Save();
    void RemoveAll();

    // Starts every tweak that applies, in list order, and waits for each to end.
    void RunTweaks(int type, const char* localPath, const char* remotePath);

    std::string m_strProfile;
    // Owned records, in registry order.
    std::vector<CTweakInfo*> m_arrTweaks;

    // Held while the list changes and while the runner examines and starts one tweak, never
    // while it waits for a program, so that a reload during a run is safe.
    mutable std::mutex m_lock;
};
