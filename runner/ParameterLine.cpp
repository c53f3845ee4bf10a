// Putting the paths into a parameter line, and the one judge of what they brought in: the line's
// shape for every program, then what each kind of program refuses or allows.
#include "runner/ParameterLine.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/AnsiText.h"
#include "platform/RegistryNames.h"
#include "runner/LineJudges.h"
#include "runner/ProgramKind.h"
#include "runner/ProgramToJudge.h"
#include "runner/TweakDecision.h"
#include "runner/TweakEnvironment.h"

namespace {

// An occurrence of what ReplaceAll replaces: where it begins, how long it is, and its value
// (null: none is left).
struct Token {
    size_t at;
    size_t length;
    const std::string* value;
};

// The C runtime's reading of double quotes: whether each position (and the line's end) lies
// inside them, and where a doubled quote inside them stands for one quote character.
struct QuoteReading {
    std::vector<bool> inside;
    std::vector<size_t> doubled;
};

QuoteReading ReadQuotes(const std::string& line) {
    QuoteReading reading{std::vector<bool>(line.size() + 1, false), {}};
    bool quoted = false;
    for (size_t i = 0; i < line.size();) {
        size_t next = i + 1;
        if (line[i] == '\\') {
            while (next < line.size() && line[next] == '\\') ++next;
            if (next < line.size() && line[next] == '"' && (next - i) % 2 == 1) ++next;
        } else if (line[i] == '"' && quoted && next < line.size() && line[next] == '"') {
            reading.doubled.push_back(i);
            ++next;
        } else if (line[i] == '"') {
            quoted = !quoted;
        }
        for (size_t p = i + 1; p <= next; ++p) reading.inside[p] = quoted;
        i = next;
    }
    return reading;
}

// Whether position at of line lies inside double quotes as the program of this kind reads them:
// cmd.exe toggles at every double quote, and takes away the first one of a command after /c, /k
// or /r that begins with one (the last one of the line goes too, which is no path's concern).
bool QuotedAt(const std::string& line, size_t at, ProgramKind kind) {
    if (!IsReadByCmd(kind)) return ReadQuotes(line).inside[at];
    long quotes = std::count(line.begin(), line.begin() + static_cast<long>(at), '"');
    for (size_t i = 0; kind == ProgramKind::Cmd && i + 1 < at; ++i) {
        if (line[i] != '/' || std::strchr("cCkKrR", line[i + 1]) == nullptr) continue;
        const size_t first = line.find_first_not_of(" \t", i + 2);
        if (first < at && line[first] == '"') --quotes;
        break;
    }
    return quotes % 2 == 1;
}

// Replaces every token that next finds by its value and updates the spans of earlier insertions:
// a token inside one of them grows it, one that straddles its edge joins it. Unless unquotable is
// null: a value with a blank or a tab (or, for a batch file, one of cmd.exe's operators or
// delimiters), outside double quotes (as a program of kind reads them), goes into double
// quotes, its trailing backslashes doubled, so that the C runtime reads it as one argument; the
// quotes are no path's.
// *unquotable is set when such a value follows a backslash or a double quote, where quotes of its
// own would change what the line's characters mean; it is left as it is then. ownQuotes: where
// the closing quotes put so stand, moved along as the line changes.
void ReplaceAll(std::string& line, std::vector<Span>& spans,
                const std::function<Token(const std::string&, size_t)>& next, ProgramKind kind,
                bool* unquotable, std::vector<size_t>& ownQuotes) {
    std::string result;
    std::vector<Span> moved;
    std::vector<Span> added;
    std::vector<size_t> addedQuotes;
    // Maps a position of the old line to the new one; positions inside a replaced token map to
    // the start of its replacement.
    std::vector<size_t> map(line.size() + 1);
    size_t from = 0;
    for (Token token = next(line, 0); token.value != nullptr; token = next(line, from)) {
        const size_t at = token.at;
        for (size_t p = from; p < at; ++p) map[p] = result.size() + (p - from);
        result.append(line, from, at - from);
        for (size_t p = at; p < at + token.length; ++p) map[p] = result.size();
        const std::string& value = *token.value;
        // cmd.exe splits a batch file's line at , ; = and acts on & | < > ^ ( ) outside quotes;
        // inside them they are plain characters.
        const char* const splitters = kind == ProgramKind::Batch ? " \t&|<>^(),;=" : " \t";
        bool quote = unquotable && value.find_first_of(splitters) != std::string::npos && !QuotedAt(line, at, kind);
        // After a backslash or a quote an opening quote would be read with them: "\"" escaped,
        // "" inside quotes one quote character.
        if (quote && !IsReadByCmd(kind) && !result.empty() && (result.back() == '\\' || result.back() == '"')) {
            quote = false;
            *unquotable = true;
        }
        if (quote) result += '"';
        added.push_back({result.size(), result.size() + value.size()});
        result.append(value);
        from = at + token.length;
        const bool pathsQuote = std::any_of(spans.begin(), spans.end(), [&](const Span& span) {
            return span.begin <= from && from < span.end;
        });
        if (quote && !IsReadByCmd(kind) && from < line.size() && line[from] == '"' && !pathsQuote) {
            // The line opens quotes right after: they go on from the path's, as one argument
            // (a quote closing ours would meet it as "", a quote character inside quotes, where
            // the C runtime reads the line; cmd.exe toggles at every quote).
            map[from] = result.size();
            ++from;
        } else if (quote) {
            const size_t kept = value.find_last_not_of('\\');
            result.append(value.size() - (kept == std::string::npos ? 0 : kept + 1), '\\');
            addedQuotes.push_back(result.size());
            result += '"';
        }
    }
    if (added.empty()) return;
    for (size_t p = from; p <= line.size(); ++p) map[p] = result.size() + (p - from);
    result.append(line, from, std::string::npos);

    for (const Span& span : spans) {
        Span grown{map[span.begin], map[span.end]};
        // A replacement that began inside the span, or ran over its end, belongs to it.
        for (const Span& add : added) {
            if (add.begin >= grown.begin && add.begin < grown.end && add.end > grown.end)
                grown.end = add.end;
            if (add.begin < grown.begin && add.end > grown.begin) grown.begin = add.begin;
        }
        moved.push_back(grown);
    }
    for (const Span& add : added) moved.push_back(add);
    for (size_t& quote : ownQuotes) quote = map[quote];
    ownQuotes.insert(ownQuotes.end(), addedQuotes.begin(), addedQuotes.end());
    line.swap(result);
    spans.swap(moved);
}

// cmd.exe's reading of %TREVANEL_LOCAL_FILE_PATH% and %TREVANEL_REMOTE_FILE_PATH% (any letter
// case, also with :~n,m or :a=b after the name), and of !TREVANEL_...! where delayed expansion
// is on (cmd /v:on, or the registry's default): the value, in one pass, as the placeholder's.
void ExpandPathVariables(std::string& line, std::vector<Span>& spans, const std::string& local,
                         const std::string& remote, std::vector<size_t>& ownQuotes) {
    const std::string* const values[] = {&local, &remote};
    ReplaceAll(line, spans, [&](const std::string& text, size_t from) {
        for (size_t at = text.find_first_of("%!", from); at != std::string::npos; at = text.find_first_of("%!", at + 1)) {
            const char mark = text[at];
            for (size_t v = 0; v < 2; ++v) {
                const char* name = kTweakVariableNames[v];
                const size_t after = at + 1 + std::strlen(name);
                if (!IsSameRegistryName(text.substr(at + 1, std::strlen(name)), name) || after >= text.size()) continue;
                if (text[after] != mark && text[after] != ':') continue;
                const size_t close = text.find(mark, after);
                if (close != std::string::npos) return Token{at, close + 1 - at, values[v]};
            }
        }
        return Token{std::string::npos, 0, nullptr};
    }, ProgramKind::Cmd, nullptr, ownQuotes);
}

std::vector<bool> MarksOf(const std::vector<Span>& spans, size_t size) {
    std::vector<bool> inserted(size, false);
    for (const Span& span : spans) {
        for (size_t p = span.begin; p < span.end; ++p) inserted[p] = true;
    }
    return inserted;
}

bool IsQuoteOfAnyKind(unsigned char c) {
    return c == '"' || c == '\'' || c == '`' || c == 0x82 || c == 0x84 || (c >= 0x91 && c <= 0x94);
}

// What the text around a path may hold and still be a path's: letters (also of the code page),
// digits, blanks and a few signs that paths and options use. Everything else may open or close
// code in some language (`{` in Perl, `$` in shells), so it is refused unless a kind that knows
// the program's grammar vouches for it.
bool IsPathCharacter(unsigned char c) {
    if (c >= 0x80) return !IsQuoteOfAnyKind(c);
    return std::isalnum(c) != 0 || std::strchr(" \t()[]\\/:=,.-_@#~+", c) != nullptr;
}

// A folder may hold [ and ] ("Archive [2025]"), but a long bracket opens or closes code ([[ [=[
// ]] ]=] in Lua): a bracket beside another, beside =, or beside the path, whose own first or last
// character could complete one, is code.
bool IsPartOfLongBracket(const MarkedArgument& argument, size_t p) {
    const char c = argument.text[p];
    if (c != '[' && c != ']') return false;
    const auto completes = [&argument](size_t q) {
        return argument.inserted[q] || std::strchr("[]=", argument.text[q]) != nullptr;
    };
    return (p > 0 && completes(p - 1)) || (p + 1 < argument.text.size() && completes(p + 1));
}

// One reading of the line by the program that receives it, cmd.exe's expansion first where it
// reads the line: the paths' own % first, then the variables, whose values are judged where they
// land as the placeholders' are (cmd.exe expands %...% once, before it parses).
PathRefusal JudgeReading(const ProgramToJudge& program, std::string text, std::vector<Span> spans,
                         std::vector<size_t> ownQuotes, const std::string& local, const std::string& remote) {
    std::vector<bool> inserted = MarksOf(spans, text.size());
    if (IsReadByCmd(program.kind)) {
        const PathRefusal refusal = JudgePercent(text, inserted);
        if (refusal != PathRefusal::None) return refusal;
        ExpandPathVariables(text, spans, local, remote, ownQuotes);
        inserted = MarksOf(spans, text.size());
    }
    return JudgeLine(program.kind, program.exe, text, inserted, spans, 0, ownQuotes);
}

// A shortcut's target may get the line alone, or appended to the shortcut's own arguments (the
// user's text, none of it inserted): the line must pass its kind's rules both ways.
PathRefusal JudgeBothWays(const ProgramToJudge& program, const std::string& line, const std::vector<Span>& spans,
                          const std::vector<size_t>& ownQuotes, const std::string& local, const std::string& remote) {
    const PathRefusal refusal = JudgeReading(program, line, spans, ownQuotes, local, remote);
    if (refusal != PathRefusal::None || !program.throughShortcut || program.arguments.empty()) return refusal;
    const size_t shift = program.arguments.size() + 1;
    std::vector<Span> shifted;
    for (const Span& span : spans) shifted.push_back({span.begin + shift, span.end + shift});
    std::vector<size_t> shiftedQuotes;
    for (const size_t quote : ownQuotes) shiftedQuotes.push_back(quote + shift);
    return JudgeReading(program, program.arguments + " " + line, shifted, shiftedQuotes, local, remote);
}

}  // namespace

