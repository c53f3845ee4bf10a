// What "check" looks for: what makes a tweak silently do nothing, or do harm.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ctl/StoredSets.h"

class CTweakInfo;

// The problems of one tweak's fields, each a sentence.
std::vector<std::string> CheckTweak(const CTweakInfo& tweak);

// The problems of a set's keys and value types as stored.
std::vector<std::string> CheckStoredKeys(const StoredSet& set);

// True when no file name can ever pass the filter pattern.
bool FilterNeverMatches(const std::string& pattern, int ignoreCase);

// Checks every stored set, or with a profile the set it uses; prints the problems and returns
// how many there were (a tree that cannot be read whole counts as one).
int CheckSets(const std::string* profile, std::ostream& out);
