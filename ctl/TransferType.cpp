// Names of the transfer types, in bit order.
#include "ctl/TransferType.h"

#include <cerrno>
#include <cstdlib>

#include "runner/TransferName.h"

bool ParseTransferType(const std::string& text, int* type) {
    for (unsigned bit = 0; const char* name = TransferBitName(bit); ++bit) {
        if (text == name) {
            *type = static_cast<int>(bit);
            return true;
        }
    }
    // Digits with an optional minus only: the C runtime would also take leading blanks and "+".
    const size_t digits = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (text.size() <= digits || text[digits] < '0' || text[digits] > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || number < INT32_MIN || number > INT32_MAX) return false;
    *type = static_cast<int>(number);
    return true;
}
