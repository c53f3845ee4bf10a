// One tweak: a program started after a transfer, for chosen transfer types and file names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bits of m_nApplyTo; bit k stands for the host's transfer type k.
#define TWEAK_APPLY_DOWNLOAD 0x01
#define TWEAK_APPLY_VIEW 0x02
#define TWEAK_APPLY_OPEN 0x04
#define TWEAK_APPLY_MOVE_LOCAL 0x08
#define TWEAK_APPLY_UPLOAD 0x10
#define TWEAK_APPLY_MOVE_SERVER 0x20

class CTweakInfo;
class KeyValueReader;

// One value of a tweak's key as Save writes it: REG_SZ with text, or REG_DWORD with number.
struct StoredTweakValue {
    const char* name;
    uint32_t type;
    std::string text;
    uint32_t number;
    // Written only when not 0: the values that came after the first seven, so that a set that
    // leaves them off is stored, and exported, as it always was.
    bool onlyWhenSet;
};

// The values a tweak's key may hold, in the order Save writes them.
std::vector<StoredTweakValue> StoredValuesOf(const CTweakInfo& tweak);
// Those of them that Save writes for tweak.
std::vector<StoredTweakValue> WrittenValuesOf(const CTweakInfo& tweak);

// The longest "Time Limit" a tweak is given, a day in seconds; a larger one reads as none, as a
// value meant as milliseconds would otherwise read as weeks.
const uint32_t kMaxTimeLimit = 86400;

// Puts one value of a tweak's key into tweak as Load reads it: its text or number replaces the
// field, and a "Filter" text is parsed into filters added to the list. Other names change nothing.
void TakeStoredValue(CTweakInfo& tweak, const StoredTweakValue& value);

// Loads tweak's values from reader as Load reads them from the tweak's key: a value that is missing
// or not of its type keeps the field (a missing "Filter" adds no filter).
void LoadTweakValues(CTweakInfo& tweak, KeyValueReader& reader);

// Whether tweak's filters, stored as GetFilterString gives them, load back as the same list. They
// do for every list that ParseFilters gives and every list of entered filters; an empty item, an
// item holding ";" or one with leading white space after the first would load as other filters.
bool FiltersReloadAsThey(const CTweakInfo& tweak);

// The filters a text typed into the editor's filter field stands for: split at ";", each item
// without white space at either end, empty ones dropped. Filters entered so always reload as
// they are and match what they will match after the save.
std::vector<std::string> EnteredFilters(const std::string& text);

class CTweakInfo {
public:
    CTweakInfo();
    virtual ~CTweakInfo();

    CTweakInfo(const CTweakInfo&) = delete;
    CTweakInfo& operator=(const CTweakInfo&) = delete;

    std::string GetName() const;
    std::string GetExe() const;
    std::string GetParameters() const;
    void GetFilters(std::vector<std::string>& list) const;

    // keyPath is the record's key below HKEY_USERS.
    // False when the registry answered an error while reading (KeyValueReader::Failed).
    bool Load(const std::string& keyPath);
    void Save(const std::string& keyPath) const;

    void ParseFilters(const std::string& text);
    std::string GetFilterString() const;

    int AppliesTo(int type, const char* localPath) const;
    int MatchesFilter(const char* path) const;
    std::string BuildParameters(const char* localPath, const char* remotePath) const;

    std::string m_strName;
    std::string m_strExe;
    std::string m_strParameters;
    int32_t m_bEnabled;
    int32_t m_bIgnoreCase;
    uint32_t m_nApplyTo;
    std::vector<std::string> m_arrFilters;
    // Nonzero: when this tweak fails, the tweaks after it do not run for the transfer.
    int32_t m_bStopOnFailure;
    // Seconds the program may run before it is ended; 0 (or above kMaxTimeLimit) waits as long
    // as it runs.
    uint32_t m_nTimeLimit;
};
