// Telling a batch file from a program by its name.
#include "runner/ProgramKind.h"

#include "platform/RegistryNames.h"

ProgramKind ClassifyProgram(const std::string& exe) {
    std::string name = exe;
    // Quotes around the whole path are the user's; the shell looks at what is inside.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    const size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t end = name.find_last_not_of(". ");
    name.erase(end == std::string::npos ? 0 : end + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return ProgramKind::Batch;
    const std::string extension = name.substr(dot);
    // File names fold their letters as registry names do.
    for (const char* batch : {".bat", ".cmd", ".lnk", ".pif"}) {
        if (IsSameRegistryName(extension, batch)) return ProgramKind::Batch;
    }
    return IsSameRegistryName(name, "cmd.exe") ? ProgramKind::Batch : ProgramKind::Program;
}