std::vector<Span> SpansOf(const std::vector<bool>& inserted) {
    std::vector<Span> spans;
    for (size_t i = 0; i < inserted.size(); ++i) {
        if (!inserted[i]) continue;
        const size_t begin = i;
        while (i < inserted.size() && inserted[i]) ++i;
        spans.push_back({begin, i});
    }
    return spans;
}

PathRefusal JudgeLine(ProgramKind kind, const std::string& exe, const std::string& line,
                      const std::vector<bool>& inserted, const std::vector<Span>& spans, int depth,
                      const std::vector<size_t>& ownQuotes) {
    // The C runtime's rules hold for cmd.exe's line too, which it hands on to what it starts.
    PathRefusal refusal = JudgeForProgram(line, spans, ownQuotes);
    if (refusal != PathRefusal::None) return refusal;
    // cmd.exe reads its line by rules of its own, and judges what it starts by that program's.
    if (kind == ProgramKind::Cmd) return JudgeForCmd(line, inserted, depth);
    const std::vector<MarkedArgument> arguments = SplitArguments(line, inserted);
    std::vector<bool> judged(arguments.size(), false);
    switch (kind) {
        case ProgramKind::Program:
        case ProgramKind::Cmd: break;
        case ProgramKind::Batch: refusal = JudgeForBatch(line, inserted, true); break;
        case ProgramKind::PowerShell: refusal = JudgeForPowerShell(line, inserted, false, &judged); break;
        case ProgramKind::Pwsh: refusal = JudgeForPowerShell(line, inserted, true, &judged); break;
        case ProgramKind::CodeInterpreter:
            refusal = JudgeForInterpreter(line, inserted, *InterpreterOptionsOf(exe));
            break;
        case ProgramKind::Unseen: {
            // The strictest reading: the first refusal of any kind's rules, and no kind vouches.
            refusal = JudgeForBatch(line, inserted, true);
            if (refusal == PathRefusal::None) refusal = JudgeForCmd(line, inserted, depth, true);
            if (refusal == PathRefusal::None) refusal = JudgeForPowerShell(line, inserted, false, nullptr);
            if (refusal == PathRefusal::None) refusal = JudgeForPowerShell(line, inserted, true, nullptr);
            for (const InterpreterOptions* options : EveryInterpreterOptions()) {
                if (refusal == PathRefusal::None) refusal = JudgeForInterpreter(line, inserted, *options);
            }
            break;
        }
    }
    if (refusal == PathRefusal::None && (kind == ProgramKind::Program || kind == ProgramKind::Batch ||
                                         kind == ProgramKind::Unseen)) {
        refusal = JudgeLaterProgram(arguments, depth);
    }
    if (refusal != PathRefusal::None) return refusal;
    // A path reaches every program as one argument: one that blanks of its own split (cmd.exe took
    // away the quotes that held it) would hand the program the server's words as options.
    for (const MarkedArgument& argument : arguments) {
        if (argument.splitByPath) return PathRefusal::BlankUnquoted;
    }
    return JudgeShape(arguments, judged);
}

