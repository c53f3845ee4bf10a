// Escaping the fields of the tab-separated forms.
#include "runner/TsvField.h"

std::string EscapeTsvField(const std::string& field) {
    std::string out;
    for (char c : field) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

std::string UnescapeTsvField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        const char next = i + 1 < field.size() ? field[i + 1] : '\0';
        if (field[i] == '\\' && (next == 't' || next == 'r' || next == 'n' || next == '\\')) {
            out += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++i;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string> SplitTsvLine(const std::string& line) {
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
        fields.push_back(UnescapeTsvField(line.substr(from, tab - from)));
    fields.push_back(UnescapeTsvField(line.substr(from)));
    return fields;
}
