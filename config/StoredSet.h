// Replacing the stored tweak set of a profile, or of the global configuration, as a whole, and
// knowing whether that worked.
#pragma once

class CTweakConfig;

// Replaces what is stored for config's profile by exactly config's records: deletes the set's
// key with everything below it (unless CanReplaceSetKey forbids it), saves the set, which makes
// the live sessions reload, and checks that the key now holds "Count" and the seven values of
// every "Tweak %02d", with the right types and data, and nothing else. A null record is no key:
// Load reads its missing key as a fresh record. When it does not, what
// was stored before is written back, the sessions reload again, and the result is false.
bool ReplaceStoredSet(CTweakConfig& config);

// Whether the set's key holds exactly config's records as Save writes them. wholeKey: also no
// other values or subkeys in the set's key and the tweak keys.
bool HoldsExactly(const CTweakConfig& config, bool wholeKey);
