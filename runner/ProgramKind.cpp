// Telling a batch file from a program by its name.
#include "runner/ProgramKind.h"

#include <cctype>

namespace {

// The names compared here are ASCII; other letters never equal them in any case.
bool EqualsFolded(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(a[i]);
        if (x >= 0x80 || std::tolower(x) != b[i]) return false;
    }
    return true;
}

}  // namespace

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
    for (const char* batch : {".bat", ".cmd", ".lnk", ".pif"}) {
        if (EqualsFolded(extension, batch)) return ProgramKind::Batch;
    }
    return EqualsFolded(name, "cmd.exe") ? ProgramKind::Batch : ProgramKind::Program;
}
