// Replacing the stored tweak set of a profile, or of the global configuration, as a whole, and
// knowing whether that worked.
#pragma once

#include <string>
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
// when neither road wrote; kInterrupted is saved (see IsSaved). *notes (may be null) receives what
// the user is to be told (HostWriteOutcome::notes). With loaded, only where the set's key still
// holds those parts, checked inside the write's turn: else kChangedSince, nothing written.
// takenFrom, when not empty: the profile whose set the list took over (a rename's set that could
// not follow), removed in the same write where it still holds takenParts (else kChangedSince).
SetWriteResult SaveStoredSet(const CTweakConfig& config, std::vector<std::string>* notes = nullptr,
                             const KeySnapshot* loaded = nullptr, const std::string& takenFrom = std::string(),
                             const KeySnapshot& takenParts = KeySnapshot());
// The same for several sets at once, in one request: all of them are stored, or none. loaded is
// taken only for a single set.
SetWriteResult SaveStoredSets(const std::vector<const CTweakConfig*>& sets, std::vector<std::string>* notes = nullptr,
                              const KeySnapshot* loaded = nullptr, const std::string& takenFrom = std::string(),
                              const KeySnapshot& takenParts = KeySnapshot());

// Loads config (CTweakConfig::Load) and reads the parts stored at its own key from one state of
// the store, with no write between: what a later SaveStoredSet expects to replace. False,
// *loaded not to be used, when the parts could not be read.
bool LoadReplaceable(CTweakConfig& config, KeySnapshot* loaded);
