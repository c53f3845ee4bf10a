// How cmd.exe reads the command after /c, /k or /r, judged for what the paths brought into it,
// and each command it starts judged as what it starts.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "runner/LineJudges.h"
#include "runner/ProgramSearch.h"

namespace {

using Reading = MarkedArgument;

// The first "/c", "/k" or "/r" (Windows' cmd.exe takes /r as /c) in any letter case: cmd.exe
// takes what follows as its command.
size_t FindCommandSwitch(const std::string& line, const std::vector<bool>& inserted, bool ownSwitchesOnly) {
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        if (ownSwitchesOnly && (inserted[i] || inserted[i + 1])) continue;
        if (IsOneOfWords(Lowered(line.substr(i, 2)), "/c /k /r")) return i;
    }
    return std::string::npos;
}

// cmd.exe keeps the quotes only when the command holds exactly two, with blanks and none of
// & < > ( ) @ ^ | between them, and the text between them names an executable file. Whether
// such a file exists cannot be told from the line, so a line that passes the rest is judged
// both ways.
bool MayKeepQuotes(const std::string& command) {
    const size_t first = command.find('"');
    const size_t second = command.find('"', first + 1);
    if (second == std::string::npos || command.find('"', second + 1) != std::string::npos) return false;
    const std::string between = command.substr(first + 1, second - first - 1);
    return between.find_first_of(" \t") != std::string::npos &&
           between.find_first_of("&<>()@^|") == std::string::npos;
}

void Erase(Reading& reading, size_t at) {
    reading.text.erase(at, 1);
    reading.inserted.erase(reading.inserted.begin() + static_cast<long>(at));
}

Reading Part(const Reading& reading, size_t from, size_t to) {
    return {reading.text.substr(from, to - from),
            std::vector<bool>(reading.inserted.begin() + static_cast<long>(from),
                              reading.inserted.begin() + static_cast<long>(to))};
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsWord(char c) { return IsBlank(c) || c == ',' || c == ';' || c == '='; }

// Where the word that starts at from ends: at a blank or , ; = outside double quotes.
size_t WordEnd(const std::string& text, size_t from) {
    bool quoted = false;
    size_t i = from;
    for (; i < text.size() && (quoted || !EndsWord(text[i])); ++i) {
        if (text[i] == '"') quoted = !quoted;
    }
    return i;
}

size_t SkipBlanks(const std::string& text, size_t from) {
    while (from < text.size() && IsBlank(text[from])) ++from;
    return from;
}

std::string WithoutQuotes(std::string word) {
    word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
    return word;
}

// cmd.exe's built-ins other than start, call, if and for (which JudgeCommand reads through):
// their arguments are judged by a batch file's rules, as cmd.exe splits them.
bool IsBuiltIn(const std::string& name) {
    return IsOneOfWords(name, "assoc break cd chdir cls color copy date del dir echo endlocal erase exit ftype goto md "
                              "mkdir mklink move path pause popd prompt pushd rd ren rename rmdir set setlocal shift "
                              "time title type ver verify vol");
}

PathRefusal JudgeCommand(const Reading& command, int depth);
PathRefusal JudgeCommands(const Reading& line, int depth);

// The lower-case word that starts at from (quotes kept).
std::string LowerWordAt(const std::string& text, size_t from) {
    return Lowered(text.substr(from, WordEnd(text, from) - from));
}

// Where the block whose ( stands at open ends: its ) outside quotes, or npos.
size_t BlockEnd(const Reading& reading, size_t open) {
    bool quoted = false;
    int depth = 0;
    for (size_t i = open; i < reading.text.size(); ++i) {
        if (reading.inserted[i]) continue;
        const char c = reading.text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) return i;
    }
    return std::string::npos;
}

// What if and for run: a block in parentheses (with if's else and its own block or command), or
// one command.
PathRefusal JudgeBody(const Reading& body, int depth) {
    const size_t at = SkipBlanks(body.text, 0);
    if (at == body.text.size() || body.text[at] != '(' || body.inserted[at]) {
        return JudgeCommand(Part(body, at, body.text.size()), depth);
    }
    const size_t end = BlockEnd(body, at);
    const PathRefusal refusal =
        JudgeCommands(Part(body, at + 1, end == std::string::npos ? body.text.size() : end), depth);
    if (refusal != PathRefusal::None || end == std::string::npos) return refusal;
    const size_t next = SkipBlanks(body.text, end + 1);
    const bool otherwise = LowerWordAt(body.text, next) == "else";
    return JudgeBody(Part(body, otherwise ? next + 4 : next, body.text.size()), depth);
}

