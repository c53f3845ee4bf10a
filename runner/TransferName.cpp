// One table of the transfer types' names, for the tweaks' environment and the companion program.
#include "runner/TransferName.h"

namespace {
const char* const kNames[] = {"download", "view", "open", "move-local", "upload", "move-server"};
}

const char* TransferBitName(unsigned bit) {
    return bit < sizeof kNames / sizeof kNames[0] ? kNames[bit] : nullptr;
}

std::string TransferTypeName(int type) {
    const unsigned bit = static_cast<unsigned>(type) & 31u;
    const char* name = TransferBitName(bit);
    return name ? name : "type " + std::to_string(bit);
}

std::string ApplyToNames(uint32_t applyTo) {
    std::string names;
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((applyTo & (1u << bit)) == 0) continue;
        if (!names.empty()) names += ", ";
        names += TransferTypeName(static_cast<int>(bit));
    }
    return names.empty() ? "none" : names;
}