namespace {

bool IsRootAt(const std::string& text, size_t at) {
    if (text.size() >= at + 3 && std::isalpha(static_cast<unsigned char>(text[at])) && text[at + 1] == ':')
        return text[at + 2] == '\\' || text[at + 2] == '/';
    return text.compare(at, 2, "\\\\") == 0 && text.size() > at + 2 && text[at + 2] != '\\';
}

// Where the user's own folder before the argument's first path ends, or 0 where there is none: a
// drive's or a share's root, at the argument's start or after an option's name (--out=, /out:,
// name=, -o), and from there only characters that a Windows folder may hold. That text is the
// user's path, however it is spelt ("D:\Photos & Videos\", "C:\Users\O'Brien\"): a path after
// it is read as a path below it, by whatever program.
size_t UsersFolderEnd(const MarkedArgument& argument) {
    const std::string& text = argument.text;
    const size_t first = std::find(argument.inserted.begin(), argument.inserted.end(), true) - argument.inserted.begin();
    size_t root = 0;
    const size_t option = text.find_first_of("=:");
    if (IsRootAt(text, 0)) {
        root = 0;
    } else if (option != std::string::npos && option > 0 && IsRootAt(text, option + 1) &&
               text.find_first_not_of("-/_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") == option) {
        root = option + 1;
    } else if (text.size() > 2 && text[0] == '-' && std::isalpha(static_cast<unsigned char>(text[1])) && IsRootAt(text, 2)) {
        root = 2;
    } else {
        return 0;
    }
    if (first <= root + 2) return 0;
    for (size_t p = root + 2; p < first; ++p) {
        const unsigned char c = static_cast<unsigned char>(text[p]);
        if (c < 0x20 || std::strchr("\"<>|?*:", c) != nullptr) return 0;
    }
    return first;
}

}  // namespace