// if [/i] [not] exist|defined|errorlevel|cmdextversion X command, or if [/i] [not] A==B command
// (A EQU B and the like): the condition runs nothing; the command is judged as a command. A path
// that splits into more words than the condition takes brings its own command, as cmd.exe reads it.
PathRefusal JudgeIf(const Reading& rest, int depth) {
    size_t at = SkipBlanks(rest.text, 0);
    const auto skipWord = [&rest, &at] { at = SkipBlanks(rest.text, WordEnd(rest.text, at)); };
    if (LowerWordAt(rest.text, at) == "/i") skipWord();
    if (LowerWordAt(rest.text, at) == "not") skipWord();
    const std::string test = LowerWordAt(rest.text, at);
    skipWord();
    if (test != "exist" && test != "defined" && test != "errorlevel" && test != "cmdextversion") {
        // A==B: = ends a word, so the operator is the = that follow the first operand.
        const size_t equals = at;
        while (at < rest.text.size() && (rest.text[at] == '=' || IsBlank(rest.text[at]))) ++at;
        if (at == equals) {
            if (IsOneOfWords(LowerWordAt(rest.text, at), "equ neq lss leq gtr geq")) skipWord();
        }
    }
    skipWord();
    // cmd.exe opens the block at a ( that follows an operand without a blank: "x"(command).
    bool quoted = false;
    for (size_t i = 0; i < at; ++i) {
        if (rest.text[i] == '"') quoted = !quoted;
        if (rest.text[i] == '(' && !quoted && !rest.inserted[i]) {
            at = i;
            break;
        }
    }
    return JudgeBody(Part(rest, at, rest.text.size()), depth);
}

// for [/d | /r [folder] | /l | /f ["options"]] %v in (set) do command: the loop hands each item of
// the set (for /f: each line of a file it names) to the command as %v, wherever the command puts
// it, even as the program's name. A path may stand in the command only.
PathRefusal JudgeFor(const Reading& rest, int depth) {
    for (size_t at = SkipBlanks(rest.text, 0); at < rest.text.size(); at = SkipBlanks(rest.text, WordEnd(rest.text, at))) {
        if (LowerWordAt(rest.text, at) != "in") continue;
        const size_t open = SkipBlanks(rest.text, at + 2);
        if (open == rest.text.size() || rest.text[open] != '(') break;
        const size_t close = BlockEnd(rest, open);
        if (close == std::string::npos) break;
        const size_t command = SkipBlanks(rest.text, close + 1);
        if (LowerWordAt(rest.text, command) != "do") break;
        if (HoldsPath(rest.inserted, 0, command)) return PathRefusal::CommandName;
        return JudgeBody(Part(rest, command + 2, rest.text.size()), depth);
    }
    return HoldsPath(rest) ? PathRefusal::CommandName : PathRefusal::None;
}

// start ["title"] [/options] command: the first quoted word before the command is the title,
// before or after the options; /D takes the folder the command starts in.
PathRefusal JudgeStart(const Reading& rest, int depth) {
    size_t at = SkipBlanks(rest.text, 0);
    bool titled = false;
    while (at < rest.text.size() && ((rest.text[at] == '"' && !titled) || rest.text[at] == '/')) {
        size_t end = WordEnd(rest.text, at);
        if (rest.text[at] == '"') {
            titled = true;
        } else {
            // /d, /node, /affinity and /machine take the next word as their value.
            const std::string option = Lowered(rest.text.substr(at + 1, end - at - 1));
            if (option == "d" || option == "node" || option == "affinity" || option == "machine") {
                end = WordEnd(rest.text, SkipBlanks(rest.text, end));
            }
            if (HoldsPath(rest.inserted, at, end)) return PathRefusal::CmdSwitch;
        }
        at = SkipBlanks(rest.text, end);
    }
    return JudgeCommand(Part(rest, at, rest.text.size()), depth);
}

// One command of the line: its first word is resolved and classified as a tweak's program is,
// and the rest judged as that program reads it.
PathRefusal JudgeCommand(const Reading& command, int depth) {
    size_t at = 0;
    while (at < command.text.size() && (EndsWord(command.text[at]) || command.text[at] == '@')) ++at;
    if (at == command.text.size()) return PathRefusal::None;
    size_t end = WordEnd(command.text, at);
    std::string word = command.text.substr(at, end - at);
    // "cmd/c", "echo.": cmd.exe's name and those of its built-ins end at / (echo's at . too).
    std::string name = Lowered(word);
    for (const char* own : {"cmd.exe", "cmd", "echo", "call", "start", "if", "for"}) {
        const size_t n = std::strlen(own);
        if (name.size() > n && name.compare(0, n, own) == 0 && (name[n] == '/' || (name[n] == '.' && n == 4))) {
            end = at + n;
            word.resize(n);
            name.resize(n);
            break;
        }
    }
    const Reading rest = Part(command, end, command.text.size());
    if (name == "rem") return PathRefusal::None;
    if (HoldsPath(command.inserted, at, end)) return PathRefusal::CommandName;
    if (name == "call") {
        // call expands %...% once more.
        const PathRefusal refusal = JudgePercent(rest.text, rest.inserted);
        return refusal != PathRefusal::None ? refusal : JudgeCommand(rest, depth);
    }
    if (name == "start") return JudgeStart(rest, depth);
    if (name == "if") return JudgeIf(rest, depth);
    if (name == "for") return JudgeFor(rest, depth);
    // A built-in splits its arguments as a batch file does.
    if (IsBuiltIn(name)) {
        return JudgeLine(ProgramKind::Batch, "", rest.text, rest.inserted, SpansOf(rest.inserted), depth + 1);
    }
    const std::string program = FindProgramToStart(WithoutQuotes(word)).file;
    return JudgeLine(ClassifyProgram(program), program, rest.text, rest.inserted, SpansOf(rest.inserted),
                     depth + 1);
}

