// Reading a tweak key's name back as its position in the set.
#pragma once

#include <string>

// The position whose key has this name (letter case aside, as the registry compares), or -1 for
// a name that Load never reads, such as "Tweak 5" or "Tweak 007".
long TweakIndexOfKeyName(const std::string& name);
