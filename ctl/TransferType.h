// Transfer types by the names the tool uses: download, view, open, move-local, upload, move-server.
#pragma once

#include <cstdint>
#include <string>

// A name or a decimal number (any 32-bit one; the host's bit is its low five bits). False for
// anything else.
bool ParseTransferType(const std::string& text, int* type);

// The name of the type's bit, or "type N" for a bit without a name.
std::string TransferTypeName(int type);

// The names of the ticked bits of an "Apply To" set, separated by ", ", bits without a name as
// their number; "none" when no bit is set.
std::string ApplyToNames(uint32_t applyTo);
