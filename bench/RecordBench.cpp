// What the run record costs the host, under Wine, with the real add-on: median and maximum over
// 1,000 transfer events with the record on and off, for an event that no tweak applies to and
// one that starts one tweak (Recorder.exe, which ends at once), and a session's creation with
// 0, 10 and 100 tweaks. Prints a Markdown table. Built in the mingw preset:
//
//     build/mingw/wine-run build/mingw/bin/bench_record.exe
//
// It uses the prefix's registry and run record and leaves both as it found them but for the
// record, which it empties.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "config/AppBase.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "runner/RunRecord.h"

namespace {

typedef void(WINAPI* CreateFn)(void*, const char*);
typedef int(WINAPI* DownloadFn)(void*, int, const char*, const char*, UINT);
typedef void(WINAPI* DestroyFn)(void*);

const int kRounds = 1000;

std::string BinFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void Row(const char* what, std::vector<double> on, std::vector<double> off) {
    const Stats a = Summarise(on);
    const Stats b = Summarise(off);
    std::printf("| %s | %.3f | %.3f | %.3f | %.3f | %+.3f |\n", what, a.median, a.max, b.median, b.max, a.median - b.median);
}

}  // namespace

int main() {
    CAppBase app;
    const std::string bin = BinFolder();
    const HMODULE addon = LoadLibraryA((bin + "ZTTrevanelAddon.dll").c_str());
    if (addon == nullptr) {
        std::printf("cannot load %sZTTrevanelAddon.dll\n", bin.c_str());
        return 1;
    }
    const auto create = reinterpret_cast<CreateFn>(reinterpret_cast<void (*)()>(GetProcAddress(addon, MAKEINTRESOURCEA(5))));
    const auto download = reinterpret_cast<DownloadFn>(reinterpret_cast<void (*)()>(GetProcAddress(addon, MAKEINTRESOURCEA(6))));
    const auto destroy = reinterpret_cast<DestroyFn>(reinterpret_cast<void (*)()>(GetProcAddress(addon, MAKEINTRESOURCEA(8))));
    const std::string recorder = bin + "Recorder.exe";
    // The recorder logs beside the bench, not in the build's own log.
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    const std::string log = std::string(temp) + "bench_record_recorder.log";
    SetEnvironmentVariableA("TREVANEL_RECORD_LOG", log.c_str());

    StoreSet("Bench none", 1, recorder, "*.pdf");
    StoreSet("Bench one", 1, recorder, "");
    const std::string folder = RunRecordFolder();
    ClearRunRecord(folder);
    const Stopwatch watch;
    bool failed = false;

    // Sessions made with the record on (odd handles) and off (even ones); events alternate.
    std::printf("| event | on: median ms | on: max ms | off: median ms | off: max ms | median added ms |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const char* profile : {"Bench none", "Bench one"}) {
        SetRunRecordOn(true);
        create(reinterpret_cast<void*>(1), profile);
        SetRunRecordOn(false);
        create(reinterpret_cast<void*>(2), profile);
        std::vector<double> on, off;
        for (int i = 0; i < kRounds; ++i) {
            on.push_back(watch.Milliseconds([&] { download(reinterpret_cast<void*>(1), 0, "/pub/a.txt", "C:\\in\\a.txt", 0); }));
            off.push_back(watch.Milliseconds([&] { download(reinterpret_cast<void*>(2), 0, "/pub/a.txt", "C:\\in\\a.txt", 0); }));
        }
        destroy(reinterpret_cast<void*>(1));
        destroy(reinterpret_cast<void*>(2));
        Row(std::string(profile) == "Bench none" ? "transfer, no tweak applies" : "transfer, one tweak starts", on, off);
    }
    // The record drops what it cannot write, so the times above count only if every event that
    // was recorded left its line: one for each event of the sessions with the record on.
    const size_t written = ReadRunRecords(folder).size();
    if (written != 2 * kRounds) {
        std::printf("the record holds %u records, not %d: the times above do not measure writing them\n",
                    static_cast<unsigned>(written), 2 * kRounds);
        failed = true;
    }

    for (size_t count : {0, 10, 100}) {
        const std::string profile = "Bench " + std::to_string(count);
        StoreSet(profile, count, recorder, "");
        std::vector<double> times[2];
        for (int i = 0; i < kRounds; ++i) {
            for (int on = 0; on < 2; ++on) {
                SetRunRecordOn(on == 1);
                times[on].push_back(watch.Milliseconds([&] { create(reinterpret_cast<void*>(3), profile.c_str()); }));
                destroy(reinterpret_cast<void*>(3));
            }
        }
        Row(("session creation, " + std::to_string(count) + " tweaks").c_str(), times[1], times[0]);
    }

    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue);
    for (const char* profile : {"Bench none", "Bench one", "Bench 0", "Bench 10", "Bench 100"}) {
        CTweakConfig set(profile);
        app.DeleteRegTree(set.GetKeyPath(0).c_str());
    }
    ClearRunRecord(folder);
    DeleteFileA(log.c_str());
    FreeLibrary(addon);
    return failed ? 1 : 0;
}
