// The run report that keeps the run record: each tweak that one run examined becomes one record,
// written as soon as its outcome is known, for the add-on's transfers and for ZTTrevanelCtl run.
// It also keeps the run's first failure, for the failure notice.
#pragma once

#include <cstdint>
#include <string>

#include "runner/RunRecord.h"
#include "runner/TweakRunReport.h"

class CRunRecorder : public ITweakRunReport {
public:
    // One transfer event: profile as the session has it, the host's type and paths (null counts as
    // empty), all in the ANSI code page; folder from RunRecordFolder(), or empty to write nothing.
    // The time is taken now.
    CRunRecorder(const std::string& folder, const std::string& profile, int type, const char* localPath,
                 const char* remotePath, bool fromRun);

    void Examined(size_t index, const TweakDecision& decision) override;
    void Ended(size_t index, const TweakEnd& end) override;
    // No tweak was examined: the session's set could not be read ("set-unreadable", a problem).
    void SetUnreadable();
    // The record of the run's first failure (RunRecord::IsProblem), or null when none failed.
    const RunRecord* FirstFailure() const { return m_failed ? &m_firstFailure : nullptr; }

private:
    void Write(size_t index, RunOutcome outcome, const std::string& detail);

    const std::string m_folder;
    RunRecord m_record;
    // The ANSI paths, turned into the record's UTF-8 once a record is written.
    const char* m_localPath;
    const char* m_remotePath;
    bool m_converted = false;
    // Of the tweak being started.
    std::string m_name;
    bool m_failed = false;
    RunRecord m_firstFailure;
};
