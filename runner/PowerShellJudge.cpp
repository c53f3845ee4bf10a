// How powershell.exe and pwsh.exe read their command line: parameters, then either a script with
// string arguments or PowerShell code, judged by PowerShell's quoting.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "runner/LineJudges.h"
#include "runner/ProgramSearch.h"

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
    const std::string name = Lowered(argument.substr(from));
    if (name == "cwa" || StartsName(name, "commandwithargs", 8)) return Parameter::CommandWithArgs;
    if (StartsName(name, "command", 1)) return Parameter::Command;
    if (name == "ec" || StartsName(name, "encodedcommand", 1) || name == "ea" ||
        StartsName(name, "encodedarguments", 8)) {
        return Parameter::Encoded;
    }
    if (StartsName(name, "file", 1)) return Parameter::File;
    if (IsOneOfWords(name, "ep ex w if of o v wd config")) return Parameter::TakesValue;
    for (const char* full : {"executionpolicy", "windowstyle", "inputformat", "outputformat", "version",
                             "psconsolefile", "configurationname", "configurationfile",
                             "workingdirectory", "settingsfile", "custompipename"}) {
        if (StartsName(name, full, 3)) return Parameter::TakesValue;
    }
    return Parameter::Switch;
}

// ' and code page 1252's 0x82, 0x91, 0x92 (U+201A, U+2018, U+2019) open and close single-quoted
// strings; " and 0x84, 0x93, 0x94 (U+201E, U+201C, U+201D) double-quoted ones.
bool IsSingleQuote(unsigned char c) { return c == '\'' || c == 0x82 || c == 0x91 || c == 0x92; }
bool IsDoubleQuote(unsigned char c) { return c == '"' || c == 0x84 || c == 0x93 || c == 0x94; }

