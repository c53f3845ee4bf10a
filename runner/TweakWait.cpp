// Deciding when the long-wait window shows and what its buttons do to the run.
#include "runner/TweakWait.h"

#include <atomic>
#include <memory>

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"

const char* const kWaitWindowDelayValue = "Wait Window Delay";

namespace {
std::atomic<WaitWindowTextMaker> g_textMaker{nullptr};
}

uint32_t WaitWindowDelaySeconds() {
    const uint32_t delay = static_cast<uint32_t>(
        ReadRegDword(HKEY_CURRENT_USER, kUserKey, kWaitWindowDelayValue, static_cast<int32_t>(kDefaultWaitWindowDelay)));
    // Seconds beyond a day's are taken as "never": a value meant as milliseconds would otherwise
    // read as weeks, and the wait's milliseconds must not wrap.
    return delay > kMaxWaitWindowDelay ? 0 : delay;
}

void SetWaitWindowTextMaker(WaitWindowTextMaker maker) { g_textMaker = maker; }

TweakWait WaitForTweak(ProcessHandle process, const std::string& tweakName, const char* localPath) {
    IClock& clock = GetClock();
    IWaitService& waits = GetWaitService();
    const uint64_t start = clock.Milliseconds();
    const auto elapsed = [&] { return clock.Milliseconds() - start; };
    const uint32_t delay = WaitWindowDelaySeconds();
    const WaitWindowTextMaker maker = g_textMaker;
    if (delay == 0 || maker == nullptr) {
        GetLauncher().WaitForProcess(process);
        return {TweakWaitEnd::Ended, elapsed()};
    }
    if (waits.WaitForProcessOrChoice(process, nullptr, delay * 1000u) == WaitWake::ProcessEnded)
        return {TweakWaitEnd::Ended, elapsed()};
    const std::string file = localPath ? localPath : "";
    const std::unique_ptr<IWaitWindow> window = waits.OpenWindow(maker(tweakName, file, elapsed() / 1000));
    if (!window) {
        GetLauncher().WaitForProcess(process);
        return {TweakWaitEnd::Ended, elapsed()};
    }
    for (;;) {
        const uint64_t ms = elapsed();
        window->SetElapsed(maker(tweakName, file, ms / 1000).elapsed);
        // Woken at the next full second, so that the count moves on evenly.
        const WaitWake wake = waits.WaitForProcessOrChoice(process, window.get(), 1000 - ms % 1000);
        if (wake == WaitWake::ProcessEnded) return {TweakWaitEnd::Ended, elapsed()};
        if (wake == WaitWake::Timeout) continue;
        switch (window->TakeChoice()) {
            case WaitChoice::Show:
                waits.ShowProcessWindows(process);
                break;
            case WaitChoice::StopWaiting:
                return {TweakWaitEnd::NoLongerWaited, elapsed()};
            case WaitChoice::End:
                if (waits.EndProcess(process)) return {TweakWaitEnd::EndedByUser, elapsed()};
                break;
            case WaitChoice::None:
                break;
        }
    }
}
