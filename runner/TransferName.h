// The names of the transfer types, one per bit of a tweak's "Apply To" set.
#pragma once

// "download", "view", "open", "move-local", "upload" or "move-server" for bits 0 to 5; null for
// a bit without a name.
const char* TransferBitName(unsigned bit);
