// Putting the paths into a parameter line, and judging what they brought in.
#include "runner/ParameterLine.h"

#include <cstring>
#include <vector>

#include "platform/AnsiText.h"
#include "runner/LineJudges.h"
#include "runner/ProgramKind.h"

namespace {

// Replaces every placeholder in line by value and updates the spans of earlier insertions: a
// placeholder inside one of them grows it, one that straddles its edge joins it.
void ReplaceAll(std::string& line, std::vector<Span>& spans, const std::string& placeholder,
                const std::string& value) {
    std::string result;
    std::vector<Span> moved;
    std::vector<Span> added;
    // Maps a position of the old line to the new one; positions inside a replaced placeholder
    // map to the start of its replacement.
    std::vector<size_t> map(line.size() + 1);
    size_t from = 0;
    for (size_t at = line.find(placeholder); at != std::string::npos;
         at = line.find(placeholder, from)) {
        for (size_t p = from; p < at; ++p) map[p] = result.size() + (p - from);
        result.append(line, from, at - from);
        for (size_t p = at; p < at + placeholder.size(); ++p) map[p] = result.size();
        added.push_back({result.size(), result.size() + value.size()});
        result.append(value);
        from = at + placeholder.size();
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
    line.swap(result);
    spans.swap(moved);
}

PathRefusal JudgeAs(ProgramKind kind, const std::string& exe, const std::string& text,
                    const std::vector<Span>& spans, const std::vector<bool>& inserted) {
    // Every kind of program but a batch file splits its line by the C runtime's rules first.
    if (kind != ProgramKind::Batch && kind != ProgramKind::Cmd) {
        const PathRefusal refusal = JudgeForProgram(text, spans);
        if (refusal != PathRefusal::None) return refusal;
    }
    switch (kind) {
        case ProgramKind::Program: break;
        case ProgramKind::Batch: return JudgeForBatch(text, inserted);
        case ProgramKind::Cmd: return JudgeForCmd(text, inserted);
        case ProgramKind::PowerShell: return JudgeForPowerShell(text, inserted, false);
        case ProgramKind::Pwsh: return JudgeForPowerShell(text, inserted, true);
        case ProgramKind::CodeInterpreter: return JudgeForInterpreter(text, inserted, *InterpreterOptionsOf(exe));
        case ProgramKind::Unseen: {
            // The strictest reading: the first refusal of any kind's rules.
            PathRefusal refusal = JudgeForBatch(text, inserted);
            if (refusal == PathRefusal::None) refusal = JudgeForCmd(text, inserted, true);
            if (refusal == PathRefusal::None) refusal = JudgeForPowerShell(text, inserted, false);
            if (refusal == PathRefusal::None) refusal = JudgeForPowerShell(text, inserted, true);
            for (const InterpreterOptions* options : EveryInterpreterOptions()) {
                if (refusal == PathRefusal::None) refusal = JudgeForInterpreter(text, inserted, *options);
            }
            return refusal;
        }
    }
    return PathRefusal::None;
}

}  // namespace

PathRefusal JudgeForProgram(const std::string& line, const std::vector<Span>& spans) {
    // For the C runtime, a backslash is an escape only in a run that ends at a double quote.
    for (size_t q = line.find('"'); q != std::string::npos; q = line.find('"', q + 1)) {
        size_t run = q;
        while (run > 0 && line[run - 1] == '\\') --run;
        if (run == q) continue;
        for (const Span& span : spans) {
            if (span.end > run && span.end <= q) return PathRefusal::BackslashBeforeQuote;
        }
    }
    // Inside quotes, "" is one quote character: an empty path between two quotes of the user's
    // would join them.
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            size_t run = i;
            while (run < line.size() && line[run] == '\\') ++run;
            if (run < line.size() && line[run] == '"' && (run - i) % 2 == 1) ++run;
            i = run - 1;
        } else if (line[i] == '"') {
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                for (const Span& span : spans) {
                    if (span.begin == i + 1 && span.end == i + 1) return PathRefusal::EmptyBetweenQuotes;
                }
                ++i;
            } else {
                quoted = !quoted;
            }
        }
    }
    return PathRefusal::None;
}

