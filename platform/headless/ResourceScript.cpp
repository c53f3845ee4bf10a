// A reader for the subset of resource-script syntax that the module's .rc uses.
#include "platform/headless/ResourceScript.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// Window and control styles that the templates name, with the platform's values.
const std::map<std::string, uint32_t> kStyleNames = {
    {"WS_CHILD", 0x40000000u},      {"WS_VISIBLE", 0x10000000u},  {"WS_DISABLED", 0x08000000u},
    {"WS_BORDER", 0x00800000u},     {"WS_VSCROLL", 0x00200000u},  {"WS_HSCROLL", 0x00100000u},
    {"WS_GROUP", 0x00020000u},      {"WS_TABSTOP", 0x00010000u},  {"SS_LEFT", 0x0u},
    {"SS_ETCHEDHORZ", 0x10u},       {"ES_LEFT", 0x0u},            {"ES_AUTOHSCROLL", 0x80u},
    {"BS_PUSHBUTTON", 0x0u},        {"BS_DEFPUSHBUTTON", 0x1u},   {"BS_AUTOCHECKBOX", 0x3u},
    {"BS_GROUPBOX", 0x7u},          {"LBS_NOTIFY", 0x1u},         {"LBS_SORT", 0x2u},
    {"LBS_NOINTEGRALHEIGHT", 0x100u}, {"ES_NUMBER", 0x2000u},       {"BS_MULTILINE", 0x2000u},
};

// The ids that <windows.h> gives and resource.h does not.
const std::map<std::string, long> kSystemIds = {{"IDOK", 1}, {"IDCANCEL", 2}};

// cp1252 bytes 0x80 to 0x9F and the code points they stand for (0 where the code page has none).
const unsigned kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

char AnsiOf(unsigned cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (unsigned i = 0; i < 32; ++i) {
        if (kCp1252High[i] == cp && cp != 0) return static_cast<char>(0x80 + i);
    }
    return '?';
}

struct Token {
    enum Kind { Word, String, Punct } kind;
    std::string text;
};

bool ReadFile(const std::string& path, std::string* content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    *content = buffer.str();
    return true;
}

// Splits a script into words, string literals (with their escapes undone) and punctuation.
// Comments and preprocessor lines are skipped.
std::vector<Token> Tokenize(const std::string& s) {
    std::vector<Token> tokens;
    size_t i = 0;
    bool lineStart = true;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\n') {
            lineStart = true;
            ++i;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (lineStart && c == '#') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        lineStart = false;
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        if (c == '"') {
            std::string text;
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (s[i] == '\\' && i + 1 < s.size()) {
                    const char e = s[i + 1];
                    text += e == 'r' ? '\r' : e == 'n' ? '\n' : e == 't' ? '\t' : e;
                    i += 2;
                    continue;
                }
                text += s[i++];
            }
            tokens.push_back({Token::String, text});
            continue;
        }
        const bool wordChar = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
        if (wordChar) {
            size_t j = i;
            while (j < s.size() && (std::isalnum(static_cast<unsigned char>(s[j])) || s[j] == '_' ||
                                    (j == i && s[j] == '-'))) {
                ++j;
            }
            tokens.push_back({Token::Word, s.substr(i, j - i)});
            i = j;
            continue;
        }
        tokens.push_back({Token::Punct, std::string(1, c)});
        ++i;
    }
    return tokens;
}

bool ParseNumber(const std::string& text, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, 0);
    return end && *end == '\0';
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const std::map<std::string, long>& defines)
        : m_tokens(std::move(tokens)), m_defines(defines) {}

    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const Token& Peek(size_t ahead = 0) const {
        static const Token kNone{Token::Punct, ""};
        return m_pos + ahead < m_tokens.size() ? m_tokens[m_pos + ahead] : kNone;
    }
    void Skip() { ++m_pos; }

    bool Expect(const std::string& text) {
        if (Peek().text != text) return Fail("expected '" + text + "' before '" + Peek().text + "'");
        Skip();
        return true;
    }
    bool String(std::string* text) {
        if (Peek().kind != Token::String) return Fail("expected a string before '" + Peek().text + "'");
        *text = Utf8ToAnsi(Peek().text);
        Skip();
        return true;
    }
    // A number or a name of resource.h, <windows.h> or the style table, possibly in parentheses.
    bool Value(long* value) {
        if (Peek().text == "(") {
            Skip();
            if (!Value(value)) return false;
            return Expect(")");
        }
        const Token& t = Peek();
        if (t.kind != Token::Word) return Fail("expected a value before '" + t.text + "'");
        if (ParseNumber(t.text, value)) {
        } else if (m_defines.count(t.text)) {
            *value = m_defines.at(t.text);
        } else if (kSystemIds.count(t.text)) {
            *value = kSystemIds.at(t.text);
        } else if (kStyleNames.count(t.text)) {
            *value = static_cast<long>(kStyleNames.at(t.text));
        } else {
            return Fail("unknown name '" + t.text + "'");
        }
        Skip();
        return true;
    }
    // Values joined by '|'.
    bool Flags(uint32_t* flags) {
        *flags = 0;
        for (;;) {
            long v = 0;
            if (!Value(&v)) return false;
            *flags |= static_cast<uint32_t>(v);
            if (Peek().text != "|") return true;
            Skip();
        }
    }
    bool Fail(const std::string& why) {
        if (m_error.empty()) m_error = why;
        return false;
    }
    const std::string& Error() const { return m_error; }

