// Reporting a run of the tweaks, tweak by tweak.
#include "ctl/TweakRunLog.h"

#include <cstdio>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "ctl/TweakExplain.h"
#include "platform/Launcher.h"
#include "platform/Platform.h"
#include "runner/RunOutcomeText.h"

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
    }
    if (m_next) m_next->Examined(index, decision);
}

void CTweakRunLog::Ended(size_t index, const TweakEnd& end) {
    if (end.outcome == RunOutcome::NotStarted) {
        ++m_nNotStarted;
        m_out << "  could not start: " << GetLauncher().LastExecuteError() << "\n";
    } else {
        ++m_nStarted;
    }
    char text[96];
    const double seconds = static_cast<double>(end.elapsedMs) / 1000;
    switch (end.outcome) {
        case RunOutcome::NoProcess: m_out << "  started; the shell gave no process to wait for\n"; break;
        case RunOutcome::Exit:
            if (end.detail.empty()) {
                std::snprintf(text, sizeof text, "  ended after %.2f s; its exit code could not be read\n", seconds);
            } else {
                std::snprintf(text, sizeof text, "  ended with exit code %s after %.2f s\n", end.detail.c_str(), seconds);
            }
            m_out << text;
            break;
        case RunOutcome::NotStarted:
        case RunOutcome::Skipped: break;
        default: {
            RunRecord r;
            r.outcome = end.outcome;
            r.detail = end.detail;
            r.duration = std::to_string(end.elapsedMs);
            m_out << "  " << OutcomeText(r, false) << "\n";
        }
    }
    if (m_next) m_next->Ended(index, end);
}
