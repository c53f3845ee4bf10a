// How powershell.exe and pwsh.exe read their command line: parameters, then either a script with
// string arguments or PowerShell code, judged by PowerShell's quoting.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "runner/LineJudges.h"

namespace {

enum class Parameter { None, Command, CommandWithArgs, Encoded, File, TakesValue, Switch };

bool StartsName(const std::string& name, const char* full, size_t shortest) {
    return name.size() >= shortest && std::strncmp(full, name.c_str(), name.size()) == 0 &&
           name.size() <= std::strlen(full);
}

// - and code page 1252's en and em dashes (0x96, 0x97), which PowerShell takes alike.
bool IsDash(char c) { return c == '-' || c == '\x96' || c == '\x97'; }

// PowerShell reads a parameter's name after -, /, a doubled dash or a typographic one, and takes
// any unambiguous start of it. Where a start could mean the command, it is taken for the command,
// so that more of the line is judged as code.
Parameter ParameterOf(const std::string& argument) {
    if (argument.size() < 2 || (!IsDash(argument[0]) && argument[0] != '/')) return Parameter::None;
    size_t from = 1;
    if (IsDash(argument[0]) && IsDash(argument[1])) from = 2;
    if (from == argument.size()) return Parameter::Switch;
    std::string name;
    for (size_t i = from; i < argument.size(); ++i)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(argument[i])));
    if (name == "cwa" || StartsName(name, "commandwithargs", 8)) return Parameter::CommandWithArgs;
    if (StartsName(name, "command", 1)) return Parameter::Command;
    if (name == "ec" || StartsName(name, "encodedcommand", 1) || name == "ea" ||
        StartsName(name, "encodedarguments", 8)) {
        return Parameter::Encoded;
    }
    if (StartsName(name, "file", 1)) return Parameter::File;
    for (const char* alias : {"ep", "ex", "w", "if", "of", "o", "v", "wd", "config"}) {
        if (name == alias) return Parameter::TakesValue;
    }
    for (const char* full : {"executionpolicy", "windowstyle", "inputformat", "outputformat", "version",
                             "psconsolefile", "configurationname", "configurationfile",
                             "workingdirectory", "settingsfile", "custompipename"}) {
        if (StartsName(name, full, 3)) return Parameter::TakesValue;
    }
    return Parameter::Switch;
}

bool AnyInserted(const MarkedArgument& argument) {
    for (bool b : argument.inserted) {
        if (b) return true;
    }
    return false;
}

// ' and code page 1252's 0x82, 0x91, 0x92 (U+201A, U+2018, U+2019) open and close single-quoted
// strings; " and 0x84, 0x93, 0x94 (U+201E, U+201C, U+201D) double-quoted ones.
bool IsSingleQuote(unsigned char c) { return c == '\'' || c == 0x82 || c == 0x91 || c == 0x92; }
bool IsDoubleQuote(unsigned char c) { return c == '"' || c == 0x84 || c == 0x93 || c == 0x94; }

bool IsBareSafe(unsigned char c) {
    return (c < 0x80 && std::isalnum(c)) || std::strchr("\\/._:", c) != nullptr;
}

// The own word that ends before at (blanks between skipped), in lower case.
std::string WordBefore(const MarkedArgument& code, size_t at) {
    size_t end = at;
    while (end > 0 && (code.text[end - 1] == ' ' || code.text[end - 1] == '\t')) --end;
    size_t begin = end;
    while (begin > 0 && !code.inserted[begin - 1] && code.text[begin - 1] != ' ' && code.text[begin - 1] != '\t') --begin;
    std::string word = code.text.substr(begin, end - begin);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word;
}

// -LiteralPath (or its alias -LP) takes its value as written, wildcards included.
bool IsLiteralPathParameter(const std::string& word) { return word == "-literalpath" || word == "-lp"; }

// Words after which a path is run, as code or as a file opened by its type: the call and dot
// operators, Invoke-Expression, Invoke-Item, Start-Process and their aliases.
bool RunsWhatFollows(const std::string& word) {
    for (const char* runs : {"&", ".", "iex", "invoke-expression", "ii", "invoke-item", "start", "saps",
                             "start-process", "-filepath"}) {
        if (word == runs) return true;
    }
    return false;
}

