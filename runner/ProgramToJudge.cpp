// Seeing through a shortcut to the program it starts.
#include "runner/ProgramToJudge.h"

#include "platform/FileSystem.h"
#include "platform/ShortcutReader.h"

ProgramToJudge FindProgramToJudge(const std::string& exe) {
    const ProgramToJudge own{exe, ClassifyProgram(exe), false, ""};
    std::string path = exe;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    // A program under a short name or renamed (POWERS~1.EXE, a copy of cmd.exe) is what it is.
    if (own.kind == ProgramKind::Program) {
        for (const std::string& name : GetFileSystem().OtherNamesOf(path)) {
            const ProgramKind kind = ClassifyProgram(name);
            if (kind != ProgramKind::Program && kind != ProgramKind::Unseen) return {name, kind, false, ""};
        }
    }
    if (own.kind != ProgramKind::Unseen || !IsShellLinkFile(exe)) return own;
    ShortcutTarget target;
    if (!GetShortcutReader().ReadShortcut(path, &target)) return own;
    // A nested shortcut's own arguments would stand before these, unseen: the strictest rules.
    const ProgramKind kind = ClassifyProgram(target.path);
    if (kind == ProgramKind::Unseen) return own;
    return {target.path, kind, true, target.arguments};
}
