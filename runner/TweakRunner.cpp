// Starting the applicable tweaks of a set after a transfer, one after the other.
#include <string>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"
#include "runner/TweakDecision.h"
#include "runner/TweakEnvironment.h"
#include "runner/TweakRunReport.h"
#include "runner/TweakWait.h"

void CTweakConfig::RunTweaks(int type, const char* localPath, const char* remotePath) {
    RunTweaks(type, localPath, remotePath, nullptr);
}

void CTweakConfig::RunTweaks(int type, const char* localPath, const char* remotePath,
                             ITweakRunReport* report) {
    ILauncher& launcher = GetLauncher();
    ShellExecuteRequest request;
    // NO_UI: a program that cannot be opened is skipped silently; the shell's error box would
    // block the host's thread until someone dismissed it.
    request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    request.lpVerb = "open";
    request.nShow = SW_HIDE;
    request.environment = TweakEnvironment(type, localPath, remotePath, m_strProfile);

    // The run takes the set as it is now, whole, and runs each of its tweaks at most once; a
    // reload during the run (from another thread, or from a message that the shell call or the
    // wait dispatches) replaces what the next run gets. No lock is held while the run goes on.
    const Snapshot snapshot = TakeSnapshot();
    for (size_t i = 0; i < snapshot.tweaks.size(); ++i) {
        const CTweakInfo* tweak = snapshot.tweaks[i];
        if (tweak == nullptr) continue;
        const TweakDecision decision = DecideTweak(*tweak, type, localPath, remotePath);
        if (report) report->Examined(i, decision);
        if (decision.verdict != TweakVerdict::Applies) continue;

        request.lpFile = decision.program.file.c_str();
        request.lpParameters = decision.line.text.c_str();
        // The program's own folder, as Explorer starts it: the host's current folder is wherever
        // its file dialogs went last, often the download folder the server fills.
        request.lpDirectory = decision.program.folder.empty() ? nullptr : decision.program.folder.c_str();
        ProcessHandle process = nullptr;
        const bool started = launcher.ExecuteEx(request, &process);
        request.lpFile = nullptr;
        request.lpParameters = nullptr;
        request.lpDirectory = nullptr;
        if (!started) {
            if (report) report->NotStarted(i);
            continue;
        }
        if (report) report->Started(i, process);
        if (process != nullptr) {
            const TweakWait wait = WaitForTweak(process, decision.tweakName, localPath);
            if (report && wait.end == TweakWaitEnd::Ended) report->Finished(i, process);
            if (report && wait.end != TweakWaitEnd::Ended) report->Stopped(i, process, wait);
            launcher.CloseProcess(process);
        }
    }
}
