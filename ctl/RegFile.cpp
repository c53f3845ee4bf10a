// Writing and reading registry files. Strings escape only "\" and the double quote, as the editor
// does; a string the quoted form cannot carry (a line break, a zero inside, no terminating zero)
// is written as hex(1), which the editor reads back to the same bytes.
#include "ctl/RegFile.h"

#include <cstdio>

#include "platform/AnsiText.h"
#include "platform/WinTypes.h"

namespace {

const char16_t kUnicodeHeader[] = u"Windows Registry Editor Version 5.00";
const char16_t kAnsiHeader[] = u"REGEDIT4";

void Append(std::u16string& out, const std::string& ascii) {
    for (char c : ascii) out += static_cast<char16_t>(static_cast<unsigned char>(c));
}

std::u16string Quoted(const std::string& ansi) {
    std::u16string out = u"\"";
    for (char16_t u : AnsiTextToUtf16(ansi)) {
        if (u == u'\\' || u == u'"') out += u'\\';
        out += u;
    }
    return out + u"\"";
}

bool IsStringType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The quoted form holds text with one terminating zero and no line break.
bool FitsQuotedString(const std::vector<uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
    }
    return true;
}

// The data as the Unicode form's hex lists carry it: string types as UTF-16LE.
std::vector<uint8_t> HexBytes(const RegFileValue& value) {
    if (!IsStringType(value.type)) return value.data;
    std::vector<uint8_t> bytes;
    for (char16_t u : AnsiTextToUtf16(std::string(value.data.begin(), value.data.end()))) {
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

// "hex:" or "hex(N):" with the bytes, broken before column 80 with "\" and two blanks.
void AppendHex(std::u16string& out, size_t column, const RegFileValue& value) {
    char text[32];
    if (value.type == REG_BINARY) {
        std::snprintf(text, sizeof text, "hex:");
    } else {
        std::snprintf(text, sizeof text, "hex(%x):", static_cast<unsigned>(value.type));
    }
    Append(out, text);
    column += std::char_traits<char>::length(text);
    const std::vector<uint8_t> bytes = HexBytes(value);
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(text, sizeof text, "%02x", bytes[i]);
        Append(out, text);
        column += 2;
        if (i + 1 < bytes.size()) {
            out += u',';
            ++column;
            if (column > 76) {
                Append(out, "\\\r\n  ");
                column = 2;
            }
        }
    }
}

}  // namespace

