// Looking up a program named without a folder the way the shell does, less the current directory.
#include "runner/ProgramSearch.h"

#include <vector>

#include "config/RegistryValues.h"
#include "platform/FileSystem.h"
#include "platform/WinTypes.h"
#include "runner/ProgramKind.h"

namespace {

const char* const kAppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// The shell's order when a name has no extension.
const char* const kExtensions[] = {".pif", ".com", ".exe", ".bat", ".lnk", ".cmd"};

bool IsAbsoluteFolder(const std::string& folder) {
    const bool drive = folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/');
    return drive || folder.compare(0, 2, "\\\\") == 0;
}

// %NAME% replaced by the process's variable; an unknown one stays as written.
std::string Expanded(const std::string& text) {
    std::string result;
    for (size_t at = 0; at < text.size();) {
        const size_t open = text.find('%', at);
        const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            result += text.substr(at);
            break;
        }
        const std::string value = GetFileSystem().EnvironmentValue(text.substr(open + 1, close - open - 1));
        result += text.substr(at, open - at) + (value.empty() ? text.substr(open, close - open + 1) : value);
        at = close + 1;
    }
    return result;
}

std::vector<std::string> SearchFolders() {
    std::vector<std::string> folders = GetFileSystem().SystemFolders();
    const std::string path = GetFileSystem().EnvironmentValue("PATH");
    for (size_t at = 0; at <= path.size();) {
        size_t end = path.find(';', at);
        if (end == std::string::npos) end = path.size();
        std::string folder = Unquoted(path.substr(at, end - at));
        while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        if (IsAbsoluteFolder(folder)) folders.push_back(folder);
        at = end + 1;
    }
    return folders;
}

// The folder part of a full path, with the root's backslash kept ("C:\x.exe" starts in "C:\").
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return path;
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

// A name with a folder: found where that file exists, or, without an extension, the first of
// the shell's extensions that the folder holds.
ProgramToStart CompletedInItsFolder(const std::string& exe, const std::string& name) {
    const bool hasExtension = name.find('.', name.find_last_of("\\/:") + 1) != std::string::npos;
    IFileSystem& files = GetFileSystem();
    if (files.FileExists(name)) return {exe, true};
    for (const char* extension : kExtensions) {
        if (!hasExtension && files.FileExists(name + extension)) return {name + extension, true};
    }
    return {exe, false};
}

ProgramToStart FindProgram(const std::string& exe) {
    const std::string name = Unquoted(exe);
    if (name.empty()) return {exe, true};
    if (name.find_first_of("\\/:") != std::string::npos) {
        // A scheme ("shell:", "https:") names no folder. A relative name (".\\x.exe", "tools\\x.exe",
        // "C:x.exe") would be read against the current folder, which the host's file dialogs move to
        // any folder, one the server fills among them: it names no program.
        const size_t colon = name.find(':');
        if (colon != std::string::npos && colon != 1) return {exe, true};
        if (IsAbsoluteFolder(name)) return CompletedInItsFolder(exe, name);
        return {exe, false};
    }
    const bool hasExtension = name.find('.') != std::string::npos;
    IFileSystem& files = GetFileSystem();
    for (const std::string& folder : SearchFolders()) {
        const std::string base = folder + (folder.back() == '\\' ? "" : "\\") + name;
        if (hasExtension) {
            if (files.FileExists(base)) return {base, true};
            continue;
        }
        for (const char* extension : kExtensions) {
            if (files.FileExists(base + extension)) return {base + extension, true};
        }
    }
    // Registered under the name with its extension; a bare "name" means "name.exe". Installers
    // write the path as REG_SZ or, with %VARIABLES%, as REG_EXPAND_SZ.
    const std::string key = kAppPathsKey + (hasExtension ? name : name + ".exe");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const std::string registered = Unquoted(Expanded(ReadRegExpandableString(root, key.c_str(), "", "")));
        if (IsAbsoluteFolder(registered) && files.FileExists(registered)) return {registered, true};
    }
    return {exe, false};
}

}  // namespace

ProgramToStart FindProgramToStart(const std::string& exe) {
    ProgramToStart program = FindProgram(exe);
    const std::string name = Unquoted(program.file);
    const std::vector<std::string> system = GetFileSystem().SystemFolders();
    program.folder = IsAbsoluteFolder(name) ? FolderOf(name) : system.empty() ? "" : system.front();
    return program;
}

std::string DescribeProgramNotFound(const std::string& exe) {
    const std::string name = Unquoted(exe);
    if (IsAbsoluteFolder(name)) return "the program file does not exist: " + exe;
    if (name.find_first_of("\\/:") != std::string::npos) {
        return "the program " + exe + " is named relative to the current folder, which FTP Zorvant's file "
               "dialogs move, so it never starts: write its full path";
    }
    return "the program " + exe + " is named without a folder and is in none of the system folders, the PATH "
           "or the registered application paths, so it never starts (the current directory is never "
           "searched: write its full path)";
}
