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
        SplitLines(text, &m_lines);
        if (m_lines.empty()) return Fail(1, "the file is empty");
        // The header names the form of the hex lists, whichever encoding the file has: the editor
        // reads a version 5 file without byte order mark in the ANSI code page.
        const std::u16string header = TrimLeft(m_lines[0]);
        if (header == kUnicodeHeader) {
            m_bHexTextIsUtf16 = true;
        } else if (header != kAnsiHeader) {
            return Fail(1, "the file does not start with \"Windows Registry Editor Version 5.00\" "
                           "or \"REGEDIT4\"");
        }
        for (m_at = 1; m_at < m_lines.size(); ++m_at) {
            const std::u16string& line = m_lines[m_at];
            const size_t start = FirstNonBlank(line, 0);
            // A comment is a line of its own, whatever it ends in, as the editor reads it.
            if (start == line.size() || line[start] == u';' || line[start] == u'#') continue;
            if (!(line[start] == u'[' ? ReadKey(line.substr(start)) : ReadValue(start))) return false;
        }
        return true;
    }

private:
    int LineNo() const { return static_cast<int>(m_at + 1); }

    bool Fail(int line, const std::string& message) {
        m_error->line = line;
        m_error->message = message;
        return false;
    }

    bool Decode(const std::vector<uint8_t>& bytes, std::u16string* text) {
        if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            if (bytes.size() % 2 != 0) return Fail(0, "the UTF-16 text ends in half a character");
            for (size_t i = 2; i < bytes.size(); i += 2) {
                *text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
            }
            return true;
        }
        if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
            return Fail(0, "the file is UTF-16 big-endian, which the registry editor does not write");
        }
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
        while (!lines->empty() && FirstNonBlank(lines->back(), 0) == lines->back().size()) lines->pop_back();
    }

    // Blanks are spaces and tabs, wherever the editor skips them.
    static size_t FirstNonBlank(const std::u16string& s, size_t pos) {
        while (pos < s.size() && (s[pos] == u' ' || s[pos] == u'\t')) ++pos;
        return pos;
    }

    static std::u16string TrimLeft(const std::u16string& s) { return s.substr(FirstNonBlank(s, 0)); }

    static std::u16string TrimRight(std::u16string s) {
        while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.pop_back();
        return s;
    }

    // Nothing but blanks, or a comment, from pos to the line's end.
    static bool EndsHere(const std::u16string& s, size_t pos) {
        pos = FirstNonBlank(s, pos);
        return pos == s.size() || s[pos] == u';';
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

    bool ReadKey(const std::u16string& line) {
        const std::u16string trimmed = TrimRight(line);
        if (trimmed.size() < 2 || trimmed.back() != u']') {
            return Fail(LineNo(), "the key line is cut off: it has no closing \"]\"");
        }
        std::u16string path = trimmed.substr(1, trimmed.size() - 2);
        if (!path.empty() && path[0] == u'-') {
            return Fail(LineNo(), "the line deletes a key; deleting is not accepted");
        }
        // The registry would end the name at the zero, so the key would be another one.
        if (path.find(u'\0') != std::u16string::npos) return Fail(LineNo(), "the key name holds a zero character");
        RegFileKey key;
        key.line = LineNo();
        if (!ToAnsi(path, LineNo(), &key.path)) return false;
        if (key.path.empty()) return Fail(LineNo(), "the key line names no key");
        m_file->keys.push_back(key);
        return true;
    }

    // A quoted text from position *pos (at the opening quote); *pos ends after the closing one.
    bool ReadQuoted(const std::u16string& line, size_t* pos, std::u16string* text) {
        size_t i = *pos + 1;
        for (; i < line.size() && line[i] != u'"'; ++i) {
            if (line[i] == u'\\') {
                // The editor itself escapes only these two; "C:\Windows" typed by hand would
                // otherwise lose its backslash without notice.
                if (i + 1 >= line.size() || (line[i + 1] != u'\\' && line[i + 1] != u'"')) {
                    return Fail(LineNo(), "a \\ inside quotes must be written \\\\ (or \\\" for a quote)");
                }
                ++i;
            }
            *text += line[i];
        }
        if (i >= line.size()) return Fail(LineNo(), "the line is cut off: a quoted text is not closed");
        *pos = i + 1;
        return true;
    }

    bool ReadValue(size_t pos) {
        const std::u16string& line = m_lines[m_at];
        if (m_file->keys.empty()) return Fail(LineNo(), "a value stands before the first key");
        RegFileValue value;
        value.line = LineNo();
        if (line[pos] == u'@') {
            ++pos;
        } else if (line[pos] == u'"') {
            std::u16string name;
            if (!ReadQuoted(line, &pos, &name)) return false;
            if (name.find(u'\0') != std::u16string::npos) return Fail(LineNo(), "the value name holds a zero character");
            if (!ToAnsi(name, LineNo(), &value.name)) return false;
            if (value.name.empty()) return Fail(LineNo(), "a value name is empty");
        } else {
            return Fail(LineNo(), "the line is neither a key, a value nor a comment");
        }
        pos = FirstNonBlank(line, pos);
        if (pos >= line.size() || line[pos] != u'=') return Fail(LineNo(), "the value has no \"=\"");
        if (!ReadData(FirstNonBlank(line, pos + 1), &value)) return false;
        m_file->keys.back().values.push_back(value);
        return true;
    }

    bool ReadData(size_t pos, RegFileValue* value) {
        const std::u16string& line = m_lines[m_at];
        if (line.compare(pos, 1, u"-") == 0 && EndsHere(line, pos + 1)) {
            return Fail(LineNo(), "the line deletes a value; deleting is not accepted");
        }
        if (line.compare(pos, 1, u"\"") == 0) {
            std::u16string text;
            if (!ReadQuoted(line, &pos, &text)) return false;
            if (!EndsHere(line, pos)) return Fail(LineNo(), "text follows the closing quote");
            std::string bytes;
            if (!ToAnsi(text, LineNo(), &bytes)) return false;
            value->type = REG_SZ;
            value->data.assign(bytes.begin(), bytes.end());
            value->data.push_back(0);
            return true;
        }
        if (line.compare(pos, 6, u"dword:") == 0) {
            pos = FirstNonBlank(line, pos + 6);
            uint32_t n = 0;
            size_t digits = 0;
            for (; pos < line.size() && HexDigit(line[pos]) >= 0; ++pos, ++digits) {
                n = n << 4 | static_cast<uint32_t>(HexDigit(line[pos]));
            }
            if (!EndsHere(line, pos)) return Fail(LineNo(), "a dword holds a character that is no hex digit");
            if (digits == 0 || digits > 8) return Fail(LineNo(), "a dword needs 1 to 8 hex digits");
            value->type = REG_DWORD;
            value->data = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
            return true;
        }
        return ReadHex(pos, value);
    }

    static int HexDigit(char16_t u) {
        if (u >= u'0' && u <= u'9') return u - u'0';
        if (u >= u'a' && u <= u'f') return u - u'a' + 10;
        if (u >= u'A' && u <= u'F') return u - u'A' + 10;
        return -1;
    }

    bool ReadHex(size_t pos, RegFileValue* value) {
        const std::u16string& line = m_lines[m_at];
        if (line.compare(pos, 4, u"hex:") == 0) {
            value->type = REG_BINARY;
            pos += 4;
        } else if (line.compare(pos, 4, u"hex(") == 0) {
            const size_t close = line.find(u"):", pos);
            if (close == std::u16string::npos || close == pos + 4 || close > pos + 12) {
                return Fail(LineNo(), "the value's data form is not known");
            }
            uint32_t type = 0;
            for (size_t i = pos + 4; i < close; ++i) {
                const int d = HexDigit(line[i]);
                if (d < 0) return Fail(LineNo(), "the value's type number is no hex number");
                type = type << 4 | static_cast<uint32_t>(d);
            }
            value->type = type;
            pos = close + 2;
        } else {
            return Fail(LineNo(), "the value's data form is not known");
        }
        std::vector<uint8_t> bytes;
        if (!ReadHexBytes(pos, &bytes)) return false;
        if (!m_bHexTextIsUtf16 || !IsStringType(value->type)) {
            value->data = bytes;
            return true;
        }
        if (bytes.size() % 2 != 0) return Fail(value->line, "a text in hex ends in half a UTF-16 character");
        std::u16string text;
        for (size_t i = 0; i < bytes.size(); i += 2) {
            text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        }
        std::string ansi;
        if (!ToAnsi(text, value->line, &ansi)) return false;
        value->data.assign(ansi.begin(), ansi.end());
        return true;
    }

    // The bytes of a hex list from pos, going on over the lines that end in "\" (a comment may
    // follow it). A byte never spans lines and a line goes on only where a new byte starts, at
    // the list's start or after a comma; the editor drops a value that breaks this, and a value
    // read differently from how the editor stores it must not be imported. A comma may end the
    // list. m_at ends at the list's last line.
    bool ReadHexBytes(size_t pos, std::vector<uint8_t>* bytes) {
        bool byteNext = true;  // at the list's start or after a comma
        for (;;) {
            const std::u16string& line = m_lines[m_at];
            pos = FirstNonBlank(line, pos);
            if (EndsHere(line, pos)) return true;
            if (line[pos] == u'\\') {
                if (!EndsHere(line, pos + 1)) return Fail(LineNo(), "text follows the \\ that continues the hex list");
                if (!byteNext) return FailBrokenContinuation();
                if (m_at + 1 >= m_lines.size()) {
                    return Fail(LineNo(), "the value is cut off: its continuation line is missing");
                }
                ++m_at;
                pos = FirstNonBlank(m_lines[m_at], 0);
                if (pos == m_lines[m_at].size() || HexDigit(m_lines[m_at][pos]) < 0) return FailBrokenContinuation();
            } else if (!byteNext) {
                if (line[pos] != u',') return Fail(LineNo(), "hex bytes must be separated by commas");
                ++pos;
                byteNext = true;
            } else {
                const int high = HexDigit(line[pos]);
                const int low = pos + 1 < line.size() ? HexDigit(line[pos + 1]) : -1;
                if (high >= 0 && low < 0 && line.compare(FirstNonBlank(line, pos + 1), 1, u"\\") == 0) {
                    return FailBrokenContinuation();
                }
                if (high < 0 || low < 0) return Fail(LineNo(), "a hex list holds something that is not a two-digit byte");
                bytes->push_back(static_cast<uint8_t>(high << 4 | low));
                pos += 2;
                byteNext = false;
            }
        }
    }

    bool FailBrokenContinuation() {
        return Fail(LineNo(), "the hex list goes on at the next line inside a byte or without a comma: "
                              "the registry editor drops such a value");
    }

    RegFile* m_file;
    RegFileError* m_error;
    std::vector<std::u16string> m_lines;
    size_t m_at = 0;                 // the line being read
    bool m_bHexTextIsUtf16 = false;  // the version 5 form: hex lists of string types hold UTF-16LE
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
