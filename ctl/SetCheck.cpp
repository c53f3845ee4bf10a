// Checking stored sets and their tweaks.
#include "ctl/SetCheck.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "config/TweakSetSource.h"
#include "ctl/RegistryDump.h"
#include "ctl/SetListing.h"
#include "platform/FileSystem.h"
#include "platform/WinTypes.h"
#include "runner/ParameterLine.h"
#include "runner/ProgramKind.h"
#include "runner/ProgramSearch.h"
#include "runner/ProgramToJudge.h"
#include "runner/TweakEnvironment.h"
#include "runner/WildcardMatch.h"

namespace {

const char* const kPlaceholders[] = {"%LOCAL_FILE_PATH%", "%REMOTE_FILE_PATH%"};

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The %WORD% tokens of a text with their positions, taken in pairs from the left.
std::vector<std::pair<size_t, std::string>> PercentTokens(const std::string& text) {
    std::vector<std::pair<size_t, std::string>> tokens;
    for (size_t start = text.find('%'); start != std::string::npos;) {
        const size_t end = text.find('%', start + 1);
        if (end == std::string::npos) break;
        const std::string word = text.substr(start + 1, end - start - 1);
        const bool isWord = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ' ' || c == '-';
        });
        if (!isWord) {
            start = end;
            continue;
        }
        tokens.emplace_back(start, text.substr(start, end - start + 1));
        start = text.find('%', end + 1);
    }
    return tokens;
}

// Meant as a placeholder: close to one in spelling, or naming the local or remote path.
// One of the variables every tweak gets, which cmd.exe expands in a batch target's line (and
// the tweak's own environment holds), in any letter case as Windows compares variable names.
bool IsTweakVariable(const std::string& token) {
    for (const char* name : kTweakVariableNames) {
        if (Upper(token) == "%" + std::string(name) + "%") return true;
    }
    return false;
}

bool LooksLikePlaceholder(const std::string& token) {
    const std::string upper = Upper(token);
    if (upper.find("LOCAL") != std::string::npos || upper.find("REMOTE") != std::string::npos) return true;
    for (const char* placeholder : kPlaceholders) {
        const std::string p = placeholder;
        std::vector<size_t> row(p.size() + 1);
        for (size_t j = 0; j <= p.size(); ++j) row[j] = j;
        for (size_t i = 1; i <= upper.size(); ++i) {
            size_t diagonal = row[0];
            row[0] = i;
            for (size_t j = 1; j <= p.size(); ++j) {
                const size_t above = row[j];
                row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (upper[i - 1] == p[j - 1] ? 0 : 1)});
                diagonal = above;
            }
        }
        if (row[p.size()] <= 4) return true;
    }
    return false;
}


std::string TypeName(uint32_t type) {
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    default: return "type " + std::to_string(type);
    }
}

void CheckType(const RegFileKey& key, const char* name, uint32_t type, const std::string& where,
               std::vector<std::string>* problems) {
    const RegFileValue* value = FindRegFileValue(key, name);
    if (value == nullptr) return;
    const bool sized = type != REG_DWORD || value->data.size() == 4;
    if (value->type == type && sized) return;
    problems->push_back(where + "\"" + name + "\" is " + TypeName(value->type) + " of " +
                        std::to_string(value->data.size()) + " bytes, not " + TypeName(type) +
                        (type == REG_DWORD ? " of 4 bytes" : ""));
}

}  // namespace

bool FilterNeverMatches(const std::string& pattern, int ignoreCase) {
    // The shortest candidate: stars take nothing, "?" and classes one byte. A file name never
    // holds a backslash, so an element that only a backslash satisfies never matches.
    std::string witness;
    for (size_t p = 0; p < pattern.size();) {
        const char c = pattern[p];
        if (c == '*') {
            ++p;
        } else if (c == '?') {
            witness += 'x';
            ++p;
        } else if (c == '\\') {
            if (p + 1 >= pattern.size() || pattern[p + 1] == '\\') return true;
            witness += pattern[p + 1];
            p += 2;
        } else if (c == '[') {
            char member = 0;
            size_t q = p + 1;
            for (; q < pattern.size() && pattern[q] != ']'; ++q) {
                char candidate = pattern[q];
                if (candidate == '\\') {
                    if (++q >= pattern.size()) break;
                    candidate = pattern[q];
                }
                if (member == 0 && candidate != '\\') member = candidate;
            }
            if (member == 0) return true;
            witness += member;
            p = q < pattern.size() ? q + 1 : q;
        } else {
            witness += c;
            ++p;
        }
    }
    return WildcardMatch(pattern.c_str(), witness.c_str(), ignoreCase) == 0;
}

// A backslash that escapes no bracket or backslash (a name may hold those, never * or ?) separates
// folders.
bool HoldsFolder(const std::string& filter) {
    for (size_t p = 0; p + 1 < filter.size(); ++p) {
        if (filter[p] != '\\') continue;
        if (std::strchr("[]\\", filter[p + 1]) == nullptr) return true;
        ++p;
    }
    return false;
}

