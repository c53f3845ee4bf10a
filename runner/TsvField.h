// Fields of the tab-separated forms (explain --tsv, the run record, history --tsv).
#pragma once

#include <string>
#include <vector>

// A field of the tab-separated form: tab, CR, LF and backslash as \t, \r, \n and \\.
std::string EscapeTsvField(const std::string& field);

// The field back: \t, \r, \n and \\ to their characters; any other backslash stays as it is.
std::string UnescapeTsvField(const std::string& field);

// The fields of one line (without its line break), each unescaped.
std::vector<std::string> SplitTsvLine(const std::string& line);