PathRefusal JudgeForBatch(const std::string& line, const std::vector<bool>& inserted) {
    bool inQuotes = false;
    PathRefusal found = PathRefusal::None;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (inserted[i]) {
            PathRefusal refusal = PathRefusal::None;
            if (c == '%') {
                refusal = PathRefusal::Percent;
            } else if (c == '!') {
                refusal = PathRefusal::Exclamation;
            } else if (c < 0x20 && c != '\t') {
                refusal = PathRefusal::ControlCharacter;
            } else if (!inQuotes && std::strchr("&|<>^()", c) != nullptr) {
                refusal = PathRefusal::ShellOperator;
            } else if (!inQuotes && (std::strchr(",;=", c) != nullptr || c == 0xFF)) {
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

ParameterLine BuildParameterLine(const std::string& exe, const std::string& parameters,
                                 const char* localPath, const char* remotePath) {
    const std::string local = localPath ? localPath : "";
    const std::string remote = remotePath ? remotePath : "";
    ParameterLine line{parameters, PathRefusal::None};
    std::vector<Span> spans;
    ReplaceAll(line.text, spans, "%LOCAL_FILE_PATH%", local);
    const size_t localSpans = spans.size();
    ReplaceAll(line.text, spans, "%REMOTE_FILE_PATH%", remote);
    const bool localInserted = localSpans > 0;
    const bool remoteInserted = spans.size() > localSpans;

    std::vector<bool> inserted(line.text.size(), false);
    for (const Span& span : spans) {
        for (size_t p = span.begin; p < span.end; ++p) inserted[p] = true;
    }
    for (size_t p = 0; p < line.text.size(); ++p) {
        if (inserted[p] && line.text[p] == '"') {
            line.refusal = PathRefusal::Quote;
            return line;
        }
    }
    // The shell converts the whole line at once: judged byte by byte, it must convert as bytes.
    if ((localInserted && !IsWholeAnsiText(local)) || (remoteInserted && !IsWholeAnsiText(remote))) {
        line.refusal = PathRefusal::PartialCharacter;
        return line;
    }
    const ProgramKind kind = ClassifyProgram(exe);
    line.refusal = JudgeAs(kind, exe, line.text, spans, inserted);
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

const char* DescribeRefusal(PathRefusal refusal) {
    switch (refusal) {
        case PathRefusal::None: return "the paths are safe to pass";
        case PathRefusal::Quote: return "a path holds a double quote";
        case PathRefusal::BackslashBeforeQuote:
            return "a path ends in a backslash that meets a double quote of the parameter line";
        case PathRefusal::EmptyBetweenQuotes:
            return "an empty path would join two double quotes of the parameter line into one";
        case PathRefusal::Percent: return "a path holds a % and the program is a batch file";
        case PathRefusal::Exclamation: return "a path holds a ! and the program is a batch file";
        case PathRefusal::ControlCharacter:
            return "a path holds a line break or control character and the program is a batch file";
        case PathRefusal::ShellOperator:
            return "an unquoted path holds one of & | < > ^ ( ) and the program is a batch file";
        case PathRefusal::Delimiter:
            return "an unquoted path holds one of , ; = and the program is a batch file";
        case PathRefusal::CmdSwitch:
            return "a path stands among cmd.exe's switches, before /c, /k or /r";
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
        case PathRefusal::InterpreterCode:
            return "a path stands inside code that the interpreter runs (-c, -e)";
        case PathRefusal::BatchVariable:
            return "a path holds a double quote or a line break, and cmd.exe would expand it from "
                   "the TREVANEL_ variables before it parses the batch file's lines";
        case PathRefusal::PartialCharacter:
            return "a path ends in half a character of the system's code page, which would take the "
                   "next character of the parameter line with it";
    }
    return "unknown";
}
