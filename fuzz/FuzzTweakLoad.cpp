// Loading a tweak set from whatever the registry holds. The input builds a tree below the
// configuration root (the global set key, a profile's set key, their tweak keys and others, with
// values of any name, type and size, a "Count" of any value), then the profile's set is loaded.
// Checked: the set never exceeds CTweakConfig::kMaxTweaks; every record holds what its key holds
// (read from the stored tree independently of the product's readers); a save into a fresh profile
// and a load give the same records, and so does a second save and load; no key handle stays open.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config/AppBase.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/Layout.h"
#include "tests/common/StandIns.h"

namespace {

const std::string kGlobalName = kGlobalSetName;
const std::vector<std::string> kProfileNames = {
    "", "Work", "work", kGlobalName, kGlobalName + "\\Tweak 00", "a\\b", "\\", "Work\\\\",
    "\xC4rger", "\xE4RGER", "Tweak 00"};
const std::vector<std::string> kValueNames = {
    "Count", "Name", "Exe", "Parameters", "Enabled", "Ignore Case", "Apply To", "Filter", "", "Counts"};
const std::vector<std::string> kFilterTexts = {
    "*.txt;*.csv", " a ;b ;", ";;a;;", " ;b", "a;", "a ;", "   ", "[ab;\\", "*\t;\v"};
const uint32_t kTypes[] = {REG_SZ, REG_DWORD, REG_BINARY, REG_EXPAND_SZ, REG_MULTI_SZ, REG_NONE, 11};

// Above this many records the round trip is skipped: the in-memory registry's linear key search
// would make one input take seconds. The bound and the loaded fields are checked at every size.
const size_t kRoundTripLimit = 300;

std::string TweakKeyName(uint32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "Tweak %02u", index);
    return name;
}

std::string SetKey(const std::string& profile) {
    return profile.empty() ? GlobalKey() : ProfileKey(profile);
}

// A key path below HKEY_USERS for one value write.
std::string ChooseKey(FuzzedDataProvider& fdp, const std::string& profile) {
    std::string key;
    switch (fdp.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: key = SetKey(std::string()); break;
    case 1: case 2: key = SetKey(profile); break;
    case 3: key = std::string(kConfigRoot) + CaseVariant(fdp, "Configurations\\" + kGlobalName); break;
    case 4:
        key = ProfileKey(CText(fdp.ConsumeRandomLengthString(20)));
        break;
    default: key = std::string(kConfigRoot) + CText(fdp.ConsumeRandomLengthString(20)); break;
    }
    switch (fdp.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: return key;
    case 1:
    case 2: {
        const std::string name = TweakKeyName(fdp.ConsumeIntegralInRange<uint32_t>(0, 12));
        return key + "\\" + CaseVariant(fdp, name);
    }
    case 3: return key + "\\" + TweakKeyName(fdp.ConsumeIntegral<uint16_t>());
    case 4: return key + "\\Tweak " + std::to_string(fdp.ConsumeIntegralInRange<int>(-2, 12));
    default: return key + "\\" + CText(fdp.ConsumeRandomLengthString(16));
    }
}