std::vector<uint8_t> WriteRegFile(const RegFile& file) {
    std::u16string out = kUnicodeHeader;
    out += u"\r\n";
    for (const RegFileKey& key : file.keys) {
        out += u"\r\n[";
        out += AnsiTextToUtf16(key.path);
        out += u"]\r\n";
        for (const RegFileValue& value : key.values) {
            const std::u16string name = value.name.empty() ? u"@" : Quoted(value.name);
            out += name + u"=";
            if (value.type == REG_SZ && FitsQuotedString(value.data)) {
                out += Quoted(std::string(value.data.begin(), value.data.end() - 1));
            } else if (value.type == REG_DWORD && value.data.size() == 4) {
                char text[16];
                const uint32_t n = uint32_t(value.data[0]) | uint32_t(value.data[1]) << 8 |
                                   uint32_t(value.data[2]) << 16 | uint32_t(value.data[3]) << 24;
                std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(n));
                Append(out, text);
            } else {
                AppendHex(out, name.size() + 1, value);
            }
            out += u"\r\n";
        }
    }
    out += u"\r\n";
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t u : out) {
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

namespace {

class Reader {
public:
    Reader(RegFile* file, RegFileError* error) : m_file(file), m_error(error) {}

    bool Read(const std::vector<uint8_t>& bytes) {
        std::u16string text;
        if (!Decode(bytes, &text)) return false;
        std::vector<std::u16string> lines;
        SplitLines(text, &lines);
        if (lines.empty()) return Fail(1, "the file is empty");
        if (lines[0] == kUnicodeHeader) {
            if (!m_bUnicode) {
                return Fail(1, "the file says \"Windows Registry Editor Version 5.00\" but is "
                               "not UTF-16LE with a byte order mark");
            }
        } else if (lines[0] == kAnsiHeader) {
            m_bUnicode = false;
        } else {
            return Fail(1, "the file does not start with \"Windows Registry Editor Version 5.00\" "
                           "or \"REGEDIT4\"");
        }
        for (size_t i = 1; i < lines.size(); ++i) {
            const int lineNo = static_cast<int>(i + 1);
            std::u16string line = TrimLeft(lines[i]);
            // A comment is a line of its own, whatever it ends in, as the editor reads it.
            if (line.empty() || line[0] == u';') continue;
            // Only a hex list goes on over lines that end in "\"; whether the line holds one is
            // decided once, from its start, so that joining stays linear in the file.
            if (IsHexValueLine(line)) {
                while (!line.empty() && line.back() == u'\\') {
                    line.pop_back();
                    if (++i >= lines.size()) return Fail(lineNo, "the value is cut off: its continuation line is missing");
                    line.append(lines[i], FirstNonBlank(lines[i]), std::u16string::npos);
                }
            }
            if (!(line[0] == u'[' ? ReadKey(line, lineNo) : ReadValue(line, lineNo))) return false;
        }
        return true;
    }

private:
    bool Fail(int line, const std::string& message) {
        m_error->line = line;
        m_error->message = message;
        return false;
    }

    bool Decode(const std::vector<uint8_t>& bytes, std::u16string* text) {
        if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            if (bytes.size() % 2 != 0) return Fail(0, "the UTF-16 text ends in half a character");
            m_bUnicode = true;
            for (size_t i = 2; i < bytes.size(); i += 2) {
                *text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
            }
            return true;
        }
        if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
            return Fail(0, "the file is UTF-16 big-endian, which the registry editor does not write");
        }
        m_bUnicode = false;
        for (uint8_t b : bytes) {
            if (b == 0) return Fail(0, "the file holds zero bytes but no UTF-16 byte order mark");
        }
        *text = AnsiTextToUtf16(std::string(bytes.begin(), bytes.end()));
        return true;
    }

    static void SplitLines(const std::u16string& text, std::vector<std::u16string>* lines) {
        std::u16string line;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' || text[i] == u'\n') {
                if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                lines->push_back(line);
                line.clear();
            } else {
                line += text[i];
            }
        }
        if (!line.empty()) lines->push_back(line);
        while (!lines->empty() && TrimLeft(lines->back()).empty()) lines->pop_back();
    }

    static size_t FirstNonBlank(const std::u16string& s) {
        size_t i = 0;
        while (i < s.size() && (s[i] == u' ' || s[i] == u'\t')) ++i;
        return i;
    }

    static std::u16string TrimLeft(const std::u16string& s) { return s.substr(FirstNonBlank(s)); }

    static std::u16string TrimRight(std::u16string s) {
        while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.pop_back();
        return s;
    }

    // A value line ("@" or a quoted name, then "=") whose data starts with "hex".
    static bool IsHexValueLine(const std::u16string& line) {
        size_t pos = 1;
        if (line[0] == u'"') {
            while (pos < line.size() && line[pos] != u'"') pos += line[pos] == u'\\' ? 2 : 1;
            ++pos;
        } else if (line[0] != u'@') {
            return false;
        }
        while (pos < line.size() && line[pos] == u' ') ++pos;
        if (pos >= line.size() || line[pos] != u'=') return false;
        ++pos;
        while (pos < line.size() && line[pos] == u' ') ++pos;
        return line.compare(pos, 3, u"hex") == 0;
    }

    bool ToAnsi(const std::u16string& text, int lineNo, std::string* out) {
        char16_t bad = 0;
        if (Utf16ToAnsiText(text, out, &bad)) return true;
        char message[96];
        std::snprintf(message, sizeof message,
                      "the character U+%04X has no form in the system's ANSI code page, so it cannot be stored",
                      static_cast<unsigned>(bad));
        return Fail(lineNo, message);
    }

    bool ReadKey(const std::u16string& line, int lineNo) {
        const std::u16string trimmed = TrimRight(line);
        if (trimmed.size() < 2 || trimmed.back() != u']') {
            return Fail(lineNo, "the key line is cut off: it has no closing \"]\"");
        }
        std::u16string path = trimmed.substr(1, trimmed.size() - 2);
        if (!path.empty() && path[0] == u'-') {
            return Fail(lineNo, "the line deletes a key; deleting is not accepted");
        }
        // The registry would end the name at the zero, so the key would be another one.
        if (path.find(u'\0') != std::u16string::npos) return Fail(lineNo, "the key name holds a zero character");
        RegFileKey key;
        key.line = lineNo;
        if (!ToAnsi(path, lineNo, &key.path)) return false;
        if (key.path.empty()) return Fail(lineNo, "the key line names no key");
        m_file->keys.push_back(key);
        return true;
    }

    // A quoted text from position *pos (at the opening quote); *pos ends after the closing one.
    bool ReadQuoted(const std::u16string& line, size_t* pos, int lineNo, std::u16string* text) {
        size_t i = *pos + 1;
        for (; i < line.size() && line[i] != u'"'; ++i) {
            if (line[i] == u'\\') {
                // The editor itself escapes only these two; "C:\Windows" typed by hand would
                // otherwise lose its backslash without notice.
                if (i + 1 >= line.size() || (line[i + 1] != u'\\' && line[i + 1] != u'"')) {
                    return Fail(lineNo, "a \\ inside quotes must be written \\\\ (or \\\" for a quote)");
                }
                ++i;
            }
            *text += line[i];
        }
        if (i >= line.size()) return Fail(lineNo, "the line is cut off: a quoted text is not closed");
        *pos = i + 1;
        return true;
    }

    bool ReadValue(const std::u16string& line, int lineNo) {
        if (m_file->keys.empty()) return Fail(lineNo, "a value stands before the first key");
        RegFileValue value;
        value.line = lineNo;
        size_t pos = 0;
        if (line[0] == u'@') {
            pos = 1;
        } else if (line[0] == u'"') {
            std::u16string name;
            if (!ReadQuoted(line, &pos, lineNo, &name)) return false;
            if (name.find(u'\0') != std::u16string::npos) return Fail(lineNo, "the value name holds a zero character");
            if (!ToAnsi(name, lineNo, &value.name)) return false;
            if (value.name.empty()) return Fail(lineNo, "a value name is empty");
        } else {
            return Fail(lineNo, "the line is neither a key, a value nor a comment");
        }
        while (pos < line.size() && line[pos] == u' ') ++pos;
        if (pos >= line.size() || line[pos] != u'=') return Fail(lineNo, "the value has no \"=\"");
        ++pos;
        while (pos < line.size() && line[pos] == u' ') ++pos;
        const std::u16string data = TrimRight(line.substr(pos));
        if (!ReadData(data, lineNo, &value)) return false;
        m_file->keys.back().values.push_back(value);
        return true;
    }

    bool ReadData(const std::u16string& data, int lineNo, RegFileValue* value) {
        if (data == u"-") return Fail(lineNo, "the line deletes a value; deleting is not accepted");
        if (!data.empty() && data[0] == u'"') {
            size_t pos = 0;
            std::u16string text;
            if (!ReadQuoted(data, &pos, lineNo, &text)) return false;
            if (pos != data.size()) return Fail(lineNo, "text follows the closing quote");
            std::string bytes;
            if (!ToAnsi(text, lineNo, &bytes)) return false;
            value->type = REG_SZ;
            value->data.assign(bytes.begin(), bytes.end());
            value->data.push_back(0);
            return true;
        }
        if (data.compare(0, 6, u"dword:") == 0) {
            const std::u16string digits = data.substr(6);
            if (digits.empty() || digits.size() > 8) return Fail(lineNo, "a dword needs 1 to 8 hex digits");
            uint32_t n = 0;
            for (char16_t u : digits) {
                const int d = HexDigit(u);
                if (d < 0) return Fail(lineNo, "a dword holds a character that is no hex digit");
                n = n << 4 | static_cast<uint32_t>(d);
            }
            value->type = REG_DWORD;
            value->data = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
            return true;
        }
        return ReadHex(data, lineNo, value);
    }

    static int HexDigit(char16_t u) {
        if (u >= u'0' && u <= u'9') return u - u'0';
        if (u >= u'a' && u <= u'f') return u - u'a' + 10;
        if (u >= u'A' && u <= u'F') return u - u'A' + 10;
        return -1;
    }

    bool ReadHex(const std::u16string& data, int lineNo, RegFileValue* value) {
        size_t pos;
        if (data.compare(0, 4, u"hex:") == 0) {
            value->type = REG_BINARY;
            pos = 4;
        } else if (data.compare(0, 4, u"hex(") == 0) {
            const size_t close = data.find(u"):");
            if (close == std::u16string::npos || close == 4 || close > 12) {
                return Fail(lineNo, "the value's data form is not known");
            }
            uint32_t type = 0;
            for (size_t i = 4; i < close; ++i) {
                const int d = HexDigit(data[i]);
                if (d < 0) return Fail(lineNo, "the value's type number is no hex number");
                type = type << 4 | static_cast<uint32_t>(d);
            }
            value->type = type;
            pos = close + 2;
        } else {
            return Fail(lineNo, "the value's data form is not known");
        }
        std::vector<uint8_t> bytes;
        while (pos < data.size()) {
            while (pos < data.size() && data[pos] == u' ') ++pos;
            if (pos + 2 > data.size() || HexDigit(data[pos]) < 0 || HexDigit(data[pos + 1]) < 0) {
                return Fail(lineNo, "a hex list holds something that is not a two-digit byte");
            }
            bytes.push_back(static_cast<uint8_t>(HexDigit(data[pos]) << 4 | HexDigit(data[pos + 1])));
            pos += 2;
            while (pos < data.size() && data[pos] == u' ') ++pos;
            if (pos < data.size()) {
                if (data[pos] != u',') return Fail(lineNo, "hex bytes must be separated by commas");
                if (++pos >= data.size()) return Fail(lineNo, "the hex list ends in a comma: it is cut off");
            }
        }
        if (!m_bUnicode || !IsStringType(value->type)) {
            value->data = bytes;
            return true;
        }
        if (bytes.size() % 2 != 0) return Fail(lineNo, "a text in hex ends in half a UTF-16 character");
        std::u16string text;
        for (size_t i = 0; i < bytes.size(); i += 2) {
            text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        }
        std::string ansi;
        if (!ToAnsi(text, lineNo, &ansi)) return false;
        value->data.assign(ansi.begin(), ansi.end());
        return true;
    }

    RegFile* m_file;
    RegFileError* m_error;
    bool m_bUnicode = false;
};

}  // namespace

bool ReadRegFile(const std::vector<uint8_t>& bytes, RegFile* file, RegFileError* error) {
    RegFile result;
    RegFileError failure;
    if (!Reader(&result, &failure).Read(bytes)) {
        *error = failure;
        return false;
    }
    *file = result;
    return true;
}
