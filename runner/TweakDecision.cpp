// Deciding, for one tweak and one transfer, whether it starts and with which line.
#include "runner/TweakDecision.h"

#include "runner/ProgramToJudge.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "config/TweakInfo.h"
#include "platform/AnsiText.h"
#include "platform/RegistryNames.h"

const char* VerdictName(TweakVerdict verdict) {
    switch (verdict) {
        case TweakVerdict::Applies: return "applies";
        case TweakVerdict::Disabled: return "disabled";
        case TweakVerdict::Type: return "type";
        case TweakVerdict::Filter: return "filter";
        case TweakVerdict::WildcardPath: return "wildcard-path";
        case TweakVerdict::DevicePath: return "device-path";
        case TweakVerdict::ProgramNotFound: return "program-not-found";
        case TweakVerdict::UnsafePath: return "unsafe-path";
        case TweakVerdict::EarlierFailure: return "earlier-failure";
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

bool IsDevicePath(const char* path) {
    std::string name = path ? path : "";
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) {
        name.erase(0, slash + 1);
    } else if (name.size() >= 2 && name[1] == ':') {
        name.erase(0, 2);  // "C:NUL" names the device too
    }
    // Windows reads the name only up to the first dot or colon, without the blanks before them.
    name.erase(std::min(name.find_first_of(".:"), name.size()));
    name.erase(name.find_last_not_of(' ') + 1);
    name = Lowered(name);
    if (IsOneOfWords(name, "con prn aux nul conin$ conout$")) return true;
    // COM and LPT with one digit 1 to 9, or a superscript 1, 2 or 3 as the machine's code page
    // spells it (0xB9, 0xB2, 0xB3 in 1252; letters in others).
    if (name.size() < 4 || (name.compare(0, 3, "com") != 0 && name.compare(0, 3, "lpt") != 0)) return false;
    const std::u16string digit = AnsiTextToUtf16(name.substr(3));
    return digit.size() == 1 && ((digit[0] >= u'1' && digit[0] <= u'9') || digit[0] == u'\u00B9' ||
                                 digit[0] == u'\u00B2' || digit[0] == u'\u00B3');
}

TweakVerdict ExamineTransfer(const CTweakInfo& tweak, int type, const char* localPath) {
    if (!tweak.m_bEnabled) return TweakVerdict::Disabled;
    // The type names bit (type AND 31) of the set.
    if ((tweak.m_nApplyTo & (1u << (static_cast<unsigned>(type) & 31u))) == 0)
        return TweakVerdict::Type;
    if (!tweak.MatchesFilter(localPath)) return TweakVerdict::Filter;
    return TweakVerdict::Applies;
}

namespace {

// The folder of what starts: a shortcut's target, or the program under its long name.
std::string FolderOfTarget(const std::string& program) {
    const std::string target = FindProgramToJudge(program).exe;
    return target.substr(0, std::min(target.find_last_of("\\/"), target.size()));
}

// Whether path lies directly in folder, letter case and a final separator aside.
bool IsFolderOf(std::string folder, const char* path) {
    const std::string text = path ? path : "";
    const size_t slash = text.find_last_of("\\/");
    if (folder.empty() || slash == std::string::npos) return false;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return IsSameRegistryName(folder, text.substr(0, slash));
}

TweakDecision Decide(const CTweakInfo& tweak, int type, const char* localPath, const char* remotePath,
                     bool searchAlways) {
    TweakDecision decision;
    decision.tweakName = tweak.m_strName;
    decision.testedName = FilterNameOf(localPath);
    decision.verdict = ExamineTransfer(tweak, type, localPath);
    const bool applies = decision.verdict == TweakVerdict::Applies;
    // The search asks the file system (PATH may hold network folders) and runs under the set's
    // lock: only for a tweak that would start, unless the caller shows every tweak.
    decision.program =
        applies || searchAlways ? FindProgramToStart(tweak.m_strExe) : ProgramToStart{tweak.m_strExe, true};
    decision.line = BuildParameterLine(decision.program.file, tweak.m_strParameters, localPath, remotePath);
    if (!applies) return decision;
    if (IsWildcardPath(localPath)) {
        decision.verdict = TweakVerdict::WildcardPath;
    } else if (IsDevicePath(localPath)) {
        decision.verdict = TweakVerdict::DevicePath;
    } else if (!decision.program.found) {
        decision.verdict = TweakVerdict::ProgramNotFound;
    } else if (!decision.line.IsSafe()) {
        decision.verdict = TweakVerdict::UnsafePath;
    } else if (IsFolderOf(decision.program.folder, localPath) || IsFolderOf(FolderOfTarget(decision.program.file), localPath)) {
        decision.line.refusal = PathRefusal::ProgramBesideFile;
        decision.verdict = TweakVerdict::UnsafePath;
    }
    return decision;
}

}  // namespace

TweakDecision DecideTweak(const CTweakInfo& tweak, int type, const char* localPath,
                          const char* remotePath) {
    return Decide(tweak, type, localPath, remotePath, false);
}

TweakDecision DecideTweakInFull(const CTweakInfo& tweak, int type, const char* localPath,
                                const char* remotePath) {
    return Decide(tweak, type, localPath, remotePath, true);
}