std::vector<uint8_t> Le32(int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    return {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
}

// A "Count" past the bound costs a load of kMaxTweaks records, about half a second here; such
// counts are kept rare so that the other inputs get their share of the time.
int32_t ChooseCount(FuzzedDataProvider& fdp) {
    if (fdp.ConsumeIntegralInRange<int>(0, 15) != 0) return fdp.ConsumeIntegralInRange<int32_t>(-3, 20);
    return fdp.ConsumeIntegral<int32_t>();
}

std::vector<uint8_t> ChooseData(FuzzedDataProvider& fdp) {
    std::string bytes;
    switch (fdp.ConsumeIntegralInRange<int>(0, 6)) {
    case 0:
    case 1: return Le32(ChooseCount(fdp));
    case 2: bytes = CaseVariant(fdp, Pick(fdp, kFilterTexts)) + '\0'; break;
    case 3: bytes = LongText(fdp, 9000); break;
    case 4: bytes = CText(fdp.ConsumeRandomLengthString(40)) + '\0'; break;
    default: bytes = fdp.ConsumeRandomLengthString(40); break;
    }
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void Write(MemoryRegistry& reg, const std::string& key, const std::optional<std::string>& valueName,
           uint32_t type, std::vector<uint8_t> data, uint8_t after) {
    HKEY handle = nullptr;
    if (reg.CreateKey(HKEY_USERS, key.c_str(), &handle) != ERROR_SUCCESS) return;
    if (valueName) {
        const uint32_t size = static_cast<uint32_t>(data.size());
        // The byte after the data is the input's: a zero there makes the registry keep it with a
        // string, as Windows does.
        data.push_back(after);
        reg.SetValue(handle, valueName->c_str(), type, data.data(), size);
    }
    reg.CloseKey(handle);
}

void BuildTree(FuzzedDataProvider& fdp, MemoryRegistry& reg, const std::string& profile) {
    for (int op = 0; op < 48 && fdp.remaining_bytes() > 0; ++op) {
        const int kind = fdp.ConsumeIntegralInRange<int>(0, 4);
        if (kind == 0) {
            // "Count" of one of the two set keys, the value the load starts from.
            const std::string key = fdp.ConsumeBool() ? SetKey(profile) : SetKey(std::string());
            const uint32_t type = fdp.ConsumeBool() ? REG_DWORD : fdp.PickValueInArray(kTypes);
            const std::string name = CaseVariant(fdp, "Count");
            std::vector<uint8_t> bytes = ChooseData(fdp);
            Write(reg, key, name, type, std::move(bytes), fdp.ConsumeIntegral<uint8_t>());
            continue;
        }
        const std::string key = ChooseKey(fdp, profile);
        if (kind == 1) {
            Write(reg, key, std::nullopt, 0, {}, 0);
            continue;
        }
        const std::string valueName = fdp.ConsumeIntegralInRange<int>(0, 7) != 0
                                          ? CaseVariant(fdp, Pick(fdp, kValueNames))
                                          : CText(fdp.ConsumeRandomLengthString(12));
        const uint32_t type = fdp.ConsumeIntegralInRange<int>(0, 7) != 0
                                  ? fdp.PickValueInArray(kTypes)
                                  : fdp.ConsumeIntegral<uint32_t>();
        std::vector<uint8_t> bytes = ChooseData(fdp);
        Write(reg, key, valueName, type, std::move(bytes), fdp.ConsumeIntegral<uint8_t>());
    }
}

// --- What a load must give, read straight from the stored tree ---------------------------------

std::optional<int32_t> StoredDword(const MemoryRegistry::Key* key, const char* name) {
    const MemoryRegistry::Value* value = key ? key->FindValue(name) : nullptr;
    if (value == nullptr || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
    const std::vector<uint8_t>& d = value->data;
    return static_cast<int32_t>(uint32_t(d[0]) | uint32_t(d[1]) << 8 | uint32_t(d[2]) << 16 |
                                uint32_t(d[3]) << 24);
}

std::string StoredText(const MemoryRegistry::Key* key, const char* name) {
    const MemoryRegistry::Value* value = key ? key->FindValue(name) : nullptr;
    if (value == nullptr || value->type != REG_SZ) return std::string();
    return CText(std::string(value->data.begin(), value->data.end()));
}

struct Record {
    std::string name, exe, parameters;
    int32_t enabled = 1, ignoreCase = 1;
    uint32_t applyTo = 0;
    std::vector<std::string> filters;
};

Record FromTweak(const CTweakInfo& tweak) {
    return Record{tweak.m_strName,     tweak.m_strExe,      tweak.m_strParameters, tweak.m_bEnabled,
                  tweak.m_bIgnoreCase, tweak.m_nApplyTo,    tweak.m_arrFilters};
}

Record FromKey(const MemoryRegistry::Key* key) {
    Record record;
    record.name = StoredText(key, "Name");
    record.exe = StoredText(key, "Exe");
    record.parameters = StoredText(key, "Parameters");
    record.enabled = StoredDword(key, "Enabled").value_or(1);
    record.ignoreCase = StoredDword(key, "Ignore Case").value_or(1);
    record.applyTo = static_cast<uint32_t>(StoredDword(key, "Apply To").value_or(0));
    CTweakInfo parsed;
    parsed.ParseFilters(StoredText(key, "Filter"));
    record.filters = parsed.m_arrFilters;
    return record;
}

std::string Diff(const Record& a, const Record& b) {
    std::string text;
    auto field = [&](const char* what, const std::string& x, const std::string& y) {
        if (x == y) return;
        text += std::string(" ") + what + " \"" + FuzzEscape(x) + "\" vs \"" + FuzzEscape(y) + "\"";
    };
    field("name", a.name, b.name);
    field("exe", a.exe, b.exe);
    field("parameters", a.parameters, b.parameters);
    field("enabled", std::to_string(a.enabled), std::to_string(b.enabled));
    field("ignore case", std::to_string(a.ignoreCase), std::to_string(b.ignoreCase));
    field("apply to", std::to_string(a.applyTo), std::to_string(b.applyTo));
    std::string fa, fb;
    for (const std::string& f : a.filters) fa += "[" + f + "]";
    for (const std::string& f : b.filters) fb += "[" + f + "]";
    field("filters", fa, fb);
    return text;
}

void CheckRecords(const CTweakConfig& config, const std::vector<Record>& expected,
                  const char* stage) {
    FUZZ_CHECK(config.m_arrTweaks.size() == expected.size(), "%s: %zu records, expected %zu", stage,
               config.m_arrTweaks.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(config.m_arrTweaks[i] != nullptr, "%s: record %zu is null", stage, i);
        const std::string diff = Diff(FromTweak(*config.m_arrTweaks[i]), expected[i]);
        FUZZ_CHECK(diff.empty(), "%s: record %zu differs:%s", stage, i, diff.c_str());
    }
}

// A profile name whose key the input did not make.
std::string FreshProfile(const MemoryRegistry& reg, const char* stem) {
    for (int n = 0;; ++n) {
        const std::string name = std::string(stem) + " " + std::to_string(n);
        if (!reg.Snapshot(HKEY_USERS, SetKey(name))) return name;
    }
}

// Saves the records of from as the set of a fresh profile, and loads that set anew.
std::unique_ptr<CTweakConfig> SaveAndLoadFresh(const MemoryRegistry& reg, CTweakConfig& from,
                                               const char* stem) {
    CTweakConfig saved(FreshProfile(reg, stem).c_str());
    saved.m_arrTweaks.swap(from.m_arrTweaks);
    saved.Save();
    from.m_arrTweaks.swap(saved.m_arrTweaks);
    auto loaded = std::make_unique<CTweakConfig>(saved.m_strProfile.c_str());
    loaded->Load();
    return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    MemoryRegistry reg;
    StandIns standIns{reg};
    {
        CAppBase app;
        const std::string profile = fdp.ConsumeBool() ? CaseVariant(fdp, Pick(fdp, kProfileNames))
                                                      : CText(fdp.ConsumeRandomLengthString(24));
        BuildTree(fdp, reg, profile);

        CTweakConfig config(profile.c_str());
        config.Load();
        FUZZ_CHECK(config.m_arrTweaks.size() <= static_cast<size_t>(CTweakConfig::kMaxTweaks),
                   "%zu records loaded, more than %d", config.m_arrTweaks.size(),
                   CTweakConfig::kMaxTweaks);

        // The set a load must give: the profile's own "Count" if it has one that is not negative,
        // else the global one; "Count" beyond the bound reads the bound.
        std::vector<Record> expected;
        for (int pass = 0; pass < 2; ++pass) {
            const std::string key = SetKey(pass == 0 ? profile : std::string());
            const std::optional<MemoryRegistry::Key> set = reg.Snapshot(HKEY_USERS, key);
            const int32_t count = StoredDword(set ? &*set : nullptr, "Count").value_or(-1);
            if (count < 0) continue;
            const int32_t records = std::min(count, CTweakConfig::kMaxTweaks);
            for (uint32_t j = 0; j < static_cast<uint32_t>(records); ++j) {
                expected.push_back(FromKey(set->FindSubkey(TweakKeyName(j))));
            }
            break;
        }
        CheckRecords(config, expected, "load");
        FUZZ_CHECK(reg.OpenHandleCount() == 0, "load left %zu key handles open", reg.OpenHandleCount());

        if (config.m_arrTweaks.size() <= kRoundTripLimit) {
            // What a load gives, a save stores so that the next load gives it again.
            const std::unique_ptr<CTweakConfig> first = SaveAndLoadFresh(reg, config, "Round Trip");
            CheckRecords(*first, expected, "save and load");

            const std::unique_ptr<CTweakConfig> second =
                SaveAndLoadFresh(reg, *first, "Second Trip");
            CheckRecords(*second, expected, "second save and load");
        }
        FUZZ_CHECK(reg.OpenHandleCount() == 0, "save left %zu key handles open",
                   reg.OpenHandleCount());
    }
    return 0;
}
