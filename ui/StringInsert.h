// Filling the one "%s" of a string-table entry.
#pragma once

#include <string>

// format with its first "%s" replaced by value. The value is inserted as text, never used as a
// format, so a '%' in a folder or tweak name is shown as it is.
std::string InsertIntoString(const std::string& format, const std::string& value);