private:
    std::vector<Token> m_tokens;
    const std::map<std::string, long>& m_defines;
    size_t m_pos = 0;
    std::string m_error;
};

bool ParseControl(Parser& p, ControlTemplate* control) {
    long id = 0, x = 0, y = 0, cx = 0, cy = 0;
    if (!p.Expect("CONTROL") || !p.String(&control->text) || !p.Expect(",") || !p.Value(&id) ||
        !p.Expect(",") || !p.String(&control->className) || !p.Expect(",") ||
        !p.Flags(&control->style) || !p.Expect(",") || !p.Value(&x) || !p.Expect(",") ||
        !p.Value(&y) || !p.Expect(",") || !p.Value(&cx) || !p.Expect(",") || !p.Value(&cy)) {
        return false;
    }
    control->id = static_cast<int>(id);
    control->x = static_cast<int>(x);
    control->y = static_cast<int>(y);
    control->cx = static_cast<int>(cx);
    control->cy = static_cast<int>(cy);
    // A CONTROL statement's window is a visible child unless the script says otherwise.
    control->style |= kStyleNames.at("WS_CHILD") | kStyleNames.at("WS_VISIBLE");
    return true;
}

bool ParseDialog(Parser& p, DialogTemplate* dialog) {
    while (!p.AtEnd() && p.Peek().text != "BEGIN") {
        if (p.Peek().text == "CAPTION") {
            p.Skip();
            if (!p.String(&dialog->caption)) return false;
        } else {
            p.Skip();
        }
    }
    if (!p.Expect("BEGIN")) return false;
    while (!p.AtEnd() && p.Peek().text != "END") {
        ControlTemplate control;
        if (!ParseControl(p, &control)) return false;
        dialog->controls.push_back(control);
    }
    return p.Expect("END");
}

bool ReadDefines(const std::string& path, std::map<std::string, long>* defines) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string directive, name, value;
        if (!(words >> directive >> name >> value) || directive != "#define") continue;
        if (value.size() > 2 && value.front() == '(' && value.back() == ')') {
            value = value.substr(1, value.size() - 2);
        }
        long number = 0;
        if (ParseNumber(value, &number)) (*defines)[name] = number;
    }
    return true;
}

}  // namespace

std::string Utf8ToAnsi(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned cp = c;
        size_t extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if (c >= 0x80) {
            out += '?';
            ++i;
            continue;
        }
        ++i;
        for (size_t k = 0; k < extra && i < utf8.size(); ++k, ++i) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        }
        out += AnsiOf(cp);
    }
    return out;
}

bool ResourceScript::Load(const std::string& rcPath) {
    m_dialogs.clear();
    m_strings.clear();
    m_icons.clear();
    m_error.clear();

    std::string script;
    if (!ReadFile(rcPath, &script)) {
        m_error = "cannot read " + rcPath;
        return false;
    }
    const size_t slash = rcPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : rcPath.substr(0, slash + 1);
    std::map<std::string, long> defines;
    if (!ReadDefines(folder + "resource.h", &defines)) {
        m_error = "cannot read " + folder + "resource.h";
        return false;
    }

    Parser p(Tokenize(script), defines);
    while (!p.AtEnd()) {
        if (p.Peek().text == "STRINGTABLE") {
            p.Skip();
            if (!p.Expect("BEGIN")) break;
            while (!p.AtEnd() && p.Peek().text != "END") {
                long id = 0;
                std::string text;
                if (!p.Value(&id)) break;
                if (p.Peek().text == ",") p.Skip();
                if (!p.String(&text)) break;
                m_strings[static_cast<unsigned>(id)] = text;
            }
            if (!p.Expect("END")) break;
        } else if (p.Peek().kind == Token::Word && p.Peek(1).text == "DIALOGEX") {
            long id = 0;
            if (!p.Value(&id)) break;
            p.Skip();
            DialogTemplate dialog;
            dialog.id = static_cast<unsigned>(id);
            if (!ParseDialog(p, &dialog)) break;
            m_dialogs[dialog.id] = dialog;
        } else if (p.Peek().kind == Token::Word && p.Peek(1).text == "ICON" &&
                   p.Peek(2).kind == Token::String) {
            long id = 0;
            if (!p.Value(&id)) break;
            p.Skip();
            p.Skip();
            m_icons.push_back(static_cast<unsigned>(id));
        } else {
            p.Skip();
        }
    }
    m_error = p.Error();
    return m_error.empty();
}

const DialogTemplate* ResourceScript::FindDialog(unsigned id) const {
    const auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : &it->second;
}

bool ResourceScript::HasIcon(unsigned id) const {
    for (unsigned icon : m_icons) {
        if (icon == id) return true;
    }
    return false;
}
