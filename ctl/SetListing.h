// What "list" and "show" print: the stored sets with their tweak keys, and one set in full.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ctl/StoredSets.h"

class CTweakConfig;
class CTweakInfo;

// The positions at or above the count that Load reads, and the positions below it without a key.
struct TweakKeyGaps {
    std::vector<long> unread;
    std::vector<long> missing;  // may be long for a damaged "Count": print with DescribeRanges
};
TweakKeyGaps FindTweakKeyGaps(const StoredSet& set, int count);

// "Tweak 02, Tweak 05 to Tweak 09"
std::string DescribeRanges(const std::vector<long>& indices);

// "the global configuration" or "profile "NAME"".
std::string DescribeSet(const std::string& profile);

struct TweakSetSource;
// The first line of show and explain: which set the profile uses, and its key.
std::string DescribeSource(const std::string& profile, const TweakSetSource& source);

// Every set below "Configurations" as stored now. False when the tree could not be read whole.
bool ListStoredSets(std::ostream& out);

// The set that profile uses and its tweaks with every field.
void ShowTweakSet(const std::string& profile, std::ostream& out);

// One tweak's fields, each on its own line with indent before it.
void PrintTweakFields(const CTweakInfo& tweak, const std::string& indent, std::ostream& out);
