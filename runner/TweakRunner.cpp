// Starting the applicable tweaks of a set after a transfer, one after the other.
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"
#include "runner/ParameterLine.h"

void CTweakConfig::RunTweaks(int type, const char* localPath, const char* remotePath) {
    ILauncher& launcher = GetLauncher();
    ShellExecuteRequest request;
    // NO_UI: a program that cannot be opened is skipped silently; the shell's error box would
    // block the host's thread until someone dismissed it.
    request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    request.lpVerb = "open";
    request.lpDirectory = nullptr;
    request.nShow = SW_HIDE;

    // The count and the i-th tweak are read anew in every pass, and the lock is let go before the
    // wait: a reload during a program's run replaces the list, and the run goes on at index i+1.
    for (size_t i = 0;; ++i) {
        ProcessHandle process = nullptr;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (i >= m_arrTweaks.size()) return;
            const CTweakInfo* tweak = m_arrTweaks[i];
            if (tweak == nullptr || !tweak->AppliesTo(type, localPath)) continue;
            const ParameterLine line = ExpandParameters(tweak->m_strParameters, localPath, remotePath);
            if (line.insertsQuote) continue;
            const std::string exe = tweak->GetExe();
            request.lpFile = exe.c_str();
            request.lpParameters = line.text.c_str();
            const bool started = launcher.ExecuteEx(request, &process);
            request.lpFile = nullptr;
            request.lpParameters = nullptr;
            if (!started) continue;
        }
        if (process != nullptr) {
            launcher.WaitForProcess(process);
            launcher.CloseProcess(process);
        }
    }
}