// A - between two members of a bracket class, as other wildcard dialects read a range.
bool HoldsRange(const std::string& filter) {
    for (size_t open = filter.find('['); open != std::string::npos; open = filter.find('[', open + 1)) {
        const size_t close = filter.find(']', open);
        const size_t dash = filter.find('-', open);
        if (close != std::string::npos && dash != std::string::npos && dash > open + 1 && dash + 1 < close) return true;
    }
    return false;
}

std::vector<std::string> CheckTweak(const CTweakInfo& tweak) {
    std::vector<std::string> problems;
    const ProgramToStart found = FindProgramToStart(tweak.m_strExe);
    if (tweak.m_strExe.empty()) {
        problems.push_back("no program is given");
    } else if (!found.found) {
        problems.push_back(DescribeProgramNotFound(tweak.m_strExe));
    }
    if ((tweak.m_nApplyTo & 0x3Fu) == 0) {
        problems.push_back("no transfer type is ticked, so it never runs");
    }
    for (const auto& token : PercentTokens(tweak.m_strExe)) {
        if (LooksLikePlaceholder(token.second)) {
            problems.push_back(token.second + " in the program path is never replaced");
        }
    }
    bool placeholder = false;
    for (const auto& token : PercentTokens(tweak.m_strParameters)) {
        const bool exact = token.second == kPlaceholders[0] || token.second == kPlaceholders[1];
        placeholder = placeholder || exact;
        if (exact) {
            continue;
        } else if (Upper(token.second) == kPlaceholders[0] || Upper(token.second) == kPlaceholders[1]) {
            problems.push_back(token.second + " is in the wrong letter case: it is passed on "
                                              "unchanged; write " + Upper(token.second));
        } else if (LooksLikePlaceholder(token.second) && !IsTweakVariable(token.second)) {
            problems.push_back(token.second + " is no placeholder (misspelt?): it is passed on "
                                              "unchanged; the placeholders are %LOCAL_FILE_PATH% and "
                                              "%REMOTE_FILE_PATH%");
        }
    }
    const std::string& program = found.file;
    // A shortcut is checked as the program it starts, as the guard judges it.
    const ProgramToJudge judged = FindProgramToJudge(program);
    const ProgramKind kind = judged.kind;
    for (const char* name : kPlaceholders) {
        const std::string open(name, std::strlen(name) - 1);
        for (size_t at = Upper(tweak.m_strParameters).find(open); at != std::string::npos;
             at = Upper(tweak.m_strParameters).find(open, at + 1)) {
            if (tweak.m_strParameters.compare(at + open.size(), 1, "%") != 0) {
                problems.push_back(open + " lacks its closing %: it is passed on unchanged; write " + name);
                break;
            }
        }
    }
    const std::string variable = CodeVariableOf(judged.exe);
    // A line that the guard refuses whatever the names: its shape, or a path in a code argument.
    // Judged by the runner's own guard, with paths that hold nothing any rule looks at.
    const ParameterLine probe = BuildParameterLine(program, tweak.m_strParameters, "C:\\in\\a.txt", "/pub/a.txt");
    // Ordinary names that hold what shells read: a line that refuses them refuses many downloads.
    const char* const awkward = "C:\\in\\Q&A (1), it's 50%.txt";
    const ParameterLine ordinary =
        BuildParameterLine(program, tweak.m_strParameters, awkward, "/pub/Q&A (1), it's 50%.txt");
    if (!probe.IsSafe()) {
        problems.push_back("every transfer is refused: " + std::string(DescribeRefusal(probe.refusal)) +
                           (variable.empty() ? "" : " (here: " + variable + ")") +
                           (kind == ProgramKind::Cmd ? "; after /c cmd.exe strips the outer quotes of the command, "
                                                       "so write /c \"\"C:\\script.bat\" \"%LOCAL_FILE_PATH%\"\" "
                                                       "(quotes around the whole command)" : ""));
    } else if (!ordinary.IsSafe()) {
        problems.push_back(std::string("ordinary names such as ") + awkward + " are refused: " +
                           DescribeRefusal(ordinary.refusal));
    }
    // The server's path below a folder of the user's: it decides where below that folder the file goes.
    const size_t remote = tweak.m_strParameters.find(kPlaceholders[1]);
    if (remote != std::string::npos && remote > 0 && std::strchr(" \t\"'=", tweak.m_strParameters[remote - 1]) == nullptr) {
        problems.push_back(std::string("the server's path is written into a destination: the server chooses the "
                                       "folders below it (. and .. parts, drives, devices and wildcards are "
                                       "refused); pass only its file name if that is what you want"));
    }
    if (placeholder && !variable.empty()) {
        problems.push_back("the program runs code from its command line: a path written into that code is "
                           "refused whenever the code's quoting could not hold it; read it from the "
                           "environment instead (" + variable + ")");
    }
    if (placeholder && kind == ProgramKind::Unseen) {
        problems.push_back("the program is a shortcut whose target cannot be read or is another shortcut, "
                           "or a name without extension: what it starts cannot be seen, so a path in its "
                           "line must pass the rules of every kind of program (batch files, cmd.exe, "
                           "PowerShell, interpreters), and one with a blank is refused; "
                           "name the program itself, or read the path from %" +
                           std::string(kTweakVariableNames[0]) + "%");
    }
    if (tweak.m_nTimeLimit > kMaxTimeLimit) {
        problems.push_back("\"Time Limit\" " + std::to_string(tweak.m_nTimeLimit) + " is above " +
                           std::to_string(kMaxTimeLimit) + " s (a day) and reads as no limit");
    }
    for (const std::string& filter : tweak.m_arrFilters) {
        if (filter.find_first_of("/:") != std::string::npos || HoldsFolder(filter)) {
            problems.push_back("the filter " + filter + " names a folder: filters see only the file name");
        } else if (HoldsRange(filter)) {
            problems.push_back("the filter " + filter + " holds a range: brackets take no ranges, [0-9] matches "
                               "0, - or 9; list the characters, [0123456789]");
        } else if (FilterNeverMatches(filter, tweak.m_bIgnoreCase)) {
            problems.push_back("the filter " + filter + " can never match a file name");
        }
    }
    return problems;
}

