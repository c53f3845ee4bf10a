// What following the stored configuration and reading sets cost, under Wine, with the add-on's
// own core in this process: a transfer event with the watch asked first (and nothing changed)
// against the same event without it, 1,000 each, alternating; and the load of a set of 10, 100
// and 1,000 tweaks against reading the same keys with raw registry calls (each tweak key opened
// once, its values enumerated) and against reading every value on its own, as sets were read
// before. Prints Markdown tables. Built in the mingw preset:
//
//     build/mingw/wine-run build/mingw/bin/bench_load.exe
//
// It leaves the prefix's registry as it found it but for the run record's switch, which it
// removes (the default: on).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "addon/ZTTrevanelApp.h"
#include "bench/BenchSupport.h"
#include "config/RegistryValues.h"
#include "runner/RunRecord.h"

namespace {

// Every value of every tweak key of the set, each key opened once and its values enumerated.
size_t RawLoad(const std::string& setKey) {
    HKEY set;
    if (RegOpenKeyA(HKEY_USERS, setKey.c_str(), &set) != ERROR_SUCCESS) return 0;
    DWORD count = 0, size = sizeof count;
    RegQueryValueExA(set, "Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
    RegCloseKey(set);
    size_t values = 0;
    for (DWORD i = 0; i < count; ++i) {
        HKEY key;
        if (RegOpenKeyA(HKEY_USERS, (setKey + "\\" + TweakKeyName(i)).c_str(), &key) != ERROR_SUCCESS) continue;
        char name[256];
        BYTE data[1024];
        for (DWORD index = 0;; ++index) {
            DWORD nameLen = sizeof name, dataSize = sizeof data, type = 0;
            if (RegEnumValueA(key, index, name, &nameLen, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
            ++values;
        }
        RegCloseKey(key);
    }
    return values;
}

// The road sets were read by before: every value opened, sized, read and closed on its own.
size_t PerValueLoad(const std::string& setKey) {
    const int32_t count = ReadRegDword(HKEY_USERS, setKey.c_str(), "Count", -1);
    size_t values = 0;
    for (int32_t i = 0; i < count; ++i) {
        const std::string key = setKey + "\\" + TweakKeyName(static_cast<size_t>(i));
        CTweakInfo tweak;
        for (const StoredTweakValue& value : StoredValuesOf(tweak)) {
            if (value.type == REG_SZ) {
                ReadRegString(HKEY_USERS, key.c_str(), value.name, value.text);
            } else {
                ReadRegDword(HKEY_USERS, key.c_str(), value.name, 0);
            }
            ++values;
        }
    }
    return values;
}

}  // namespace

int main() {
    CZTTrevanelApp app;
    char folder[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, folder, sizeof folder);
    const std::string exe = std::string(folder).substr(0, std::string(folder).find_last_of('\\') + 1) + "Recorder.exe";
    const Stopwatch watch;
    bool failed = false;
    SetRunRecordOn(false);

    StoreSet("Bench watch", 1, exe, "*.pdf");
    const auto session = app.CreateSession(reinterpret_cast<void*>(1), "Bench watch");
    std::vector<double> on, off;
    for (int i = 0; i < 1000; ++i) {
        on.push_back(watch.Milliseconds([&] {
            app.FollowStoredConfiguration();
            session->OnFileDownloaded(0, "/pub/a.txt", "C:\\in\\a.txt", 0);
        }));
        off.push_back(watch.Milliseconds([&] { session->OnFileDownloaded(0, "/pub/a.txt", "C:\\in\\a.txt", 0); }));
    }
    app.DestroySession(reinterpret_cast<void*>(1));
    const Stats a = Summarise(on), b = Summarise(off);
    std::printf("| transfer, no tweak applies, nothing changed | watch on: median ms | max ms | watch off: median ms | max ms | median added ms |\n");
    std::printf("|---|---|---|---|---|---|\n");
    std::printf("| | %.4f | %.3f | %.4f | %.3f | %+.4f |\n\n", a.median, a.max, b.median, b.max, a.median - b.median);

    std::printf("| tweaks | load: median ms | raw, enumerated: median ms | load / raw | per value, as before: median ms |\n");
    std::printf("|---|---|---|---|---|\n");
    double hundred = 0;
    for (size_t count : {10, 100, 1000}) {
        const std::string profile = "Bench load " + std::to_string(count);
        StoreSet(profile, count, exe, "*.txt;*.log");
        CTweakConfig set(profile.c_str());
        const std::string key = set.GetKeyPath(0);
        const int rounds = count >= 1000 ? 21 : count >= 100 ? 101 : 501;
        std::vector<double> load, raw, before;
        for (int i = 0; i < rounds; ++i) {
            load.push_back(watch.Milliseconds([&] { set.Load(); }));
            raw.push_back(watch.Milliseconds([&] { RawLoad(key); }));
            before.push_back(watch.Milliseconds([&] { PerValueLoad(key); }));
        }
        if (set.m_arrTweaks.size() != count || RawLoad(key) != 7 * count || PerValueLoad(key) != 7 * count) {
            std::printf("the set of %u tweaks did not read whole\n", static_cast<unsigned>(count));
            failed = true;
        }
        const double ms = Summarise(load).median, rawMs = Summarise(raw).median;
        if (count == 100) hundred = ms;
        std::printf("| %u | %.3f | %.3f | %.2f | %.3f |\n", static_cast<unsigned>(count), ms, rawMs, ms / rawMs,
                    Summarise(before).median);
        app.DeleteRegTree(key.c_str());
        if (count == 1000) std::printf("\n1,000 tweaks cost %.1f times what 100 cost.\n", ms / hundred);
    }
    app.DeleteRegTree(CTweakConfig("Bench watch").GetKeyPath(0).c_str());
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue);
    return failed ? 1 : 0;
}
