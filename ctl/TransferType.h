// Transfer types by the names the tool uses: download, view, open, move-local, upload, move-server.
#pragma once

#include <string>

#include "runner/TransferName.h"

// A name or a decimal number (any 32-bit one; the host's bit is its low five bits). False for
// anything else.
bool ParseTransferType(const std::string& text, int* type);
