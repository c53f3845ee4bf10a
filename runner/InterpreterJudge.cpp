// Interpreters that run code from their command line (python -c, node -e, perl -e, bash -c ...):
// a path inside that code cannot be judged by any quoting, so it is refused. The code is found
// as the interpreter finds it: in a cluster of option letters, attached or in the next argument,
// and only among the options, before the script.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "runner/LineJudges.h"

namespace {

using Code = InterpreterOptions::Code;

bool HasLetter(const char* letters, char c) { return c != '\0' && std::strchr(letters, c) != nullptr; }

// A "javascript:", "vbscript:" or "about:" address, which mshta runs as script or as a page made
// of its own text. Read as address parsers read one: blanks and control characters before it
// skipped, tabs and line breaks in it dropped, letters in any case.
bool IsCodeAddress(const std::string& text) {
    std::string scheme;
    for (const char c : text) {
        if (c == ':') return IsOneOfWords(Lowered(scheme), "javascript vbscript about");
        if (c == '\t' || c == '\r' || c == '\n' || (scheme.empty() && static_cast<unsigned char>(c) <= 0x20)) continue;
        if (scheme.size() == 10) return false;
        scheme += c;
    }
    return false;
}

// Whether a program that the system behind wsl's -e starts may run code, or other programs, from
// its arguments. Which programs do is not known there (a shell, an interpreter, env, xargs, find
// -exec, tar --to-command ...): only tools known to take files as data are let through.
bool RunsWhatItIsGiven(const std::string& program) {
    const std::string name = Lowered(program.substr(program.find_last_of('/') + 1));
    return !IsOneOfWords(name, "cat md5sum sha1sum sha224sum sha256sum sha384sum sha512sum b2sum cksum cp mv ls "
                               "stat file wc gzip gunzip bzip2 bunzip2 xz unxz zstd unzstd touch chmod chown mkdir "
                               "ln du head tail sort uniq cmp diff");
}

}  // namespace