void AppendArgument(MarkedArgument& line, const MarkedArgument& argument) {
    const bool quote = argument.text.empty() || argument.text.find_first_of(" \t") != std::string::npos;
    if (!line.text.empty()) Add(line, ' ', false);
    if (quote) Add(line, '"', false);
    for (size_t p = 0; p < argument.text.size(); ++p) {
        if (argument.text[p] == '"') Add(line, '\\', false);
        Add(line, argument.text[p], argument.inserted[p]);
    }
    if (quote) Add(line, '"', false);
}

PathRefusal JudgeLaterProgram(const std::vector<MarkedArgument>& arguments, int depth) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        // PowerShell's call and dot operators and an opening parenthesis are not the program's name.
        const std::string& word = arguments[i].text;
        const std::string name = word.substr(std::min(word.find_first_not_of("&.("), word.size()));
        const ProgramKind kind = name.empty() || HoldsPath(arguments[i]) ? ProgramKind::Program : ClassifyProgram(name);
        if (kind == ProgramKind::Program || kind == ProgramKind::Unseen) continue;
        MarkedArgument rest;
        for (size_t j = i + 1; j < arguments.size(); ++j) AppendArgument(rest, arguments[j]);
        if (!HoldsPath(rest)) return PathRefusal::None;
        return JudgeLine(kind, name, rest.text, rest.inserted, SpansOf(rest.inserted), depth + 1);
    }
    return PathRefusal::None;
}

