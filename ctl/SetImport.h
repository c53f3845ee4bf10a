// What a registry file may bring into the configuration: sets below "Configurations" with the
// values the add-on knows, each of its own type. The whole file is examined before anything is
// written, so that a bad file changes nothing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ctl/RegFile.h"

class CTweakConfig;

struct ImportedSet {
    std::unique_ptr<CTweakConfig> config;  // the records, under the set's profile; null for a missing tweak key
    int line = 0;                          // the set key's line in the file
};

// The sets of file, parents before the profiles nested below them. With a target profile (which
// may be empty for the global configuration), the file must hold exactly one set, which then
// goes to that profile. False with *error naming the line and the problem.
bool ReadImportedSets(const RegFile& file, const std::string* targetProfile,
                      std::vector<ImportedSet>* sets, RegFileError* error);
