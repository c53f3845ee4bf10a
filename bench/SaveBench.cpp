// What a save of a tweak set costs against writing the same values once by raw registry calls,
// under Wine with the real registry: 10, 100 and 1,000 tweaks, median over several rounds that
// alternate the two. The save goes through the pending write (staged, committed, applied,
// removed) over a set of the same size, as the tweak list's OK does. Prints a Markdown table.
// Built in the mingw preset:
//
//     build/mingw/wine-run build/mingw/bin/bench_save.exe
//
// It writes below the profile "Save Bench" and removes that key at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "config/AppBase.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"

namespace {

const char* const kProfile = "Save Bench";

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void Fill(CTweakConfig& set, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        CTweakInfo* tweak = new CTweakInfo;
        tweak->m_strName = "Copy downloads " + std::to_string(i);
        tweak->m_strExe = "C:\\Windows\\System32\\xcopy.exe";
        tweak->m_strParameters = "\"%LOCAL_FILE_PATH%\" \"C:\\Backup\\Downloads\\\" /Y";
        tweak->m_nApplyTo = 1;
        tweak->ParseFilters("*.zip;*.txt");
        set.m_arrTweaks.push_back(tweak);
    }
}

// The same values once: one open per key, the seven values, one close.
void WriteRaw(const CTweakConfig& set) {
    const std::string key = set.GetKeyPath(0);
    HKEY setKey;
    if (RegCreateKeyA(HKEY_USERS, key.c_str(), &setKey) != ERROR_SUCCESS) return;
    for (size_t i = 0; i < set.m_arrTweaks.size(); ++i) {
        HKEY tweakKey;
        if (RegCreateKeyA(setKey, TweakKeyName(i).c_str(), &tweakKey) != ERROR_SUCCESS) continue;
        for (const StoredTweakValue& value : WrittenValuesOf(*set.m_arrTweaks[i])) {
            if (value.type == REG_DWORD) {
                const DWORD number = value.number;
                RegSetValueExA(tweakKey, value.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
            } else {
                RegSetValueExA(tweakKey, value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                               static_cast<DWORD>(value.text.size() + 1));
            }
        }
        RegCloseKey(tweakKey);
    }
    const DWORD count = static_cast<DWORD>(set.m_arrTweaks.size());
    RegSetValueExA(setKey, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
    RegCloseKey(setKey);
}

}  // namespace

int main() {
    CAppBase app;
    std::printf("| tweaks | save: median ms | raw writes: median ms | save / raw |\n|---|---|---|---|\n");
    int status = 0;
    for (size_t count : {size_t(10), size_t(100), size_t(1000)}) {
        CTweakConfig set(kProfile);
        Fill(set, count);
        const int rounds = count >= 1000 ? 7 : 21;
        std::vector<double> save, raw;
        for (int round = 0; round < rounds; ++round) {
            double start = Now();
            if (ReplaceStoredSet(set) != SetWriteResult::kWritten) status = 1;
            save.push_back(Now() - start);
            start = Now();
            WriteRaw(set);
            raw.push_back(Now() - start);
        }
        std::printf("| %zu | %.2f | %.2f | %.2f |\n", count, Median(save), Median(raw), Median(save) / Median(raw));
        RegDeleteTreeA(HKEY_USERS, set.GetKeyPath(0).c_str());
        RegDeleteKeyA(HKEY_USERS, set.GetKeyPath(0).c_str());
    }
    return status;
}
