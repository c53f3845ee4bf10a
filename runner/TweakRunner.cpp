// Starting the applicable tweaks of a set after a transfer, one after the other.
#include <string>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/Clock.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"
#include "runner/TweakDecision.h"
#include "runner/TweakEnvironment.h"
#include "runner/TweakRunReport.h"
#include "runner/TweakWait.h"

namespace {

// elapsedMs counts from the shell call on.
TweakEnd EndOfWait(const TweakWait& wait, ProcessHandle process, uint64_t elapsedMs) {
    switch (wait.end) {
        case TweakWaitEnd::Ended: {
            uint32_t code = 0;
            // An exit code that cannot be read stays empty, and counts as a failure.
            const bool read = GetLauncher().GetExitCode(process, &code);
            return {RunOutcome::Exit, read ? std::to_string(code) : "", elapsedMs};
        }
        case TweakWaitEnd::NoLongerWaited: return {RunOutcome::NotWaitedFor, "", elapsedMs};
        case TweakWaitEnd::EndedByUser: return {RunOutcome::EndedByUser, "", elapsedMs};
        case TweakWaitEnd::TimeLimit: return {RunOutcome::TimeLimit, std::to_string(wait.limitSeconds), elapsedMs};
    }
    return {};
}

}  // namespace

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
    bool chainStopped = false;
    for (size_t i = 0; i < snapshot.tweaks.size(); ++i) {
        const CTweakInfo* tweak = snapshot.tweaks[i];
        if (tweak == nullptr) continue;
        TweakDecision decision = DecideTweak(*tweak, type, localPath, remotePath);
        if (chainStopped && decision.verdict == TweakVerdict::Applies) decision.verdict = TweakVerdict::EarlierFailure;
        if (report) report->Examined(i, decision);
        TweakEnd end{RunOutcome::Skipped, VerdictName(decision.verdict), 0};
        if (decision.verdict == TweakVerdict::Applies) {
            request.lpFile = decision.program.file.c_str();
            request.lpParameters = decision.line.text.c_str();
            // The program's own folder, as Explorer starts it: the host's current folder is
            // wherever its file dialogs went last, often the download folder the server fills.
            request.lpDirectory = decision.program.folder.empty() ? nullptr : decision.program.folder.c_str();
            ProcessHandle process = nullptr;
            const uint64_t startMs = GetClock().Milliseconds();
            const bool started = launcher.ExecuteEx(request, &process);
            request.lpFile = nullptr;
            request.lpParameters = nullptr;
            request.lpDirectory = nullptr;
            if (!started) {
                end = {RunOutcome::NotStarted, std::to_string(launcher.LastExecuteErrorCode()), 0};
            } else if (process == nullptr) {
                end = {RunOutcome::NoProcess, "", 0};
            } else {
                const TweakWait wait = WaitForTweak(process, decision.tweakName, localPath, tweak->m_nTimeLimit);
                end = EndOfWait(wait, process, GetClock().Milliseconds() - startMs);
            }
            if (report) report->Ended(i, end);
            if (process != nullptr) launcher.CloseProcess(process);
        }
        if (tweak->m_bStopOnFailure && IsFailedOutcome(end.outcome, end.detail)) chainStopped = true;
    }
}
