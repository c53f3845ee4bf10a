// Turning what the runner reports into records.
#include "runner/RunRecorder.h"

#include "platform/Clock.h"
#include "platform/AnsiText.h"
#include "platform/Platform.h"
#include "runner/TweakDecision.h"

namespace {

// The record must never stop a run: whatever fails in it, even memory, ends here.
template <typename Work>
void Quietly(Work work) {
    try {
        work();
    } catch (...) {
    }
}

}  // namespace

CRunRecorder::CRunRecorder(const std::string& folder, const std::string& profile, int type,
                           const char* localPath, const char* remotePath, bool fromRun)
    : m_folder(folder), m_localPath(localPath), m_remotePath(remotePath) {
    m_record.time = FormatLocalTime(GetClock().Now());
    m_record.profile = profile;
    m_record.type = type;
    m_record.fromRun = fromRun;
}

void CRunRecorder::Examined(size_t index, const TweakDecision& decision) {
    Quietly([&] {
        m_name = decision.tweakName;
        if (decision.verdict == TweakVerdict::Applies) return;
        // The record is UTF-8; a program's path is text of the code page.
        m_record.guardReason = decision.verdict == TweakVerdict::UnsafePath ? DescribeRefusal(decision.line.refusal)
                               : decision.verdict == TweakVerdict::ProgramNotFound
                                   ? AnsiTextToUtf8(DescribeProgramNotFound(decision.program.file))
                                   : "";
        Write(index, RunOutcome::Skipped, VerdictName(decision.verdict));
        m_record.guardReason.clear();
    });
}

void CRunRecorder::Ended(size_t index, const TweakEnd& end) {
    Quietly([&] {
        const bool ran = end.outcome != RunOutcome::NotStarted && end.outcome != RunOutcome::NoProcess &&
                         end.outcome != RunOutcome::Skipped;
        if (ran) m_record.duration = std::to_string(end.elapsedMs);
        Write(index, end.outcome, end.detail);
        m_record.duration.clear();
    });
}

void CRunRecorder::SetUnreadable() {
    Quietly([&] {
        m_name.clear();
        m_record.guardReason = "the registry answered an error while the tweak set was read; nothing ran";
        Write(0, RunOutcome::Skipped, kSetUnreadable);
        m_record.guardReason.clear();
    });
}

void CRunRecorder::Write(size_t index, RunOutcome outcome, const std::string& detail) {
    if (!m_converted) {
        m_record.profile = AnsiTextToUtf8(m_record.profile);
        m_record.localPath = AnsiTextToUtf8(m_localPath ? m_localPath : "");
        m_record.remotePath = AnsiTextToUtf8(m_remotePath ? m_remotePath : "");
        m_converted = true;
    }
    m_record.index = index;
    m_record.name = AnsiTextToUtf8(m_name);
    m_record.outcome = outcome;
    m_record.detail = detail;
    if (!m_failed && m_record.IsProblem()) {
        m_failed = true;
        m_firstFailure = m_record;
    }
    if (!m_folder.empty()) AppendRunRecord(m_folder, m_record);
}
