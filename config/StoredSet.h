// Replacing the stored tweak set of a profile, or of the global configuration, as a whole, and
// knowing whether that worked.
#pragma once

#include <vector>

#include "config/SetWrite.h"

class CTweakConfig;

// Replaces what is stored for config's profile by exactly config's records, as one write
// (WriteStoredSets): the set key's "Count" and "Tweak %02d" keys, nothing else below it, so the
// sets of profiles nested in this one stay. The live sessions of the profile then reload,
// whatever the write achieved. A profile whose key cannot hold a set (IsSetKeyPath) changes nothing.
SetWriteResult ReplaceStoredSet(const CTweakConfig& config);
// The same for several sets at once: all of them are stored, or none.
SetWriteResult ReplaceStoredSets(const std::vector<const CTweakConfig*>& sets);


// The tweak list's save: as ReplaceStoredSet, with the write made as the host makes its writes
// (WriteAsHost): by the elevated helper where the registry refuses it for want of rights. kDenied
// when neither road wrote. With loaded, only where the set's key still holds those parts, checked
// inside the write's turn: else kChangedSince, nothing written.
SetWriteResult SaveStoredSet(const CTweakConfig& config, const KeySnapshot* loaded = nullptr);

// Loads config (CTweakConfig::Load) and reads the parts stored at its own key as one read, with
// no write between: what a later SaveStoredSet expects to replace. False, *loaded not to be used,
// when the parts could not be read.
bool LoadReplaceable(CTweakConfig& config, KeySnapshot* loaded);
