// Reporting a run of the tweaks, tweak by tweak.
#include "ctl/TweakRunLog.h"

#include <cstdio>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "ctl/RunHistory.h"
#include "ctl/TweakExplain.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"

CTweakRunLog::CTweakRunLog(const CTweakConfig& set, std::ostream& out, ITweakRunReport* next)
    : m_set(set), m_out(out), m_next(next) {}

void CTweakRunLog::Examined(size_t index, const TweakDecision& decision) {
    const CTweakInfo& tweak = *m_set.m_arrTweaks[index];
    m_out << TweakKeyName(index) << " \"" << tweak.m_strName << "\": ";
    if (decision.verdict != TweakVerdict::Applies) {
        m_out << "SKIP (" << VerdictName(decision.verdict) << "): " << DescribeSkip(tweak, decision) << "\n";
    } else {
        m_out << "starting " << decision.program.file << " " << decision.line.text << "\n";
        m_out.flush();
        m_start = std::chrono::steady_clock::now();
    }
    if (m_next) m_next->Examined(index, decision);
}

void CTweakRunLog::Started(size_t index, ProcessHandle process) {
    ++m_nStarted;
    if (process == nullptr) m_out << "  started; the shell gave no process to wait for\n";
    if (m_next) m_next->Started(index, process);
}

void CTweakRunLog::NotStarted(size_t index) {
    ++m_nNotStarted;
    m_out << "  could not start: " << GetLauncher().LastExecuteError() << "\n";
    if (m_next) m_next->NotStarted(index);
}

void CTweakRunLog::Finished(size_t index, ProcessHandle process) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    uint32_t code = 0;
    char text[96];
    if (GetLauncher().GetExitCode(process, &code)) {
        std::snprintf(text, sizeof text, "  ended with exit code %lu after %.2f s\n",
                      static_cast<unsigned long>(code), seconds);
    } else {
        std::snprintf(text, sizeof text, "  ended after %.2f s; its exit code could not be read\n", seconds);
    }
    m_out << text;
    if (m_next) m_next->Finished(index, process);
}

void CTweakRunLog::Stopped(size_t index, ProcessHandle process, const TweakWait& wait) {
    m_out << "  " << StoppedWaitText(wait.end == TweakWaitEnd::EndedByUser, wait.elapsedMs) << "\n";
    if (m_next) m_next->Stopped(index, process, wait);
}
