// The tweak record: defaults, its registry form and the text form of its filter list.
#include "config/TweakInfo.h"

#include <algorithm>
#include <cstring>

#include "config/AppBase.h"
#include "config/RegistryValues.h"

namespace {
const char* const kWhiteSpace = " \t\n\r\v\f";
}

CTweakInfo::CTweakInfo() : m_bEnabled(1), m_bIgnoreCase(1), m_nApplyTo(0), m_bStopOnFailure(0), m_nTimeLimit(0) {}

CTweakInfo::~CTweakInfo() = default;

std::string CTweakInfo::GetName() const { return m_strName; }
std::string CTweakInfo::GetExe() const { return m_strExe; }
std::string CTweakInfo::GetParameters() const { return m_strParameters; }

void CTweakInfo::GetFilters(std::vector<std::string>& list) const { list = m_arrFilters; }

bool CTweakInfo::Load(const std::string& keyPath) {
    if (AfxGetApp() == nullptr) return true;
    // One open of the record's key for all its values, each read by the rule of ReadRegString or
    // ReadRegDword; the key is closed again before Load returns.
    KeyValueReader reader(HKEY_USERS, keyPath.c_str());
    LoadTweakValues(*this, reader);
    return !reader.Failed();
}

void LoadTweakValues(CTweakInfo& tweak, KeyValueReader& reader) {
    for (StoredTweakValue value : StoredValuesOf(tweak)) {
        if (value.type == REG_SZ) {
            // A missing "Filter" adds no filter; a missing text keeps the field.
            const std::string def = std::strcmp(value.name, "Filter") == 0 ? std::string() : value.text;
            value.text = reader.String(value.name, def);
        } else {
            value.number = static_cast<uint32_t>(reader.Dword(value.name, static_cast<int32_t>(value.number)));
        }
        TakeStoredValue(tweak, value);
    }
}

std::vector<StoredTweakValue> StoredValuesOf(const CTweakInfo& tweak) {
    return {
        {"Name", REG_SZ, tweak.m_strName, 0, false},
        {"Exe", REG_SZ, tweak.m_strExe, 0, false},
        {"Parameters", REG_SZ, tweak.m_strParameters, 0, false},
        {"Enabled", REG_DWORD, std::string(), static_cast<uint32_t>(tweak.m_bEnabled), false},
        {"Ignore Case", REG_DWORD, std::string(), static_cast<uint32_t>(tweak.m_bIgnoreCase), false},
        {"Apply To", REG_DWORD, std::string(), tweak.m_nApplyTo, false},
        {"Filter", REG_SZ, tweak.GetFilterString(), 0, false},
        {"Stop On Failure", REG_DWORD, std::string(), static_cast<uint32_t>(tweak.m_bStopOnFailure), true},
        {"Time Limit", REG_DWORD, std::string(), tweak.m_nTimeLimit, true},
    };
}

std::vector<StoredTweakValue> WrittenValuesOf(const CTweakInfo& tweak) {
    std::vector<StoredTweakValue> values = StoredValuesOf(tweak);
    values.erase(std::remove_if(values.begin(), values.end(),
                                [](const StoredTweakValue& value) { return value.onlyWhenSet && value.number == 0; }),
                 values.end());
    return values;
}

void TakeStoredValue(CTweakInfo& tweak, const StoredTweakValue& value) {
    const std::string name = value.name;
    if (name == "Name") tweak.m_strName = value.text;
    if (name == "Exe") tweak.m_strExe = value.text;
    if (name == "Parameters") tweak.m_strParameters = value.text;
    if (name == "Enabled") tweak.m_bEnabled = static_cast<int32_t>(value.number);
    if (name == "Ignore Case") tweak.m_bIgnoreCase = static_cast<int32_t>(value.number);
    if (name == "Apply To") tweak.m_nApplyTo = value.number;
    if (name == "Filter") tweak.ParseFilters(value.text);
    if (name == "Stop On Failure") tweak.m_bStopOnFailure = static_cast<int32_t>(value.number);
    if (name == "Time Limit") tweak.m_nTimeLimit = value.number;
}

void CTweakInfo::Save(const std::string& keyPath) const {
    const CAppBase* app = AfxGetApp();
    if (app == nullptr) return;
    const char* key = keyPath.c_str();
    for (const StoredTweakValue& value : WrittenValuesOf(*this)) {
        if (value.type == REG_SZ) {
            app->WriteRegString(HKEY_USERS, key, value.name, value.text.c_str());
        } else {
            app->WriteRegDword(HKEY_USERS, key, value.name, static_cast<int32_t>(value.number));
        }
    }
}

// Stored filter texts depend on these exact rules: empty items are dropped, items after a ";"
// lose their leading white space, only the last item loses its trailing white space.
void CTweakInfo::ParseFilters(const std::string& text) {
    std::string s = text;
    for (size_t p = s.find(';'); p != std::string::npos; p = s.find(';')) {
        if (p > 0) m_arrFilters.push_back(s.substr(0, p));
        s.erase(0, p + 1);
        s.erase(0, s.find_first_not_of(kWhiteSpace));
    }
    const size_t last = s.find_last_not_of(kWhiteSpace);
    s.erase(last == std::string::npos ? 0 : last + 1);
    if (!s.empty()) m_arrFilters.push_back(s);
}

std::string CTweakInfo::GetFilterString() const {
    std::string text;
    for (const std::string& filter : m_arrFilters) text += filter + ";";
    // The last item would lose its trailing white space on reload; a final ";" keeps it.
    const bool keepsBlank = !m_arrFilters.empty() && !m_arrFilters.back().empty() &&
                            std::string(kWhiteSpace).find(m_arrFilters.back().back()) != std::string::npos;
    if (!text.empty() && !keepsBlank) text.pop_back();
    return text;
}

bool FiltersReloadAsThey(const CTweakInfo& tweak) {
    CTweakInfo reloaded;
    reloaded.ParseFilters(tweak.GetFilterString());
    return reloaded.m_arrFilters == tweak.m_arrFilters;
}

std::vector<std::string> EnteredFilters(const std::string& text) {
    std::vector<std::string> filters;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find(';', start), text.size());
        const size_t first = text.find_first_not_of(kWhiteSpace, start);
        if (first != std::string::npos && first < end) {
            const size_t last = text.find_last_not_of(kWhiteSpace, end - 1);
            filters.push_back(text.substr(first, last + 1 - first));
        }
        start = end + 1;
    }
    return filters;
}