bool IsBareSafe(unsigned char c) {
    return (c < 0x80 && std::isalnum(c)) || std::strchr("\\/._:", c) != nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where a statement or an expression begins again: its first word is a command.
bool StartsStatement(char c) { return std::strchr(";|{}\r\n(=", c) != nullptr; }

// The own word that ends before at (blanks between skipped), in lower case.
std::string WordBefore(const MarkedArgument& code, size_t at) {
    size_t end = at;
    while (end > 0 && IsBlank(code.text[end - 1])) --end;
    size_t begin = end;
    while (begin > 0 && !code.inserted[begin - 1] && !IsBlank(code.text[begin - 1]) && !StartsStatement(code.text[begin - 1])) {
        --begin;
    }
    return Lowered(code.text.substr(begin, end - begin));
}

// Whether what begins at at is the first argument of the call or dot operator ("& 'x'", "&('x')",
// ". x"), which runs it.
bool FollowsCallOperator(const MarkedArgument& code, size_t at) {
    size_t p = at;
    while (p > 0 && !code.inserted[p - 1] && (IsBlank(code.text[p - 1]) || code.text[p - 1] == '(')) --p;
    if (p == 0 || code.inserted[p - 1]) return false;
    const char c = code.text[p - 1];
    return c == '&' || (c == '.' && (p == 1 || IsBlank(code.text[p - 2]) || StartsStatement(code.text[p - 2])));
}

// The code read as PowerShell quotes it. Inside a double-quoted string, $( ) and @( ) hold code
// again, to their closing parenthesis; the frames nest.
PathRefusal JudgeCode(const MarkedArgument& code) {
    enum State { Bare, Single, Double };
    struct Frame {
        State state;
        int parentheses = 0;  // the open ( of a Bare
        std::string after{};  // the word before a string, or before the word a path stands in
        bool holds = false;   // a path stands in it
        std::string command{};  // a Bare's statement's first word, as far as read
        bool commandRead = false;
        bool runs = false;    // its statement runs what paths it holds
    };
    std::vector<Frame> frames{Frame{Bare}};
    const std::string& text = code.text;
    const auto open = [&](State state, size_t at) {
        Frame frame{state};
        if (state != Bare) {
            frame.after = WordBefore(code, at);
            frame.runs = frames.back().runs || FollowsCallOperator(code, at);
        }
        frames.push_back(frame);
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        Frame& frame = frames.back();
        const State state = frame.state;
        if (code.inserted[i]) {
            if (c < 0x20 || c == 0x7F) return PathRefusal::ControlCharacter;
            if (state == Bare && (i == 0 || !code.inserted[i - 1])) {
                size_t word = i;
                while (word > 0 && !code.inserted[word - 1] && !IsBlank(code.text[word - 1]) &&
                       !StartsStatement(code.text[word - 1]) && code.text[word - 1] != '&') {
                    --word;
                }
                frame.after = WordBefore(code, word);
                // A path right after the call operator, or as a statement's first word, is run.
                if (FollowsCallOperator(code, word) || (word == i && frame.command.empty() && !frame.commandRead))
                    return PathRefusal::CommandName;
            }
            if (frame.runs || frame.after == "-filepath") return PathRefusal::CommandName;
            frame.holds = true;
            // -LiteralPath (or its alias -LP) takes its value as written, wildcards included.
            if ((c == '[' || c == ']') && frame.after != "-literalpath" && frame.after != "-lp")
                return PathRefusal::ScriptWildcard;
            if (state == Single && IsSingleQuote(c)) return PathRefusal::ScriptQuote;
            if (state == Double && (IsDoubleQuote(c) || c == '$' || c == '`')) return PathRefusal::ScriptExpansion;
            // A dash that starts a word would name a parameter.
            const bool dashInWord = c == '-' && i > 0 && IsBareSafe(static_cast<unsigned char>(text[i - 1]));
            if (state == Bare && !IsBareSafe(c) && !dashInWord) return PathRefusal::ScriptUnquoted;
            continue;
        }
        if (state == Bare) {
            // The statement's first word, read to its end; a new statement or expression reads anew.
            const bool ends = IsBlank(static_cast<char>(c)) || StartsStatement(static_cast<char>(c)) ||
                              IsSingleQuote(c) || IsDoubleQuote(c);
            if (ends && !frame.command.empty() && !frame.commandRead) {
                frame.commandRead = true;
                // Invoke-Expression, Invoke-Item, Start-Process and their aliases run, or open by
                // its type, whatever path their statement holds.
                frame.runs = frame.runs ||
                             IsOneOfWords(Lowered(frame.command), "iex invoke-expression ii invoke-item start saps start-process");
            } else if (!ends && !frame.commandRead) {
                frame.command += static_cast<char>(c);
            }
            if (StartsStatement(static_cast<char>(c))) {
                frame.command.clear();
                frame.commandRead = false;
                // ( and = begin an expression within the statement, which still runs what it held.
                if (c != '(' && c != '=') frame.runs = false;
            }
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
            if (frame.holds && text[i - 1] == '\\') return PathRefusal::BackslashBeforeQuote;
            frames.pop_back();
        } else if (state == Bare) {
            if (IsSingleQuote(c)) {
                open(Single, i);
            } else if (IsDoubleQuote(c)) {
                open(Double, i);
            } else if (c == '`' && nextIsOwn) {
                ++i;
            } else if (c == '(') {
                ++frame.parentheses;
            } else if (c == ')' && frame.parentheses > 0) {
                --frame.parentheses;
            } else if (c == ')' && frames.size() > 1) {
                // The end of a $( ) inside a double-quoted string.
                frames.pop_back();
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

// A statement's words as PowerShell hands them to a program: blanks outside quotes split them,
// the quotes go, and Windows PowerShell puts "..." around a word only when it holds a blank.
MarkedArgument NativeLine(const MarkedArgument& code, size_t from, size_t to) {
    MarkedArgument line;
    MarkedArgument word;
    unsigned char quote = 0;
    const auto flush = [&] {
        if (!word.text.empty()) AppendArgument(line, word);
        word = MarkedArgument{};
    };
    for (size_t p = from; p < to; ++p) {
        const unsigned char c = static_cast<unsigned char>(code.text[p]);
        if (!code.inserted[p] && (quote ? (IsSingleQuote(quote) ? IsSingleQuote(c) : IsDoubleQuote(c))
                                        : (IsSingleQuote(c) || IsDoubleQuote(c)))) {
            quote = quote ? 0 : c;
        } else if (!quote && !code.inserted[p] && IsBlank(static_cast<char>(c))) {
            flush();
        } else {
            Add(word, static_cast<char>(c), code.inserted[p]);
        }
    }
    flush();
    return line;
}

// What the code hands on that PowerShell's quoting does not decide: a statement that holds a path
// and calls cmd.exe, a batch file or an interpreter has its words judged as that program reads
// them (Windows PowerShell quotes a program's argument only when it holds a blank, so
// "a&calc&.txt" reaches cmd.exe bare); code that starts what a variable or a .NET or COM call
// names ("$p='...'; & $p", [Diagnostics.Process]::Start, ShellExecute) is refused. Statements are
// split at ; | { } and line ends, quotes aside: a split too many only judges more.
PathRefusal JudgeHandedOn(const MarkedArgument& code) {
    if (!HoldsPath(code)) return PathRefusal::None;
    const std::string folded = Lowered(code.text);
    for (const char* starts : {"& $", "&$", ". $", "::start(", "shellexecute", "invoke-item $", "ii $",
                               "start-process $", "saps $", "start $", "iex $", "invoke-expression $"}) {
        // A command's name is no part of a longer name ("ascii $x" is no ii; "&ii $x" is).
        for (size_t at = folded.find(starts); at != std::string::npos; at = folded.find(starts, at + 1)) {
            const unsigned char before = at == 0 ? ' ' : static_cast<unsigned char>(folded[at - 1]);
            if (starts[0] == ':' || !(std::isalnum(before) || before == '-' || before == '_'))
                return PathRefusal::ScriptIndirection;
        }
    }
    size_t statement = 0;
    for (size_t i = 0; i <= code.text.size(); ++i) {
        if (i < code.text.size() && !std::strchr(";|{}\r\n", code.text[i])) continue;
        const MarkedArgument words = NativeLine(code, statement, i);
        statement = i + 1;
        std::vector<MarkedArgument> split = SplitArguments(words.text, words.inserted);
        // A command named without its extension starts what the search finds (code.cmd: a batch file).
        if (!split.empty() && !HoldsPath(split[0])) {
            std::string& name = split[0].text;
            name.erase(0, std::min(name.find_first_not_of("&.("), name.size()));
            if (!name.empty() && ClassifyProgram(name) == ProgramKind::Unseen) name = FindProgramToStart(name).file;
            split[0].inserted.assign(name.size(), false);
        }
        const PathRefusal refusal = JudgeLaterProgram(split, 0);
        if (refusal != PathRefusal::None) return refusal;
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

// -CommandWithArgs code as -Command code would hold its strings: $args[n] as a single-quoted
// literal of the n-th, $args and @args as literals of them all. PowerShell never reads a value as
// code again, so the value's own quotes are doubled, which keeps them inside its literal.
MarkedArgument WithArgsInPlace(const MarkedArgument& code, const std::vector<MarkedArgument>& strings) {
    MarkedArgument placed;
    const auto literal = [&](const MarkedArgument& value) {
        Add(placed, '\'', false);
        for (size_t k = 0; k < value.text.size(); ++k) {
            const char c = value.text[k];
            if (IsSingleQuote(static_cast<unsigned char>(c))) Add(placed, c, false);
            Add(placed, c, value.inserted[k] && !IsSingleQuote(static_cast<unsigned char>(c)));
        }
        Add(placed, '\'', false);
    };
    const std::string folded = Lowered(code.text);
    for (size_t i = 0; i < code.text.size();) {
        // ${args} and a scope's $local:args name it too.
        size_t name = 0;
        for (const char* spelling : {"$args", "@args", "${args}", "$local:args", "$script:args"}) {
            const size_t size = std::strlen(spelling);
            if (!code.inserted[i] && folded.compare(i, size, spelling) == 0 &&
                (i + size == folded.size() || !(std::isalnum(static_cast<unsigned char>(folded[i + size])) || folded[i + size] == '_')))
                name = size;
        }
        if (name == 0) {
            Add(placed, code.text[i], code.inserted[i]);
            ++i;
            continue;
        }
        i += name;
        const size_t close = folded.find(']', i);
        if (i < folded.size() && folded[i] == '[' && close != std::string::npos && close > i + 1 &&
            folded.find_first_not_of("0123456789", i + 1) == close) {
            const size_t n = std::stoul(folded.substr(i + 1, std::min<size_t>(close - i - 1, 9)));
            literal(n < strings.size() ? strings[n] : MarkedArgument{});
            i = close + 1;
            continue;
        }
        for (size_t n = 0; n < strings.size(); ++n) {
            if (n > 0) Add(placed, ' ', false);
            literal(strings[n]);
        }
    }
    return placed;
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
    // The arguments from..to-1 are code (code, when given): judged by PowerShell's quoting alone.
    const auto judgeCode = [&](size_t from, size_t to, const MarkedArgument* given = nullptr) {
        const MarkedArgument code = given ? *given : Join(arguments, from, to);
        PathRefusal refusal = JudgeCode(code);
        if (refusal == PathRefusal::None) refusal = JudgeHandedOn(code);
        for (size_t i = from; judged && refusal == PathRefusal::None && i < to; ++i) (*judged)[i] = true;
        return refusal;
    };
    for (const MarkedArgument& argument : arguments) {
        if (ParameterOf(argument.text) == Parameter::Encoded && HoldsPath(inserted)) return PathRefusal::EncodedCommand;
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Parameter parameter = ParameterOf(arguments[i].text);
        if (parameter != Parameter::None && HoldsPath(arguments[i])) return PathRefusal::ScriptParameter;
        switch (parameter) {
            case Parameter::Command: return judgeCode(i + 1, arguments.size());
            case Parameter::CommandWithArgs: {
                // The next argument is the code; those after it are strings for it, judged where
                // the code uses them.
                if (i + 1 == arguments.size()) return PathRefusal::None;
                const MarkedArgument code = WithArgsInPlace(
                    arguments[i + 1], std::vector<MarkedArgument>(arguments.begin() + static_cast<std::ptrdiff_t>(i) + 2, arguments.end()));
                return judgeCode(i + 1, i + 2, &code);
            }
            // The script runs: the server's file may not be it.
            case Parameter::File:
                return i + 1 < arguments.size() && HoldsPath(arguments[i + 1]) ? PathRefusal::CommandName
                                                                               : PathRefusal::None;
            case Parameter::TakesValue:
                if (i + 1 < arguments.size()) {
                    if (IsCodeParameter(arguments[i + 1])) continue;
                    if (HoldsPath(arguments[i + 1])) return PathRefusal::ScriptParameter;
                    ++i;
                }
                continue;
            case Parameter::Encoded:
            case Parameter::Switch: continue;
            case Parameter::None: break;
        }
        if (!pwsh) return judgeCode(i, arguments.size());
        if (HoldsPath(arguments[i])) return PathRefusal::CommandName;
        // pwsh.exe takes this argument for a script and the rest for its strings. Should a command
        // follow after all (a parameter not read as PowerShell reads it), its code is judged.
        for (size_t later = i + 1; later < arguments.size(); ++later) {
            if (IsCodeParameter(arguments[later])) return judgeCode(later + 1, arguments.size());
        }
        return PathRefusal::None;
    }
    return PathRefusal::None;
}