PathRefusal JudgeForInterpreter(const std::string& line, const std::vector<bool>& inserted,
                                const InterpreterOptions& options) {
    const std::vector<MarkedArgument> arguments = SplitArguments(line, inserted);
    const auto refusedIf = [](bool pathInCode) {
        return pathInCode ? PathRefusal::InterpreterCode : PathRefusal::None;
    };
    if (options.code == Code::Opener) {
        // Only the user's own /select, shows a file rather than opening it; the program splits its
        // line at commas, so a path must hold none.
        for (const MarkedArgument& argument : arguments) {
            if (!HoldsPath(argument)) continue;
            const std::string start = Lowered(argument.text.substr(0, 8));
            const bool select = start == "/select," && !HoldsPath(argument.inserted, 0, 8);
            bool comma = false;
            for (size_t p = 0; p < argument.text.size(); ++p) comma = comma || (argument.inserted[p] && argument.text[p] == ',');
            if (!select || comma) return PathRefusal::CommandName;
        }
        return PathRefusal::None;
    }
    if (options.code == Code::HostPath) {
        for (const MarkedArgument& argument : arguments) {
            // A colon of the user's before the path, other than a drive's, names a host.
            const size_t first = std::find(argument.inserted.begin(), argument.inserted.end(), true) - argument.inserted.begin();
            const size_t colon = argument.text.find(':');
            if (HoldsPath(argument) && colon != std::string::npos && colon != 1 && colon < first)
                return PathRefusal::InterpreterCode;
        }
        return PathRefusal::None;
    }
    if (options.code == Code::WholeLine || options.code == Code::Url) {
        // A line with a script address may be read whole as that address: no path anywhere in it.
        bool code = options.code == Code::WholeLine;
        bool pathInLine = false;
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (IsOneOfWords(arguments[i].text, options.execOptions)) {
                // What follows runs without a shell: a program and its arguments, unless that
                // program runs code or other programs from them.
                bool pathAfter = false;
                for (size_t j = i + 1; j < arguments.size(); ++j) pathAfter = pathAfter || HoldsPath(arguments[j]);
                const bool runs = i + 1 < arguments.size() &&
                                  (HoldsPath(arguments[i + 1]) || RunsWhatItIsGiven(arguments[i + 1].text));
                return refusedIf((code && pathInLine) || (runs && pathAfter));
            }
            code = code || IsCodeAddress(arguments[i].text);
            pathInLine = pathInLine || HoldsPath(arguments[i]);
        }
        return refusedIf(code && pathInLine);
    }
    // A shell built on a POSIX layer (Git's bash, MSYS, Cygwin) splits its command line with single
    // quotes too: where the line holds one, which argument is the code cannot be told.
    if (options.code == Code::Operand) {
        bool singleQuote = false, pathInLine = false;
        for (size_t i = 0; i < line.size(); ++i) {
            singleQuote = singleQuote || (line[i] == '\'' && !inserted[i]);
            pathInLine = pathInLine || inserted[i];
        }
        if (singleQuote && pathInLine) return PathRefusal::InterpreterCode;
    }
    // sh -c seen: the first argument that is no option is the code.
    bool codePending = false;
    for (size_t i = options.toolFirst ? 1 : 0; i < arguments.size(); ++i) {
        const MarkedArgument& argument = arguments[i];
        const std::string& text = argument.text;
        const bool hasNext = i + 1 < arguments.size();
        if (text == "--") {
            return refusedIf(codePending && hasNext && HoldsPath(arguments[i + 1]));
        }
        const bool option = text.size() > 1 && (text[0] == '-' || (options.code == Code::Operand && text[0] == '+'));
        if (!option) return refusedIf(codePending && HoldsPath(argument));
        if (text.compare(0, 2, "--") == 0) {
            const size_t equals = text.find('=');
            if (IsOneOfWords(text.substr(0, equals), options.codeLongOptions)) {
                if (equals != std::string::npos) {
                    if (HoldsPath(argument)) return PathRefusal::InterpreterCode;
                } else if (hasNext) {
                    if (HoldsPath(argument) || HoldsPath(arguments[i + 1])) return PathRefusal::InterpreterCode;
                    ++i;
                }
                continue;
            }
            // Which other long options take a value is not known here: the next argument is
            // taken for one, so that scanning goes on rather than stopping at a script early.
            if (equals == std::string::npos && hasNext && arguments[i + 1].text.compare(0, 1, "-") != 0) ++i;
            continue;
        }
        // The cluster's letters in turn; codeNext: the next argument is code.
        bool codeNext = false;
        bool last = false;
        for (size_t at = 1; at < text.size(); ++at) {
            const char c = text[at];
            const bool rest = at + 1 < text.size();
            if (HasLetter(options.codeLetters, c)) {
                last = last || HasLetter(options.lastLetters, c);
                if (options.code == Code::Operand) {
                    codePending = true;
                } else if (options.code == Code::NextArgument || !rest) {
                    codeNext = true;
                } else {
                    // The code is the rest of this argument.
                    if (HoldsPath(argument)) return PathRefusal::InterpreterCode;
                    break;
                }
                continue;
            }
            if (HasLetter(options.valueLetters, c)) {
                const bool takesNext = !codeNext && !rest && hasNext && arguments[i + 1].text.compare(0, 1, "-") != 0;
                // A value read as the next option ("-m -c") leaves the options open.
                last = last || (HasLetter(options.lastLetters, c) && (rest || takesNext));
                if (takesNext) ++i;
                break;
            }
            // Anything but a letter or digit ("-3.11", "-V:3") ends the cluster.
            if (!std::isalnum(static_cast<unsigned char>(c))) break;
        }
        if (codeNext && hasNext) {
            if (HoldsPath(argument) || HoldsPath(arguments[i + 1])) return PathRefusal::InterpreterCode;
            ++i;
        }
        if (last) return PathRefusal::None;
    }
    return PathRefusal::None;
}
