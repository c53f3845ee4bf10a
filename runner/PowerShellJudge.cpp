// How powershell.exe and pwsh.exe read their command line: parameters, then either a script with
// string arguments or PowerShell code, judged by PowerShell's quoting.
#include <cctype>
#include <cstring>

#include "runner/LineJudges.h"

namespace {

enum class Parameter { None, Command, CommandWithArgs, Encoded, File, TakesValue, Switch };

bool StartsName(const std::string& name, const char* full, size_t shortest) {
    return name.size() >= shortest && std::strncmp(full, name.c_str(), name.size()) == 0 &&
           name.size() <= std::strlen(full);
}

// PowerShell takes any unambiguous start of a parameter's name. Where a start could mean the
// command, it is taken for the command, so that more of the line is judged as code.
Parameter ParameterOf(const std::string& argument) {
    if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) return Parameter::None;
    std::string name;
    for (size_t i = 1; i < argument.size(); ++i)
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

PathRefusal JudgeCode(const MarkedArgument& code) {
    enum { Bare, Single, Double } state = Bare;
    const std::string& text = code.text;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (code.inserted[i]) {
            if (c < 0x20 || c == 0x7F) return PathRefusal::ControlCharacter;
            if (state == Single && IsSingleQuote(c)) return PathRefusal::ScriptQuote;
            if (state == Double && (IsDoubleQuote(c) || c == '$' || c == '`')) return PathRefusal::ScriptExpansion;
            // A dash that starts a word would name a parameter.
            const bool dashInWord = c == '-' && i > 0 && IsBareSafe(static_cast<unsigned char>(text[i - 1]));
            if (state == Bare && !IsBareSafe(c) && !dashInWord) return PathRefusal::ScriptUnquoted;
            continue;
        }
        const bool nextIsOwn = i + 1 < text.size() && !code.inserted[i + 1];
        if (state == Bare) {
            if (IsSingleQuote(c)) state = Single;
            else if (IsDoubleQuote(c)) state = Double;
            else if (c == '`' && nextIsOwn) ++i;
        } else if (state == Single) {
            // A doubled single quote stays inside the string.
            if (IsSingleQuote(c)) {
                if (nextIsOwn && IsSingleQuote(static_cast<unsigned char>(text[i + 1]))) ++i;
                else state = Bare;
            }
        } else {
            if (c == '`' && nextIsOwn) {
                ++i;
            } else if (IsDoubleQuote(c)) {
                if (nextIsOwn && IsDoubleQuote(static_cast<unsigned char>(text[i + 1]))) ++i;
                else state = Bare;
            }
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

PathRefusal JudgeForPowerShell(const std::string& line, const std::vector<bool>& inserted, bool pwsh) {
    const std::vector<MarkedArgument> arguments = SplitArguments(line, inserted);
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
            case Parameter::Command: return JudgeCode(Join(arguments, i + 1, arguments.size()));
            case Parameter::CommandWithArgs:
                // The next argument is the code; those after it are strings for it.
                return JudgeCode(Join(arguments, i + 1, std::min(i + 2, arguments.size())));
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
        if (!pwsh) return JudgeCode(Join(arguments, i, arguments.size()));
        // pwsh.exe takes this argument for a script and the rest for its strings. Should a command
        // follow after all (a parameter not read as PowerShell reads it), its code is judged.
        for (size_t later = i + 1; later < arguments.size(); ++later) {
            if (IsCodeParameter(arguments[later])) return JudgeCode(Join(arguments, later + 1, arguments.size()));
        }
        return PathRefusal::None;
    }
    return PathRefusal::None;
}
