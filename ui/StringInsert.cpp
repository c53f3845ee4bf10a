// Filling the one "%s" of a string-table entry.
#include "ui/StringInsert.h"

std::string InsertIntoString(const std::string& format, const std::string& value) {
    std::string text = format;
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}