// The code read as PowerShell quotes it. Inside a double-quoted string, $( ) and @( ) hold code
// again, to their closing parenthesis; the states nest.
PathRefusal JudgeCode(const MarkedArgument& code) {
    enum State { Bare, Single, Double };
    // The open states, innermost last; parentheses counts the open ( of each nested Bare; after
    // the word before each string (for a Bare: before the word the path stands in); holds whether
    // a path stands in it.
    std::vector<State> states{Bare};
    std::vector<int> parentheses{0};
    std::vector<std::string> after{""};
    std::vector<bool> holds{false};
    const std::string& text = code.text;
    const auto open = [&](State state, size_t at) {
        states.push_back(state);
        parentheses.push_back(0);
        after.push_back(state != Bare ? WordBefore(code, at) : "");
        holds.push_back(false);
    };
    const auto close = [&] {
        states.pop_back();
        parentheses.pop_back();
        after.pop_back();
        holds.pop_back();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const State state = states.back();
        if (code.inserted[i]) {
            if (c < 0x20 || c == 0x7F) return PathRefusal::ControlCharacter;
            if (state == Bare && (i == 0 || !code.inserted[i - 1])) {
                size_t word = i;
                while (word > 0 && !code.inserted[word - 1] && code.text[word - 1] != ' ' && code.text[word - 1] != '\t') --word;
                after.back() = WordBefore(code, word);
            }
            if (RunsWhatFollows(after.back())) return PathRefusal::CommandName;
            holds.back() = true;
            if ((c == '[' || c == ']') && !IsLiteralPathParameter(after.back())) return PathRefusal::ScriptWildcard;
            if (state == Single && IsSingleQuote(c)) return PathRefusal::ScriptQuote;
            if (state == Double && (IsDoubleQuote(c) || c == '$' || c == '`')) return PathRefusal::ScriptExpansion;
            // A dash that starts a word would name a parameter.
            const bool dashInWord = c == '-' && i > 0 && IsBareSafe(static_cast<unsigned char>(text[i - 1]));
            if (state == Bare && !IsBareSafe(c) && !dashInWord) return PathRefusal::ScriptUnquoted;
            continue;
        }
        const bool nextIsOwn = i + 1 < text.size() && !code.inserted[i + 1];
        const bool quote = state == Single ? IsSingleQuote(c) : state == Double && IsDoubleQuote(c);
        if (quote && nextIsOwn && (state == Single ? IsSingleQuote(static_cast<unsigned char>(text[i + 1]))
                                                   : IsDoubleQuote(static_cast<unsigned char>(text[i + 1])))) {
            // A doubled quote stays inside the string.
            ++i;
        } else if (quote) {
            // Windows PowerShell quotes an argument for a program as "...": the final backslash of
            // a string that holds a path (with a blank, it gets those quotes) would escape that quote.
            if (holds.back() && text[i - 1] == '\\') return PathRefusal::BackslashBeforeQuote;
            close();
        } else if (state == Bare) {
            if (IsSingleQuote(c)) {
                open(Single, i);
            } else if (IsDoubleQuote(c)) {
                open(Double, i);
            } else if (c == '`' && nextIsOwn) {
                ++i;
            } else if (c == '(') {
                ++parentheses.back();
            } else if (c == ')' && parentheses.back() > 0) {
                --parentheses.back();
            } else if (c == ')' && states.size() > 1) {
                // The end of a $( ) inside a double-quoted string.
                close();
            }
        } else if (state == Double && c == '`' && nextIsOwn) {
            ++i;
        } else if (state == Double && (c == '$' || c == '@') && nextIsOwn && text[i + 1] == '(') {
            open(Bare, i);
            ++i;
        }
    }
    return PathRefusal::None;
}

// PowerShell joins the arguments of its code with single blanks.
MarkedArgument Join(const std::vector<MarkedArgument>& arguments, size_t from, size_t to) {
    MarkedArgument joined;
    for (size_t i = from; i < to; ++i) {
        if (i > from) {
            joined.text += ' ';
            joined.inserted.push_back(arguments[i].splitByPath);
        }
        joined.text += arguments[i].text;
        joined.inserted.insert(joined.inserted.end(), arguments[i].inserted.begin(), arguments[i].inserted.end());
    }
    return joined;
}

bool IsCodeParameter(const MarkedArgument& argument) {
    const Parameter parameter = ParameterOf(argument.text);
    return parameter == Parameter::Command || parameter == Parameter::CommandWithArgs ||
           parameter == Parameter::Encoded;
}

}  // namespace

PathRefusal JudgeForPowerShell(const std::string& line, const std::vector<bool>& inserted, bool pwsh,
                               std::vector<bool>* judged) {
    const std::vector<MarkedArgument> arguments = SplitArguments(line, inserted);
    // The arguments from..to-1 are code: judged by PowerShell's quoting alone.
    const auto judgeCode = [&](size_t from, size_t to) {
        const PathRefusal refusal = JudgeCode(Join(arguments, from, to));
        for (size_t i = from; judged && refusal == PathRefusal::None && i < to; ++i) (*judged)[i] = true;
        return refusal;
    };
    for (const MarkedArgument& argument : arguments) {
        if (ParameterOf(argument.text) == Parameter::Encoded) {
            for (bool b : inserted) {
                if (b) return PathRefusal::EncodedCommand;
            }
        }
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Parameter parameter = ParameterOf(arguments[i].text);
        if (parameter != Parameter::None && AnyInserted(arguments[i])) return PathRefusal::ScriptParameter;
        switch (parameter) {
            case Parameter::Command: return judgeCode(i + 1, arguments.size());
            case Parameter::CommandWithArgs:
                // The next argument is the code; those after it are strings for it.
                return judgeCode(i + 1, std::min(i + 2, arguments.size()));
            case Parameter::File: return PathRefusal::None;
            case Parameter::TakesValue:
                if (i + 1 < arguments.size()) {
                    if (IsCodeParameter(arguments[i + 1])) continue;
                    if (AnyInserted(arguments[i + 1])) return PathRefusal::ScriptParameter;
                    ++i;
                }
                continue;
            case Parameter::Encoded:
            case Parameter::Switch: continue;
            case Parameter::None: break;
        }
        if (!pwsh) return judgeCode(i, arguments.size());
        // pwsh.exe takes this argument for a script and the rest for its strings. Should a command
        // follow after all (a parameter not read as PowerShell reads it), its code is judged.
        for (size_t later = i + 1; later < arguments.size(); ++later) {
            if (IsCodeParameter(arguments[later])) return judgeCode(later + 1, arguments.size());
        }
        return PathRefusal::None;
    }
    return PathRefusal::None;
}
