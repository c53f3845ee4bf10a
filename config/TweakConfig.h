// The ordered tweaks of one server profile, or of the global configuration.
#pragma once

#include <cstdint>
#include <memory>
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
    // False, and the records as they were, when the registry kept answering an error other than
    // "not found" (a default then would run what nobody saved) or writes kept landing.
    bool Load();
    // Stores the records as the set, whole, as one write (WriteStoredSets): "Count" and the tweak
    // keys, nothing else of the set key; then the live sessions of the profile reload, whatever
    // the write achieved.
    void Save();
    void RemoveAll();

    // Starts every tweak that applies, in list order, and waits for each to end.
    void RunTweaks(int type, const char* localPath, const char* remotePath);
    // The same run, telling report (when not null) what it decided and started for each tweak.
    void RunTweaks(int type, const char* localPath, const char* remotePath, ITweakRunReport* report);

    // The list as it is now, whole. Its records stay alive, unchanged, while the snapshot is held,
    // even when a reload or RemoveAll takes them out of the list meanwhile; so a run reads the set
    // it began with. Any thread; the records must not be changed in place while a snapshot of
    // them is held (only the tweak list's own set is, and it never runs).
    struct Snapshot {
        std::vector<const CTweakInfo*> tweaks;
        std::shared_ptr<const void> keepAlive;
    };
    Snapshot TakeSnapshot() const;

    // The most records Load reads, so that a damaged "Count" cannot exhaust memory.
    static constexpr int32_t kMaxTweaks = 10000;

    std::string m_strProfile;
    // Owned records, in registry order.
    std::vector<CTweakInfo*> m_arrTweaks;

    // Held while the list changes and while a snapshot is taken; never during a run, so that a
    // save reached from a run's shell call or wait cannot wait for the run that led to it.
    mutable std::mutex m_lock;

private:
    class Records;
    // Replaces the list by records and hands the records taken out to the snapshots that hold
    // them, or deletes them when none does.
    void ReplaceRecords(std::vector<CTweakInfo*> records);

    // Owns, from the moment they leave the list, the records that the snapshots taken since the
    // last replacement may hold. Under m_lock.
    std::shared_ptr<Records> m_records;
};
