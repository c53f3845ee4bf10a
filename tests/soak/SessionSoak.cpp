// 10,000 host sessions, each with its own tweak set, created, used and destroyed through the
// exports, some of them left alive for the unload to delete. Run under valgrind, no byte may be
// lost; run plainly, the sessions still have to do their job to the end.
#include <cstdio>
#include <memory>
#include <string>

#include "addon/Exports.h"
#include "addon/ZTTrevanelApp.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/InstallProgram.h"
#include "tests/common/StandIns.h"

namespace {

const int kSessions = 10000;
const int kProfiles = 50;

void StoreProfile(const std::string& profile, int tweaks) {
    CTweakConfig config(profile.c_str());
    for (int i = 0; i < tweaks; ++i) {
        CTweakInfo* tweak = new CTweakInfo;
        tweak->m_strName = profile + " tweak " + std::to_string(i);
        tweak->m_strExe = "C:\\Tools\\tool" + std::to_string(i) + ".exe";
        InstallProgram(tweak->m_strExe);
        tweak->m_strParameters = "\"%LOCAL_FILE_PATH%\" %REMOTE_FILE_PATH%";
        tweak->m_nApplyTo = TWEAK_APPLY_DOWNLOAD | TWEAK_APPLY_UPLOAD;
        tweak->ParseFilters("*.txt;*.log");
        config.m_arrTweaks.push_back(tweak);
    }
    config.Save();
}

int Fail(const char* what, int value) {
    std::fprintf(stderr, "soak: %s (%d)\n", what, value);
    return 1;
}

}  // namespace

int main() {
    MemoryRegistry registry;
    MemoryLauncher launcher;
    MemoryFileSystem files;
    StandIns standIns{registry, launcher, files};
    int status = 0;
    {
        auto app = std::make_unique<CZTTrevanelApp>();
        int tweaks[kProfiles];
        for (int p = 0; p < kProfiles; ++p) {
            tweaks[p] = 1 + p % 4;
            StoreProfile("Profile " + std::to_string(p), tweaks[p]);
        }

        size_t expectedLaunches = 0;
        for (int i = 0; i < kSessions; ++i) {
            void* handle = reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + i));
            const int profile = i % kProfiles;
            ZTAddOnSessionCreate(handle, ("Profile " + std::to_string(profile)).c_str());
            ZTAddOnFileDownloadedTweak(handle, 0, "/in/report.txt", "C:\\in\\report.txt", 0);
            ZTAddOnFileUploadTweak(handle, 4, "C:\\out\\data.bin", 0, "/out/data.bin", 0);
            // The download passes the filters of every tweak; the upload's file passes none.
            expectedLaunches += tweaks[profile];
            // Every tenth session stays for the unload; the others end as the host ends them.
            if (i % 10 != 0) ZTAddOnSessionDestroy(handle);
            // A save reloads the live sessions of its profile, which run the new set from then on.
            if (i % 1000 == 999) StoreProfile("Profile 0", tweaks[0] = 1 + (i / 1000) % 3);
        }
        if (app->SessionCount() != kSessions / 10)
            status |= Fail("live sessions before unload", static_cast<int>(app->SessionCount()));
        if (launcher.LaunchedFiles().size() != expectedLaunches)
            status |= Fail("programs started", static_cast<int>(launcher.LaunchedFiles().size()));
    }
    if (registry.OpenHandleCount() != 0)
        status |= Fail("registry handles left open", static_cast<int>(registry.OpenHandleCount()));
    if (status == 0) std::printf("soak: %d sessions created and destroyed\n", kSessions);
    return status;
}
