// What "run" prints while the runner starts the tweaks: each skip with its reason, each start,
// then its exit code and how long it ran, or the system's reason why it could not start.
#pragma once

#include <ostream>

#include "runner/TweakRunReport.h"

class CTweakConfig;

class CTweakRunLog : public ITweakRunReport {
public:
    // set is the one being run; its list does not change during the run. next, when not null,
    // is told everything too, after the log.
    CTweakRunLog(const CTweakConfig& set, std::ostream& out, ITweakRunReport* next = nullptr);

    void Examined(size_t index, const TweakDecision& decision) override;
    void Ended(size_t index, const TweakEnd& end) override;

    int NotStartedCount() const { return m_nNotStarted; }
    int StartedCount() const { return m_nStarted; }

private:
    const CTweakConfig& m_set;
    std::ostream& m_out;
    ITweakRunReport* m_next;
    int m_nNotStarted = 0;
    int m_nStarted = 0;
};
