// Property of the path guard: every parameter line it lets through reaches the program with the
// arguments that the user's template says, whatever the server put into the paths. The lines are
// split here by models of their own, written from the platform's rules and not from the guard:
// the C runtime's argument rules for programs, cmd.exe's reading of a line for batch files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/FuzzCheck.h"
#include "runner/ParameterLine.h"

namespace {

using Args = std::vector<std::string>;

// One piece of a template: literal text, or the local (1) or remote (2) placeholder.
struct Piece {
    int placeholder = 0;
    char literal = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The C runtime's split of the text after the program name: blanks separate outside quotes;
// 2n backslashes and a quote give n backslashes and a quote that opens or closes; 2n+1 give n
// and a quote character; other backslashes are themselves; "" inside quotes is one quote.
Args SplitLikeTheRuntime(const std::string& line) {
    Args args;
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) return args;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == '\\') {
                size_t n = 0;
                while (i < line.size() && line[i] == '\\') ++n, ++i;
                if (i < line.size() && line[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) arg += '"', ++i;
                } else {
                    arg.append(n, '\\');
                }
            } else if (line[i] == '"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += line[i++];
            }
        }
        args.push_back(arg);
    }
}

// The arguments of a template as they are built, piece by piece.
struct ArgsBuilder {
    Args args;
    std::string arg;
    bool open = false;

    void Add(char c) {
        arg += c;
        open = true;
    }
    void End() {
        if (open) args.push_back(arg);
        arg.clear();
        open = false;
    }
    // A path where the template has its placeholder, as the template promises it: whole. keepQuotes
    // (cmd.exe's reading, which keeps them): a path with a blank or a tab outside quotes comes in
    // quotes of its own, its trailing backslashes doubled before the closing one for the C
    // runtime behind.
    // splitters: what puts an unquoted path into quotes of its own (for a batch file also
    // cmd.exe's operators and delimiters).
    void PutPath(const std::string& path, bool quoted, bool keepQuotes, const char* splitters = " \t") {
        const bool own = keepQuotes && !quoted && path.find_first_of(splitters) != std::string::npos;
        if (own) Add('"');
        for (char c : path) Add(c);
        if (own) {
            const size_t kept = path.find_last_not_of('\\');
            arg.append(path.size() - (kept == std::string::npos ? 0 : kept + 1), '\\');
            Add('"');
        }
    }
};

// What the template promises for a program: the same rules for the user's text, while a path
// is taken whole.
Args ExpectedForRuntime(const std::vector<Piece>& pieces, const std::string& local,
                        const std::string& remote) {
    ArgsBuilder out;
    bool quoted = false;
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Piece& p = pieces[k];
        if (p.placeholder) {
            out.PutPath(p.placeholder == 1 ? local : remote, quoted, false);
            continue;
        }
        const char c = p.literal;
        if (c == '\\') {
            size_t n = 0;
            while (k < pieces.size() && !pieces[k].placeholder && pieces[k].literal == '\\') ++n, ++k;
            const bool quoteFollows = k < pieces.size() && !pieces[k].placeholder && pieces[k].literal == '"';
            out.open = true;
            if (quoteFollows) {
                out.arg.append(n / 2, '\\');
                if (n % 2) {
                    out.arg += '"';
                } else {
                    --k;  // the quote is read as a quote by the next pass
                }
            } else {
                out.arg.append(n, '\\');
                --k;
            }
        } else if (c == '"') {
            const bool doubled = quoted && k + 1 < pieces.size() && !pieces[k + 1].placeholder &&
                                 pieces[k + 1].literal == '"';
            if (doubled) {
                out.arg += '"';
                ++k;
            } else {
                quoted = !quoted;
            }
            out.open = true;
        } else if (!quoted && IsBlank(c)) {
            out.End();
        } else {
            out.Add(c);
        }
    }
    out.End();
    return out.args;
}

bool IsCmdDelimiter(unsigned char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '=' || c == 0x0B || c == 0x0C ||
           c == 0xFF;
}

// cmd.exe's reading of a batch file's line, as far as it can be known without the environment:
// a line in which two % could pair into a variable or a ! could expand, which a line break ends,
// or in which an unquoted operator starts another command has no arguments that can be promised
// (false); Windows' cmd.exe keeps a line's only % as it is. Otherwise the batch file's %1, %2,
// ...: split at cmd.exe's delimiters outside quotes, quotes kept, ^ escaping outside quotes.
bool SplitLikeCmd(const std::string& line, Args* args) {
    size_t percents = 0;
    for (char c : line) {
        if (c == '!' || c == '\n' || c == '\r') return false;
        if (c == '%' && ++percents > 1) return false;
    }
    std::string arg;
    bool open = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == '"') {
            quoted = !quoted;
            arg += '"';
            open = true;
        } else if (!quoted && std::string("&|<>()").find(char(c)) != std::string::npos) {
            return false;
        } else if (!quoted && c == '^') {
            if (++i < line.size()) arg += line[i];
            open = true;
        } else if (!quoted && IsCmdDelimiter(c)) {
            if (open) args->push_back(arg);
            arg.clear();
            open = false;
        } else {
            arg += char(c);
            open = true;
        }
    }
    if (open) args->push_back(arg);
    return true;
}

