// Deciding when the long-wait window shows and what its buttons do to the run.
#include "runner/TweakWait.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "config/TweakInfo.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"

const char* const kWaitWindowDelayValue = "Wait Window Delay";

namespace {
std::atomic<WaitWindowTextMaker> g_textMaker{nullptr};

TweakWait Waited(TweakWaitEnd end, uint64_t elapsedMs, uint32_t limitSeconds = 0) {
    TweakWait wait;
    wait.end = end;
    wait.elapsedMs = elapsedMs;
    wait.limitSeconds = limitSeconds;
    return wait;
}
}

uint32_t WaitWindowDelaySeconds() {
    const uint32_t delay = static_cast<uint32_t>(
        ReadRegDword(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, static_cast<int32_t>(kDefaultWaitWindowDelay)));
    // Seconds beyond a day's are taken as "never": a value meant as milliseconds would otherwise
    // read as weeks, and the wait's milliseconds must not wrap.
    return delay > kMaxWaitWindowDelay ? 0 : delay;
}

void SetWaitWindowTextMaker(WaitWindowTextMaker maker) { g_textMaker = maker; }

TweakWait WaitForTweak(ProcessHandle process, const std::string& tweakName, const char* localPath,
                       uint32_t limitSeconds) {
    IClock& clock = GetClock();
    IWaitService& waits = GetWaitService();
    const uint64_t start = clock.Milliseconds();
    const auto elapsed = [&] { return clock.Milliseconds() - start; };
    const uint64_t limitMs = limitSeconds > kMaxTimeLimit ? 0 : uint64_t(limitSeconds) * 1000;
    const WaitWindowTextMaker maker = g_textMaker;
    const uint32_t delay = maker == nullptr ? 0 : WaitWindowDelaySeconds();
    if (delay == 0 && limitMs == 0) {
        GetLauncher().WaitForProcess(process);
        return Waited(TweakWaitEnd::Ended, elapsed());
    }
    // Each pass waits until the next moment something is due: the limit, the window's showing,
    // its next full second.
    const std::string file = localPath ? localPath : "";
    std::unique_ptr<IWaitWindow> window;
    bool windowDue = delay != 0;
    bool limited = limitMs != 0;
    for (;;) {
        const uint64_t ms = elapsed();
        if (limited && ms >= limitMs) {
            if (waits.EndProcess(process)) return Waited(TweakWaitEnd::TimeLimit, elapsed(), limitSeconds);
            limited = false;
        }
        if (windowDue && ms >= delay * 1000u) {
            window = waits.OpenWindow(maker(tweakName, file, ms / 1000));
            windowDue = false;
        }
        uint64_t next = UINT32_MAX;
        if (limited) next = limitMs - ms;
        if (windowDue) next = std::min<uint64_t>(next, delay * 1000u - ms);
        if (window) {
            window->SetElapsed(maker(tweakName, file, ms / 1000).elapsed);
            // Woken at the next full second, so that the count moves on evenly.
            next = std::min<uint64_t>(next, 1000 - ms % 1000);
        }
        if (next == UINT32_MAX) {
            GetLauncher().WaitForProcess(process);
            return Waited(TweakWaitEnd::Ended, elapsed());
        }
        const WaitWake wake = waits.WaitForProcessOrChoice(process, window.get(), static_cast<uint32_t>(next));
        if (wake == WaitWake::ProcessEnded) return Waited(TweakWaitEnd::Ended, elapsed());
        if (wake == WaitWake::Timeout) continue;
        switch (window->TakeChoice()) {
            case WaitChoice::Show:
                waits.ShowProcessWindows(process);
                break;
            case WaitChoice::StopWaiting:
                return Waited(TweakWaitEnd::NoLongerWaited, elapsed());
            case WaitChoice::End:
                if (waits.EndProcess(process)) return Waited(TweakWaitEnd::EndedByUser, elapsed());
                break;
            case WaitChoice::None:
                break;
        }
    }
}
