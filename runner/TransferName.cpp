// One table of the transfer types' names, for the tweaks' environment and the companion program.
#include "runner/TransferName.h"

namespace {
const char* const kNames[] = {"download", "view", "open", "move-local", "upload", "move-server"};
}

const char* TransferBitName(unsigned bit) {
    return bit < sizeof kNames / sizeof kNames[0] ? kNames[bit] : nullptr;
}