// What the template promises for a batch file: its own text read as cmd.exe reads it, with a
// path taken whole inside quotes and split at blanks and tabs only outside them.
Args ExpectedForCmd(const std::vector<Piece>& pieces, const std::string& local, const std::string& remote,
                    bool batchFile) {
    ArgsBuilder out;
    bool quoted = false;
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Piece& p = pieces[k];
        if (p.placeholder) {
            out.PutPath(p.placeholder == 1 ? local : remote, quoted, true, batchFile ? " \t&|<>^(),;=" : " \t");
        } else if (p.literal == '"') {
            quoted = !quoted;
            out.Add('"');
        } else if (!quoted && IsCmdDelimiter(static_cast<unsigned char>(p.literal))) {
            out.End();
        } else {
            out.Add(p.literal);
        }
    }
    out.End();
    return out.args;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    std::string out;
    size_t at = 0;
    for (size_t hit; (hit = text.find(from, at)) != std::string::npos; at = hit + from.size()) {
        out.append(text, at, hit - at);
        out += to;
    }
    return out + text.substr(at);
}

std::string Path(FuzzedDataProvider& fdp) {
    static const std::vector<std::string> parts = {
        "a", "b", " ", "\t", "\\", "\\\\", "\"", "%", "%WINDIR%", "!", "&", "|", "<", ">", "^",
        "(", ")", ",", ";", "=", "\n", "\r", "\xFC", "\xFF", "/", ".", "C:\\in\\",
        "%REMOTE_FILE_PATH%", "%LOCAL_FILE_PATH%"};
    std::string path;
    const size_t count = fdp.ConsumeIntegralInRange<size_t>(0, 12);
    for (size_t i = 0; i < count; ++i) {
        path += parts[fdp.ConsumeIntegralInRange<size_t>(0, parts.size() - 1)];
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const bool batch = fdp.ConsumeBool();
    const char* const programs[] = {"C:\\Tools\\record.exe", "C:\\Tools\\Hash Me.com"};
    // A shortcut may be a batch file: it must pass the batch files' rules too.
    const char* const batches[] = {"C:\\Tools\\record.bat", "C:\\Tools\\RECORD.Cmd. ",
                                   "C:\\Windows\\system32\\cmd.exe", "C:\\Tools\\Record.lnk"};
    const int which = batch ? fdp.ConsumeIntegralInRange<int>(0, 3) : fdp.ConsumeIntegralInRange<int>(0, 1);
    const std::string exe = batch ? batches[which] : programs[which];
    // cmd.exe and the shortcut read the line as cmd.exe does, but only a batch file's own line
    // gets quotes for cmd.exe's operators.
    const bool batchFile = batch && which < 2;
    // The user's own text holds no %, ^ or operators here: what such text does is the user's
    // choice, and the property is about what the paths bring in.
    const std::string literals = batch ? "a- \t\"\\,;=" : "a- \t\"\\";
    std::vector<Piece> pieces;
    std::string parameters;
    const size_t count = fdp.ConsumeIntegralInRange<size_t>(0, 16);
    for (size_t i = 0; i < count; ++i) {
        const int choice = fdp.ConsumeIntegralInRange<int>(0, int(literals.size()) + 1);
        Piece p;
        if (choice < 2) {
            p.placeholder = choice + 1;
            parameters += choice == 0 ? "%LOCAL_FILE_PATH%" : "%REMOTE_FILE_PATH%";
        } else {
            p.literal = literals[size_t(choice - 2)];
            parameters += p.literal;
        }
        pieces.push_back(p);
    }
    const std::string remote = Path(fdp);
    const std::string local = Path(fdp);
    // The remote path is put into what the local path brought in as well.
    const std::string localAsInserted = ReplaceAll(local, "%REMOTE_FILE_PATH%", remote);

    const ParameterLine line = BuildParameterLine(exe, parameters, local.c_str(), remote.c_str());
    if (batch) {
        if (!line.IsSafe()) return 0;
        Args actual;
        FUZZ_CHECK(SplitLikeCmd(line.text, &actual), "cmd.exe could expand or run something: [%s]",
                   line.text.c_str());
        FUZZ_CHECK(actual == ExpectedForCmd(pieces, localAsInserted, remote, batchFile),
                   "batch arguments differ from the template: [%s] from [%s] <- [%s] | [%s]",
                   line.text.c_str(), parameters.c_str(), local.c_str(), remote.c_str());
        return 0;
    }
    const bool same = SplitLikeTheRuntime(line.text) ==
                      ExpectedForRuntime(pieces, localAsInserted, remote);
    if (line.IsSafe()) {
        FUZZ_CHECK(same, "program arguments differ from the template: [%s] from [%s] <- [%s] | [%s]",
                   line.text.c_str(), parameters.c_str(), local.c_str(), remote.c_str());
    } else if (line.refusal == PathRefusal::BackslashBeforeQuote &&
               line.text.find("\"\"") == std::string::npos) {
        // The refusal must be needed: a line that splits as promised is over-blocked. (Where ""
        // is read as one quote, a changed escape can by chance give the same split.)
        FUZZ_CHECK(!same, "refused a line that splits as the template says: [%s] from [%s] <- [%s] | [%s]",
                   line.text.c_str(), parameters.c_str(), local.c_str(), remote.c_str());
    }
    return 0;
}
