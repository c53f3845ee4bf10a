// The names of the transfer types, one per bit of a tweak's "Apply To" set.
#pragma once

#include <cstdint>
#include <string>

// "download", "view", "open", "move-local", "upload" or "move-server" for bits 0 to 5; null for
// a bit without a name.
const char* TransferBitName(unsigned bit);

// The name of the type's bit, or "type N" for a bit without a name.
std::string TransferTypeName(int type);

// The names of the ticked bits of an "Apply To" set, separated by ", ", bits without a name as
// their number; "none" when no bit is set.
std::string ApplyToNames(uint32_t applyTo);
