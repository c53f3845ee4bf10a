// Whether a tweak runs for a finished transfer: enabled, the transfer type's bit, the filters.
#include "config/TweakInfo.h"
#include "runner/TweakDecision.h"
#include "runner/WildcardMatch.h"

int CTweakInfo::AppliesTo(int type, const char* localPath) const {
    return ExamineTransfer(*this, type, localPath) == TweakVerdict::Applies ? 1 : 0;
}

int CTweakInfo::MatchesFilter(const char* path) const {
    if (m_arrFilters.empty()) return 1;
    const std::string name = FilterNameOf(path);
    for (const std::string& pattern : m_arrFilters) {
        if (WildcardMatch(pattern.c_str(), name.c_str(), m_bIgnoreCase)) return 1;
    }
    return 0;
}
