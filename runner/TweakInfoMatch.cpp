// Whether a tweak runs for a finished transfer: enabled, the transfer type's bit, the filters.
#include <cstring>

#include "config/TweakInfo.h"
#include "runner/WildcardMatch.h"

int CTweakInfo::AppliesTo(int type, const char* localPath) const {
    if (!m_bEnabled) return 0;
    if ((m_nApplyTo & (1u << (static_cast<unsigned>(type) & 31u))) == 0) return 0;
    return MatchesFilter(localPath);
}

int CTweakInfo::MatchesFilter(const char* path) const {
    if (m_arrFilters.empty()) return 1;
    const char* name = path ? path : "";
    // Only the backslash separates folders here; a "/" belongs to the name.
    if (const char* slash = std::strrchr(name, '\\')) name = slash + 1;
    for (const std::string& pattern : m_arrFilters) {
        if (WildcardMatch(pattern.c_str(), name, m_bIgnoreCase)) return 1;
    }
    return 0;
}