PathRefusal JudgeShape(const std::vector<MarkedArgument>& arguments, const std::vector<bool>& judged) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const MarkedArgument& argument = arguments[i];
        if (judged[i] || !HoldsPath(argument)) continue;
        for (size_t p = UsersFolderEnd(argument); p < argument.text.size(); ++p) {
            if (!argument.inserted[p] &&
                (!IsPathCharacter(static_cast<unsigned char>(argument.text[p])) || IsPartOfLongBracket(argument, p)))
                return PathRefusal::CodeShape;
        }
    }
    return PathRefusal::None;
}

PathRefusal JudgePercent(const std::string& line, const std::vector<bool>& inserted) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (inserted[i] && line[i] == '%' && std::count(line.begin(), line.end(), '%') >= 2) return PathRefusal::Percent;
    }
    return PathRefusal::None;
}

PathRefusal JudgeForProgram(const std::string& line, const std::vector<Span>& spans,
                            const std::vector<size_t>& ownQuotes) {
    // For the C runtime, a backslash is an escape only in a run that ends at a double quote. The
    // quotes put around a path come after its backslashes doubled.
    for (size_t q = line.find('"'); q != std::string::npos; q = line.find('"', q + 1)) {
        size_t run = q;
        while (run > 0 && line[run - 1] == '\\') --run;
        if (run == q) continue;
        if (std::find(ownQuotes.begin(), ownQuotes.end(), q) != ownQuotes.end()) {
            // As many backslashes of ours as the paths brought (a path inserted into a path may
            // have brought more after ours were counted).
            size_t fromPaths = 0;
            for (const Span& span : spans) {
                fromPaths += std::min(span.end, q) - std::min(std::max(span.begin, run), std::min(span.end, q));
            }
            if (2 * fromPaths != q - run) return PathRefusal::BackslashBeforeQuote;
            continue;
        }
        for (const Span& span : spans) {
            if (span.end > run && span.end <= q) return PathRefusal::BackslashBeforeQuote;
        }
    }
    // Inside quotes, "" is one quote character: an empty path between two quotes of the user's
    // would join them.
    for (const size_t quote : ReadQuotes(line).doubled) {
        for (const Span& span : spans) {
            if (span.begin == quote + 1 && span.end == quote + 1) return PathRefusal::EmptyBetweenQuotes;
        }
    }
    return PathRefusal::None;
}

