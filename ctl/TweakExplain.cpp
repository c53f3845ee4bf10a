// Explaining a transfer through the runner's own decision for each tweak.
#include "ctl/TweakExplain.h"

#include "config/AppBase.h"
#include "config/TweakConfig.h"
#include "config/SetWrite.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "config/TweakSetSource.h"
#include "ctl/SetListing.h"
#include "ctl/TransferType.h"
#include "runner/TweakDecision.h"
#include "runner/TweakEnvironment.h"
#include "runner/TweakWait.h"

std::string DescribeEnvironment(int type, const std::string& localPath, const std::string& remotePath,
                                const std::string& profile) {
    std::string text = "The environment of every started tweak:\n";
    for (const EnvironmentVariable& variable :
         TweakEnvironment(type, localPath.c_str(), remotePath.c_str(), profile)) {
        text += "  " + variable.name + "=" + variable.value + "\n";
    }
    return text;
}

namespace {

// What happens while a started tweak runs, with the delay as the registry holds it now.
std::string DescribeWait() {
    const uint32_t delay = WaitWindowDelaySeconds();
    const std::string value = std::string("\"") + kWaitWindowDelayValue + "\" below HKEY_CURRENT_USER\\" + kUserKey;
    if (delay == 0)
        return "Each started tweak is waited for until it ends; no window offers to stop waiting (" + value + ").\n";
    return "Each started tweak is waited for until it ends. After " + std::to_string(delay) +
           " s the add-on's window shows which tweak runs, for which file and for how long (" + value +
           "; 0 never): \"Anzeigen\" shows the program's windows, \"Nicht mehr warten\" goes on with the next "
           "tweak and leaves the program running, \"Beenden\" ends the program and goes on.\n";
}

}  // namespace

void ExplainTransfer(const std::string& profile, int type, const std::string& localPath,
                     const std::string& remotePath, bool tsv, std::ostream& out) {
    CTweakConfig set(profile.c_str());
    // The set as Load reads it, also while a write is pending.
    const ConfigurationView view;
    const TweakSetSource source = FindTweakSetSource(set, &view);
    set.Load();
    if (tsv) {
        out << "set\t" << (source.own ? "own" : "global") << "\t" << EscapeTsvField(source.keyPath) << "\n";
    } else {
        out << DescribeSource(profile, source) << "\n" << TransferTypeName(type) << " of " << localPath << " (remote " << remotePath << ")\n";
        if (set.m_arrTweaks.empty()) {
            out << "No tweaks: nothing starts.\n";
        } else {
            out << DescribeEnvironment(type, localPath, remotePath, set.m_strProfile) << DescribeWait();
        }
    }
    for (size_t i = 0; i < set.m_arrTweaks.size(); ++i) {
        const CTweakInfo& tweak = *set.m_arrTweaks[i];
        const TweakDecision decision = DecideTweakInFull(tweak, type, localPath.c_str(), remotePath.c_str());
        const bool runs = decision.verdict == TweakVerdict::Applies;
        if (tsv) {
            out << i << "\t" << (runs ? "RUN" : "SKIP") << "\t" << VerdictName(decision.verdict) << "\t"
                << EscapeTsvField(tweak.m_strName) << "\t" << EscapeTsvField(decision.program.file) << "\t"
                << EscapeTsvField(decision.line.text) << "\n";
            continue;
        }
        out << "\n" << TweakKeyName(i) << " \"" << tweak.m_strName << "\": "
            << (runs ? "RUN" : "SKIP (" + std::string(VerdictName(decision.verdict)) + ")") << "\n";
        if (!runs) out << "  " << DescribeSkip(tweak, decision) << "\n";
        out << "  Program:    " << decision.program.file << "\n";
        if (runs) out << "  Starts in:  " << decision.program.folder << "\n";
        out << "  Parameters: " << decision.line.text << "\n";
        if (tweak.m_nTimeLimit != 0 && tweak.m_nTimeLimit <= kMaxTimeLimit)
            out << "  Time limit: " << tweak.m_nTimeLimit << " s, then the program is ended\n";
        if (tweak.m_bStopOnFailure) out << "  On failure: the tweaks after it do not run for this transfer\n";
    }
}
