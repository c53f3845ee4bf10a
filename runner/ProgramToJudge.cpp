// Seeing through a shortcut, or a batch file that hands its line on, to the program it starts.
#include "runner/ProgramToJudge.h"

#include <algorithm>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/ShortcutReader.h"

namespace {

// The program that the first line holding %* starts ("@\"%~dp0pwsh.exe\" %*"): its first word after
// @ and call, with the batch file's own folder (%~dp0) taken away, as the name tells its kind.
std::string ProgramHandedTheLine(const std::string& text) {
    for (size_t begin = 0, end; begin < text.size(); begin = end + 1) {
        end = std::min(text.find('\n', begin), text.size());
        const std::string line = Lowered(text.substr(begin, end - begin));
        if (line.find("%*") == std::string::npos) continue;
        size_t at = line.find_first_not_of(" \t@");
        if (at != std::string::npos && line.compare(at, 5, "call ") == 0) at = line.find_first_not_of(" \t", at + 5);
        if (at == std::string::npos) return "";
        const bool quoted = line[at] == '"';
        const size_t stop = quoted ? line.find('"', at + 1) : line.find_first_of(" \t", at);
        std::string word = line.substr(at + quoted, std::min(stop, line.size()) - at - quoted);
        if (word.compare(0, 2, "%~") == 0 && word.find('0') != std::string::npos) word.erase(0, word.find('0') + 1);
        return word;
    }
    return "";
}

}  // namespace

ProgramToJudge FindProgramToJudge(const std::string& exe) {
    const ProgramToJudge own{exe, ClassifyProgram(exe), false, ""};
    const std::string path = Unquoted(exe);
    // A program under a short name or renamed (POWERS~1.EXE, a copy of cmd.exe) is what it is.
    if (own.kind == ProgramKind::Program) {
        for (const std::string& name : GetFileSystem().OtherNamesOf(path)) {
            const ProgramKind kind = ClassifyProgram(name);
            if (kind != ProgramKind::Program && kind != ProgramKind::Unseen) return {name, kind, false, ""};
        }
    }
    std::vector<uint8_t> text;
    std::string error;
    if (own.kind == ProgramKind::Batch && GetFileSystem().ReadFile(path, &text, &error)) {
        return {exe, own.kind, false, "", ProgramHandedTheLine(std::string(text.begin(), text.end()))};
    }
    if (own.kind != ProgramKind::Unseen || !IsShellLinkFile(exe)) return own;
    ShortcutTarget target;
    if (!GetShortcutReader().ReadShortcut(path, &target)) return own;
    // A nested shortcut's own arguments would stand before these, unseen: the strictest rules.
    const ProgramKind kind = ClassifyProgram(target.path);
    if (kind == ProgramKind::Unseen) return own;
    return {target.path, kind, true, target.arguments};
}