std::vector<std::string> CheckStoredKeys(const StoredSet& set) {
    std::vector<std::string> problems;
    CheckType(*set.key, "Count", REG_DWORD, "", &problems);
    const CAppBase* app = AfxGetApp();
    const int32_t count = app ? app->ReadRegDword(HKEY_USERS, set.keyPath.c_str(), "Count", -1) : -1;
    if (count > CTweakConfig::kMaxTweaks) {
        problems.push_back("\"Count\" " + std::to_string(count) + " is above the " +
                           std::to_string(CTweakConfig::kMaxTweaks) + " tweaks that are read");
    }
    const TweakKeyGaps gaps = FindTweakKeyGaps(set, count);
    if (!gaps.missing.empty()) {
        problems.push_back("tweak keys missing below \"Count\" (each reads as a tweak that never runs): " +
                           DescribeRanges(gaps.missing));
    }
    if (!gaps.unread.empty()) {
        problems.push_back("tweak keys left at or above \"Count\" (never read): " + DescribeRanges(gaps.unread));
    }
    for (const StoredTweakKey& tweak : set.tweaks) {
        const std::string where = TweakKeyName(static_cast<size_t>(tweak.index)) + ": ";
        for (const StoredTweakValue& value : StoredValuesOf(CTweakInfo())) {
            CheckType(*tweak.key, value.name, value.type, where, &problems);
        }
    }
    return problems;
}

int CheckSets(const std::string* profile, std::ostream& out) {
    RegFile tree;
    const bool whole = DumpRegistryTree(ConfigurationsKeyPath(), &tree);
    const StoredLayout layout = FindStoredSets(tree);
    std::string onlyKey;
    if (profile) {
        CTweakConfig set(profile->c_str());
        const TweakSetSource source = FindTweakSetSource(set);
        onlyKey = source.keyPath;
        if (!source.own && !profile->empty()) out << DescribeSet(*profile) << " uses the global configuration.\n";
    }
    int found = whole ? 0 : 1;
    if (!whole) out << "Some keys below HKEY_USERS\\" << ConfigurationsKeyPath() << " could not be read whole.\n";
    for (const StoredSet& stored : layout.sets) {
        if (profile && !IsSameKeyPath(stored.keyPath, onlyKey)) continue;
        std::vector<std::string> lines;
        for (const std::string& problem : CheckStoredKeys(stored)) lines.push_back("  " + problem);
        CTweakConfig set(stored.profile.c_str());
        const TweakSetSource source = FindTweakSetSource(set);
        // A key whose "Count" does not count is no set of its own: its tweaks never run.
        // Only the tweak keys that Load reads and that exist are read, as Load reads them: a missing
        // one is the fresh record that the line about missing keys names, so a "Count" far above
        // the keys stored costs nothing.
        if (source.own || stored.profile.empty()) {
            const CAppBase* app = AfxGetApp();
            const int32_t count = app ? app->ReadRegDword(HKEY_USERS, source.keyPath.c_str(), "Count", -1) : -1;
            for (const StoredTweakKey& key : stored.tweaks) {
                if (key.index >= std::min<int32_t>(count, CTweakConfig::kMaxTweaks)) break;
                const std::string name = TweakKeyName(static_cast<size_t>(key.index));
                CTweakInfo tweak;
                tweak.Load(source.keyPath + "\\" + name);
                for (const std::string& problem : CheckTweak(tweak)) {
                    lines.push_back("  " + name + " \"" + tweak.m_strName + "\": " + problem);
                }
            }
        }
        const std::string title = stored.profile.empty() ? "The global configuration" : "Profile \"" + stored.profile + "\"";
        if (lines.empty()) {
            out << title << ": no problems\n";
            continue;
        }
        out << title << " (HKEY_USERS\\" << stored.keyPath << "):\n";
        for (const std::string& line : lines) out << line << "\n";
        found += static_cast<int>(lines.size());
    }
    out << (found == 0 ? std::string("No problems found.") : std::to_string(found) + (found == 1 ? " problem" : " problems") + " found.") << "\n";
    return found;
}
