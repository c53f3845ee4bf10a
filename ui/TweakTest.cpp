// Deciding and running the tweak editor's test.
#include "ui/TweakTest.h"

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/AnsiText.h"
#include "runner/RunOutcomeText.h"
#include "runner/SkipReason.h"
#include "runner/TransferName.h"
#include "runner/TweakDecision.h"
#include "runner/TweakRunReport.h"
#include "runner/TweakWait.h"

namespace {

// Keeps what became of the one tweak.
class TestReport : public ITweakRunReport {
public:
    void Examined(size_t, const TweakDecision& decision) override {
        m_record.outcome = RunOutcome::Skipped;
        m_record.detail = VerdictName(decision.verdict);
    }
    void Ended(size_t, const TweakEnd& end) override {
        m_record.outcome = end.outcome;
        m_record.detail = end.detail;
        m_record.duration = std::to_string(end.elapsedMs);
    }
    RunRecord m_record;
};

}  // namespace

TweakTest DecideTest(const CTweakInfo& tweak, const std::string& localPath) {
    TweakTest test;
    for (int bit = 0; bit < 32; ++bit) {
        if (tweak.m_nApplyTo & (1u << bit)) {
            test.type = bit;
            break;
        }
    }
    test.localPath = localPath;
    test.remotePath = "/" + FilterNameOf(localPath.c_str());
    const TweakDecision decision = DecideTweak(tweak, test.type, localPath.c_str(), test.remotePath.c_str());
    test.runs = decision.verdict == TweakVerdict::Applies;
    test.shown = TransferTypeName(test.type) + ": " + localPath + " (Server: " + test.remotePath + ")\r\n\r\n";
    if (test.runs) {
        test.shown += "\"" + decision.program.file + "\" " + decision.line.text;
    } else {
        test.shown += std::string(VerdictName(decision.verdict)) + ": " + DescribeSkip(tweak, decision);
    }
    return test;
}

TweakTestResult RunTest(CTweakConfig& set, const TweakTest& test) {
    // The user waits at the editor, on the host's window thread: a hidden program that never ends
    // must not hold it for good. Without a wait window to end it from, a minute ends it.
    CTweakInfo& tweak = *set.m_arrTweaks.at(0);
    if ((tweak.m_nTimeLimit == 0 || tweak.m_nTimeLimit > kMaxTimeLimit) && WaitWindowDelaySeconds() == 0)
        tweak.m_nTimeLimit = kTestLimitWithoutWindow;
    TestReport report;
    set.RunTweaks(test.type, test.localPath.c_str(), test.remotePath.c_str(), &report);
    TweakTestResult result;
    result.failed = report.m_record.IsProblem();
    result.shown = Utf8ToAnsiText(OutcomeText(report.m_record, true));
    return result;
}