PathRefusal JudgeForBatch(const std::string& line, const std::vector<bool>& inserted, bool delimiters) {
    bool inQuotes = false;
    PathRefusal found = PathRefusal::None;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (inserted[i]) {
            PathRefusal refusal = PathRefusal::None;
            if (c == '!') {
                refusal = PathRefusal::Exclamation;
            } else if (c < 0x20 && c != '\t') {
                refusal = PathRefusal::ControlCharacter;
            } else if (!inQuotes && std::strchr("&|<>^()", c) != nullptr) {
                refusal = PathRefusal::ShellOperator;
            } else if (delimiters && !inQuotes && (std::strchr(",;=", c) != nullptr || c == 0xFF)) {
                refusal = PathRefusal::Delimiter;
            }
            if (found == PathRefusal::None) found = refusal;
            continue;
        }
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == '^' && !inQuotes && i + 1 < line.size() && !inserted[i + 1]) {
            // The user's own escape: the next character does not open or close quotes.
            ++i;
        }
    }
    return found;
}

namespace {

bool IsSlash(char c) { return c == '/' || c == '\\'; }

PathRefusal JudgeServerPath(const std::string& remote) {
    // A dash as PowerShell reads one too (code page 1252's en and em dash); two slashes of any
    // kind also name another machine's share.
    if ((!remote.empty() && std::strchr("-\x96\x97", remote[0]) != nullptr) ||
        (remote.size() >= 2 && IsSlash(remote[0]) && IsSlash(remote[1]))) {
        return PathRefusal::ServerPathOption;
    }
    if (std::any_of(remote.begin(), remote.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return PathRefusal::ServerPathControl;
    if (remote.find(':') != std::string::npos) return PathRefusal::ServerPathColon;
    // Windows' file searches read < and > as wildcards too; no file name holds them.
    if (remote.find_first_of("*?<>") != std::string::npos) return PathRefusal::ServerPathWildcard;
    for (size_t begin = 0; begin <= remote.size();) {
        const size_t end = std::min(remote.find_first_of("/\\", begin), remote.size());
        const std::string part = remote.substr(begin, end - begin);
        if (!part.empty() && part.find_first_not_of(". ") == std::string::npos) return PathRefusal::ServerPathClimb;
        if (IsDevicePath(part.c_str())) return PathRefusal::ServerPathDevice;
        begin = end + 1;
    }
    return PathRefusal::None;
}

ParameterLine BuildLine(const std::string& exe, const std::string& parameters, const char* localPath,
                        const char* remotePath) {
    const std::string local = localPath ? localPath : "";
    const std::string remote = remotePath ? remotePath : "";
    ParameterLine line{parameters, PathRefusal::None};
    ProgramToJudge program = FindProgramToJudge(exe);
    // Arguments that leave quotes open would turn the line's quoting round where they stand
    // before it: such a shortcut keeps the strictest rules.
    if (program.throughShortcut && QuotedAt(program.arguments + " ", program.arguments.size() + 1, program.kind))
        program = {exe, ProgramKind::Unseen, false, ""};
    const ProgramKind kind = program.kind;
    std::vector<Span> spans;
    std::vector<size_t> ownQuotes;
    bool unquotable = false;
    const auto replace = [&](const std::string& placeholder, const std::string& value) {
        ReplaceAll(line.text, spans, [&](const std::string& text, size_t from) {
            const size_t at = text.find(placeholder, from);
            return Token{at, placeholder.size(), at == std::string::npos ? nullptr : &value};
        }, kind, &unquotable, ownQuotes);
    };
    replace("%LOCAL_FILE_PATH%", local);
    const size_t localSpans = spans.size();
    replace("%REMOTE_FILE_PATH%", remote);
    const bool localInserted = localSpans > 0;
    const bool remoteInserted = spans.size() > localSpans;

    const std::vector<bool> inserted = MarksOf(spans, line.text.size());
    const bool quoteInPath = std::any_of(spans.begin(), spans.end(), [&line](const Span& span) {
        return line.text.find('"', span.begin) < span.end;
    });
    if (quoteInPath) {
        line.refusal = PathRefusal::Quote;
    } else if (unquotable) {
        line.refusal = PathRefusal::BlankUnquoted;
    } else if ((localInserted && !IsWholeAnsiText(local)) || (remoteInserted && !IsWholeAnsiText(remote))) {
        // The shell converts the whole line at once: judged byte by byte, it must convert as bytes.
        line.refusal = PathRefusal::PartialCharacter;
    } else {
        line.refusal = JudgeBothWays(program, line.text, spans, ownQuotes, local, remote);
    }
    if (line.IsSafe() && !program.handedTo.empty()) {
        line.refusal = JudgeLine(ClassifyProgram(program.handedTo), program.handedTo, line.text, inserted, spans, 1,
                                 ownQuotes);
    }
    // cmd.exe expands the TREVANEL_ variables into a batch file's lines before it parses them:
    // a path that could close the batch file's own quotes is refused whatever the line says.
    const char* const breaksQuotes = "\"\r\n";
    if (line.IsSafe() && IsReadByCmd(kind) &&
        (local.find_first_of(breaksQuotes) != std::string::npos ||
         remote.find_first_of(breaksQuotes) != std::string::npos)) {
        line.refusal = PathRefusal::BatchVariable;
    }
    return line;
}

}  // namespace

ParameterLine BuildParameterLine(const std::string& exe, const std::string& parameters,
                                 const char* localPath, const char* remotePath) {
    ParameterLine line = BuildLine(exe, parameters, localPath, remotePath);
    // Whoever reads the server's path from the line, as a placeholder or a variable, gets it as
    // a path below a folder of the user's choosing; a local path may bring the placeholder in.
    if (Lowered(parameters + (localPath ? localPath : "")).find("remote_file_path") != std::string::npos) {
        const PathRefusal refusal = JudgeServerPath(remotePath ? remotePath : "");
        if (refusal != PathRefusal::None) line.refusal = refusal;
    }
    return line;
}

const char* DescribeRefusal(PathRefusal refusal) {
    switch (refusal) {
        case PathRefusal::None: return "the paths are safe to pass";
        case PathRefusal::BlankUnquoted:
            return "a path's blanks would split it into more than one argument: it stands unquoted right after a "
                   "backslash or a double quote of the parameter line, or cmd.exe takes away the quotes around it; "
                   "write the quotes around the placeholder";
        case PathRefusal::CodeShape:
            return "a path stands inside text of the line that is neither a folder of yours before it "
                   "(D:\\Backup\\%REMOTE_FILE_PATH%) nor an option's name (--out=, -o, /out:), and that text holds a "
                   "quote or what code holds (such as $ ; & | < > ^ % ! { } or [[ ]]); write the placeholder as a "
                   "whole argument or after such a folder or option, or let code read the path from "
                   "TREVANEL_LOCAL_FILE_PATH or TREVANEL_REMOTE_FILE_PATH";
        case PathRefusal::Quote: return "a path holds a double quote";
        case PathRefusal::BackslashBeforeQuote:
            return "a path ends in a backslash that meets a double quote of the parameter line";
        case PathRefusal::EmptyBetweenQuotes:
            return "an empty path would join two double quotes of the parameter line into one";
        case PathRefusal::Percent:
            return "a path holds a % that cmd.exe could expand with another % of the line";
        case PathRefusal::Exclamation: return "a path holds a ! and the program is a batch file";
        case PathRefusal::ControlCharacter:
            return "a path holds a line break or control character and the program is a batch file";
        case PathRefusal::ShellOperator:
            return "an unquoted path holds one of & | < > ^ ( ) and the program is a batch file";
        case PathRefusal::Delimiter:
            return "an unquoted path holds one of , ; = and the program is a batch file";
        case PathRefusal::CmdSwitch:
            return "a path stands among cmd.exe's switches, before /c, /k or /r, or among start's (/D would "
                   "start the program in the server's folder)";
        case PathRefusal::ScriptParameter:
            return "a path stands among PowerShell's parameters, before its code or script";
        case PathRefusal::EncodedCommand:
            return "the line holds an encoded PowerShell command, beside which no path may stand";
        case PathRefusal::ScriptQuote:
            return "a path inside single quotes of PowerShell code holds a single quote";
        case PathRefusal::ScriptExpansion:
            return "a path inside double quotes of PowerShell code holds $, ` or a double quote";
        case PathRefusal::ScriptUnquoted:
            return "a path stands unquoted in PowerShell code and holds more than letters, digits "
                   "and \\ / . _ : -";
        case PathRefusal::CommandName:
            return "a path stands where cmd.exe reads the name of the program to start, or in the set of a for "
                   "loop, which hands it to the loop's command (for /f: the file's text): the server would "
                   "then choose what runs";
        case PathRefusal::ScriptIndirection:
            return "PowerShell code that holds a path, or is handed one (-CommandWithArgs), starts what a variable "
                   "or a .NET or COM call names (& $p, [Diagnostics.Process]::Start, ShellExecute): the server's "
                   "file could be what runs";
        case PathRefusal::ScriptWildcard:
            return "a path in PowerShell code holds [ or ], which PowerShell reads as a wildcard";
        case PathRefusal::InterpreterCode:
            return "a path stands inside code that the program runs (-c, -e, a remote shell's command); let "
                   "the code read it from the environment variable TREVANEL_LOCAL_FILE_PATH or "
                   "TREVANEL_REMOTE_FILE_PATH instead";
        case PathRefusal::BatchVariable:
            return "a path holds a double quote or a line break, and cmd.exe would expand it from "
                   "the TREVANEL_ variables before it parses the batch file's lines";
        case PathRefusal::ServerPathClimb:
            return "the server's path holds a . or .. part, which would climb out of the folder the parameter "
                   "line puts it in";
        case PathRefusal::ServerPathColon:
            return "the server's path holds a colon, which names a drive or a file's hidden data stream";
        case PathRefusal::ServerPathDevice:
            return "a part of the server's path names a device (CON, NUL, COM1 ...), which Windows opens instead "
                   "of a file";
        case PathRefusal::ServerPathWildcard:
            return "the server's path holds * ? < or >, which the program would read as a wildcard for other files";
        case PathRefusal::ServerPathControl: return "the server's path holds a control character";
        case PathRefusal::ServerPathOption:
            return "the server's path starts with a dash or two slashes, which the program would read as an option "
                   "or as another machine's share";
        case PathRefusal::ProgramBesideFile:
            return "the program lies in the folder of the transferred file, where it would load a file the "
                   "server sent as one of its DLLs; keep the program in a folder of its own";
        case PathRefusal::PartialCharacter:
            return "a path ends in half a character of the system's code page, which would take the "
                   "next character of the parameter line with it";
    }
    return "unknown";
}