// Where a redirection's target ends: where a word ends, and also at & | < > ( ) outside quotes,
// which cmd.exe reads as the next operator even with no blank before it (">nul&x.exe").
size_t RedirectionTargetEnd(const Reading& line, size_t from) {
    bool quoted = false;
    size_t i = from;
    for (; i < line.text.size(); ++i) {
        const char c = line.text[i];
        if (c == '"') quoted = !quoted;
        // A path's blank ends the target too: what follows it is the command's again.
        if (quoted) continue;
        if (c == '^') {
            ++i;
        } else if (EndsWord(c) || std::strchr("&|<>()", c) != nullptr) {
            break;
        }
    }
    return std::min(i, line.text.size());
}

// The commands of a line as cmd.exe parses it: & | && || and blocks separate them; < and >
// with their targets are no program's arguments; ^ outside quotes makes the next character plain.
PathRefusal JudgeCommands(const Reading& line, int depth) {
    Reading command;
    bool quoted = false;
    // ( opens a block only where a command begins, and ) closes one only when one is open.
    int blocks = 0;
    for (size_t i = 0; i < line.text.size(); ++i) {
        const char c = line.text[i];
        if (c == '"') quoted = !quoted;
        const bool own = !line.inserted[i] && !quoted;
        const bool opens = c == '(' && command.text.find_first_not_of(" \t@") == std::string::npos;
        if (own && c == '^' && i + 1 < line.text.size()) {
            ++i;
        } else if (own && (c == '&' || c == '|' || opens || (c == ')' && blocks > 0))) {
            blocks += c == '(' ? 1 : c == ')' ? -1 : 0;
            const PathRefusal refusal = JudgeCommand(command, depth);
            if (refusal != PathRefusal::None) return refusal;
            command = Reading();
            continue;
        } else if (own && (c == '<' || c == '>')) {
            // A handle before it ("2>") and a "&1" after it belong to the redirection.
            if (!command.text.empty() && std::isdigit(static_cast<unsigned char>(command.text.back())) &&
                (command.text.size() == 1 || IsBlank(command.text[command.text.size() - 2]))) {
                command.text.pop_back();
                command.inserted.pop_back();
            }
            size_t target = i + 1;
            while (target < line.text.size() && (line.text[target] == '>' || line.text[target] == '&')) ++target;
            i = RedirectionTargetEnd(line, SkipBlanks(line.text, target)) - 1;
            continue;
        }
        Add(command, line.text[i], line.inserted[i]);
    }
    return JudgeCommand(command, depth);
}

}  // namespace

PathRefusal JudgeForCmd(const std::string& line, const std::vector<bool>& inserted, int depth, bool ownSwitchesOnly) {
    const size_t at = FindCommandSwitch(line, inserted, ownSwitchesOnly);
    // Without a command cmd.exe runs nothing from the line; its batch rules judge it as before.
    if (at == std::string::npos) return JudgeForBatch(line, inserted, true);
    if (HoldsPath(inserted, 0, at + 2)) return PathRefusal::CmdSwitch;
    // A cmd.exe that another one started expands %...% again; the first one's line was judged
    // for it where the line was built.
    if (depth > 0) {
        const PathRefusal refusal = JudgePercent(line, inserted);
        if (refusal != PathRefusal::None) return refusal;
    }
    bool stripAlways = false;
    for (size_t i = 0; i + 1 < at; ++i) {
        if (Lowered(line.substr(i, 2)) == "/s") stripAlways = true;
    }
    const Reading command{line.substr(at + 2),
                          std::vector<bool>(inserted.begin() + static_cast<long>(at) + 2, inserted.end())};
    std::vector<Reading> readings;
    const size_t first = command.text.find_first_not_of(" \t");
    if (first == std::string::npos || command.text[first] != '"') {
        readings.push_back(command);
    } else {
        // The first character a quote: it goes, and so does the last quote of the line.
        Reading stripped = command;
        const size_t last = stripped.text.rfind('"');
        if (last != first) Erase(stripped, last);
        Erase(stripped, first);
        readings.push_back(stripped);
        if (!stripAlways && MayKeepQuotes(command.text)) readings.push_back(command);
    }
    for (const Reading& reading : readings) {
        // , ; = split arguments only for what cmd.exe runs itself: judged with each command.
        PathRefusal refusal = JudgeForBatch(reading.text, reading.inserted, false);
        if (refusal == PathRefusal::None) refusal = JudgeCommands(reading, depth);
        if (refusal != PathRefusal::None) return refusal;
    }
    return PathRefusal::None;
}
