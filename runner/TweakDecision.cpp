// Deciding, for one tweak and one transfer, whether it starts and with which line.
#include "runner/TweakDecision.h"

#include <cstring>

#include "config/TweakInfo.h"

const char* VerdictName(TweakVerdict verdict) {
    switch (verdict) {
        case TweakVerdict::Applies: return "applies";
        case TweakVerdict::Disabled: return "disabled";
        case TweakVerdict::Type: return "type";
        case TweakVerdict::Filter: return "filter";
        case TweakVerdict::WildcardPath: return "wildcard-path";
        case TweakVerdict::ProgramNotFound: return "program-not-found";
        case TweakVerdict::UnsafePath: return "unsafe-path";
    }
    return "unknown";
}

std::string FilterNameOf(const char* path) {
    const char* name = path ? path : "";
    if (const char* slash = std::strrchr(name, '\\')) name = slash + 1;
    return name;
}

bool IsWildcardPath(const char* path) {
    const std::string text = path ? path : "";
    const bool prefixed = text.compare(0, 4, "\\\\?\\") == 0 || text.compare(0, 4, "\\\\.\\") == 0;
    return text.find_first_of("?*", prefixed ? 4 : 0) != std::string::npos;
}

TweakVerdict ExamineTransfer(const CTweakInfo& tweak, int type, const char* localPath) {
    if (!tweak.m_bEnabled) return TweakVerdict::Disabled;
    // The type names bit (type AND 31) of the set.
    if ((tweak.m_nApplyTo & (1u << (static_cast<unsigned>(type) & 31u))) == 0)
        return TweakVerdict::Type;
    if (!tweak.MatchesFilter(localPath)) return TweakVerdict::Filter;
    return TweakVerdict::Applies;
}

TweakDecision DecideTweak(const CTweakInfo& tweak, int type, const char* localPath,
                          const char* remotePath) {
    TweakDecision decision;
    decision.tweakName = tweak.m_strName;
    decision.testedName = FilterNameOf(localPath);
    decision.program = FindProgramToStart(tweak.m_strExe);
    decision.line = BuildParameterLine(decision.program.file, tweak.m_strParameters, localPath, remotePath);
    decision.verdict = ExamineTransfer(tweak, type, localPath);
    if (decision.verdict != TweakVerdict::Applies) return decision;
    if (IsWildcardPath(localPath)) {
        decision.verdict = TweakVerdict::WildcardPath;
    } else if (!decision.program.found) {
        decision.verdict = TweakVerdict::ProgramNotFound;
    } else if (!decision.line.IsSafe()) {
        decision.verdict = TweakVerdict::UnsafePath;
    }
    return decision;
}
