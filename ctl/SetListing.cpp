// Listing stored sets and showing one.
#include "ctl/SetListing.h"

#include <cstdio>

#include "config/AppBase.h"
#include "config/ProfileNotes.h"
#include "config/RegistryValues.h"
#include "config/SetParts.h"
#include "config/TweakConfig.h"
#include "config/SetWrite.h"
#include "config/TweakInfo.h"
#include "config/TweakKeyIndex.h"
#include "config/TweakSetSource.h"
#include "ctl/RegistryDump.h"
#include "ctl/TransferType.h"
#include "platform/RegistryNames.h"

namespace {

std::string Plural(long n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// "Count" as sessions read it (a committed write not yet in place counts as made).
int32_t StoredCount(const std::string& keyPath) {
    const ConfigurationView view;
    KeySnapshot parts;
    if (!ReadStoredSetParts(view, keyPath, &parts)) return -1;
    return KeyValueReader(&parts).Dword("Count", -1);
}

}  // namespace

TweakKeyGaps FindTweakKeyGaps(const StoredSet& set, int count) {
    TweakKeyGaps gaps;
    const long read = count < 0 ? 0 : (count > CTweakConfig::kMaxTweaks ? CTweakConfig::kMaxTweaks : count);
    long next = 0;
    for (const StoredTweakKey& tweak : set.tweaks) {
        if (tweak.index >= read) {
            gaps.unread.push_back(tweak.index);
            continue;
        }
        for (; next < tweak.index; ++next) gaps.missing.push_back(next);
        next = tweak.index + 1;
    }
    for (; next < read; ++next) gaps.missing.push_back(next);
    return gaps;
}

std::string DescribeRanges(const std::vector<long>& indices) {
    std::string text;
    for (size_t i = 0; i < indices.size();) {
        size_t j = i;
        while (j + 1 < indices.size() && indices[j + 1] == indices[j] + 1) ++j;
        if (!text.empty()) text += ", ";
        text += TweakKeyName(static_cast<size_t>(indices[i]));
        if (j > i) text += " to " + TweakKeyName(static_cast<size_t>(indices[j]));
        i = j + 1;
    }
    return text;
}

std::string DescribeSet(const std::string& profile) {
    return profile.empty() ? "the global configuration" : "profile \"" + profile + "\"";
}

bool ListStoredSets(std::ostream& out) {
    RegFile tree;
    const bool whole = DumpRegistryTree(ConfigurationsKeyPath(), &tree);
    const StoredLayout layout = FindStoredSets(tree);
    bool globalSeen = false;
    for (const StoredSet& set : layout.sets) globalSeen = globalSeen || set.profile.empty();
    if (!globalSeen) {
        out << "Global configuration: none stored, so profiles without their own run no tweaks\n";
    }
    // Profiles that FTP Zorvant renamed or deleted, as far as this user's notes know, whose set
    // could not follow.
    std::vector<std::string> left = DeclinedDeletes();
    DeclinedRename rename;
    if (LastDeclinedRename(&rename)) left.push_back(rename.from);
    for (const StoredSet& set : layout.sets) {
        const int32_t count = StoredCount(set.keyPath);
        bool unused = false;
        for (const std::string& name : left) unused = unused || (!set.profile.empty() && IsSameRegistryName(name, set.profile));
        out << (set.profile.empty() ? std::string("Global configuration") : "Profile \"" + set.profile + "\"");
        if (unused) out << " (no profile uses it, as far as this user's notes know: FTP Zorvant renamed or deleted it)";
        if (count < 0) {
            out << ": no configuration of its own (\"Count\" is " << count << " or not a number)"
                << (set.profile.empty() ? ": no tweaks run\n" : ": uses the global configuration\n");
        } else {
            out << ": " << Plural(count, "tweak") << "\n";
        }
        if (count > CTweakConfig::kMaxTweaks) {
            out << "    \"Count\" " << count << " is above the " << CTweakConfig::kMaxTweaks
                << " tweaks that are read\n";
        }
        const TweakKeyGaps gaps = FindTweakKeyGaps(set, count);
        if (!gaps.unread.empty()) {
            out << "    never read (at or above \"Count\"): " << DescribeRanges(gaps.unread) << "\n";
        }
        if (!gaps.missing.empty()) {
            out << "    missing below \"Count\" (each reads as a tweak that never runs): "
                << DescribeRanges(gaps.missing) << "\n";
        }
    }
    if (!whole) out << "Some keys could not be read whole.\n";
    return whole;
}

void PrintTweakFields(const CTweakInfo& tweak, const std::string& indent, std::ostream& out) {
    char applyTo[16];
    std::snprintf(applyTo, sizeof applyTo, "0x%08x", static_cast<unsigned>(tweak.m_nApplyTo));
    out << indent << "Name:        " << tweak.m_strName << "\n"
        << indent << "Exe:         " << tweak.m_strExe << "\n"
        << indent << "Parameters:  " << tweak.m_strParameters << "\n"
        << indent << "Enabled:     " << (tweak.m_bEnabled ? "yes" : "no") << "\n"
        << indent << "Ignore case: " << (tweak.m_bIgnoreCase ? "yes" : "no") << "\n"
        << indent << "Apply to:    " << ApplyToNames(tweak.m_nApplyTo) << " (" << applyTo << ")\n"
        << indent << "Filter:      "
        << (tweak.m_arrFilters.empty() ? std::string("(none: every file)") : tweak.GetFilterString()) << "\n";
    // Shown only when set, as they are stored only then.
    if (tweak.m_bStopOnFailure) out << indent << "On failure:  the tweaks after it do not run\n";
    if (tweak.m_nTimeLimit != 0) {
        out << indent << "Time limit:  " << tweak.m_nTimeLimit << " s"
            << (tweak.m_nTimeLimit > kMaxTimeLimit ? " (above a day: read as none)" : "") << "\n";
    }
}

std::string DescribeSource(const std::string& profile, const TweakSetSource& source) {
    const std::string key = "HKEY_USERS\\" + source.keyPath;
    if (profile.empty()) return "The global configuration: " + key;
    return "Profile \"" + profile + "\" uses " +
           (source.own ? "its own set: " : "the global set (it has no configuration of its own): ") + key;
}

void ShowTweakSet(const std::string& profile, std::ostream& out) {
    CTweakConfig set(profile.c_str());
    // The set as Load reads it, also while a write is pending.
    const ConfigurationView view;
    const TweakSetSource source = FindTweakSetSource(set, &view);
    set.Load();
    out << DescribeSource(profile, source) << "\n";
    out << Plural(static_cast<long>(set.m_arrTweaks.size()), "tweak") << "\n";
    for (size_t i = 0; i < set.m_arrTweaks.size(); ++i) {
        out << "\n" << TweakKeyName(i) << "\n";
        PrintTweakFields(*set.m_arrTweaks[i], "  ", out);
    }
}
