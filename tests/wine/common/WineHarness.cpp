// The Wine test harness: paths of the built programs, blank-named folders, program runs with
// captured output, and raw registry access for assertions.
#include <windows.h>

#include "tests/wine/common/WineHarness.h"

#include <cstring>
#include <stdexcept>

#include "platform/win32/Win32Registry.h"
#include "tests/common/KeyTree.h"

namespace wine {

namespace {

const char kTempRoot[] = "C:\\Trevanel Tests\\";

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ToWindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

std::string BinDir() { return ToWindowsPath(TREVANEL_BIN_DIR) + "\\"; }
std::string ProgramPath(const std::string& fileName) { return BinDir() + fileName; }
std::string AddonDllPath() { return ProgramPath("ZTTrevanelAddon.dll"); }
std::string HostExePath() { return ProgramPath("ZTHost.exe"); }
std::string SourcePath(const std::string& relative) {
    return ToWindowsPath(TREVANEL_SOURCE_DIR) + "\\" + relative;
}

std::string Cp1252(const std::string& utf8) {
    std::string bytes;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            bytes += static_cast<char>(lead);
            ++i;
            continue;
        }
        if ((lead & 0xE0) != 0xC0 || i + 1 >= utf8.size())
            throw std::invalid_argument("Cp1252: only code points up to U+00FF");
        const unsigned code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
        // 0x80 to 0x9F are other characters in code page 1252 than in Unicode.
        if (code > 0xFF || code < 0xA0)
            throw std::invalid_argument("Cp1252: only code points up to U+00FF");
        bytes += static_cast<char>(code);
        i += 2;
    }
    return bytes;
}

TempFolder::TempFolder(const std::string& tag) {
    static unsigned counter = 0;
    CreateDirectoryA(kTempRoot, nullptr);
    for (;;) {
        m_strPath = std::string(kTempRoot) + tag + " " + std::to_string(GetCurrentProcessId()) +
                    " " + std::to_string(++counter) + "\\";
        if (CreateDirectoryA(m_strPath.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + m_strPath);
    }
}

TempFolder::~TempFolder() { RemoveTree(m_strPath); }

std::string TempFolder::Copy(const std::string& source, const std::string& fileName) const {
    const std::string target = m_strPath + (fileName.empty() ? FileName(source) : fileName);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + source + " to " + target);
    return target;
}

std::string TempFolder::Write(const std::string& fileName, const std::string& text) const {
    const std::string target = m_strPath + fileName;
    HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot write " + target);
    return target;
}

AddonCopy::AddonCopy(const std::string& fileName)
    : m_strPath(m_folder.Copy(AddonDllPath(), fileName)) {}

AddonCopy::~AddonCopy() { Unload(); }

HMODULE AddonCopy::Load() {
    if (!m_hModule) m_hModule = LoadLibraryA(m_strPath.c_str());
    return m_hModule;
}

void AddonCopy::Unload() {
    if (m_hModule) FreeLibrary(m_hModule);
    m_hModule = nullptr;
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    // Backslashes count only before a quote: double them there, and before the closing quote.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
            backslashes = 0;
        } else {
            quoted.append(backslashes, '\\');
            backslashes = 0;
        }
        if (c != '\\') quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         DWORD timeoutMs) {
    // The output goes to a file rather than a pipe: programs that the program starts may keep
    // the handle open long after it has ended.
    TempFolder folder("Program Output");
    const std::string outputPath = folder.Path() + "output.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE || input == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot redirect the output of " + program);

    std::string commandLine = QuoteArgument(program);
    for (const std::string& argument : arguments) commandLine += " " + QuoteArgument(argument);
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    const BOOL started = CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process);
    const DWORD startError = GetLastError();
    CloseHandle(input);
    CloseHandle(output);
    if (!started)
        throw std::runtime_error("cannot start " + program + ", error " + std::to_string(startError));

    ProgramResult result;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(process.hProcess, 0xdead);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    HANDLE file = CreateFileA(outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char chunk[4096];
        DWORD read = 0;
        while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
            result.output.append(chunk, read);
        CloseHandle(file);
    }
    return result;
}

ProgramResult RunHost(const std::string& dllPath, const std::vector<std::string>& lines,
                      DWORD timeoutMs) {
    TempFolder folder("Host Script");
    std::string script;
    for (const std::string& line : lines) script += line + "\r\n";
    return RunProgram(HostExePath(), {dllPath, folder.Write("script.txt", script)}, timeoutMs);
}

std::optional<RegValue> ReadRegValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    RegValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                  size ? value.data.data() : nullptr, &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

bool RegKeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void DeleteRegTree(HKEY root, const std::string& path) {
    Win32Registry registry;
    DeleteKeyTree(registry, root, path);
}


std::optional<pe::DialogTemplate> ReadDialogTemplate(HMODULE module, int id) {
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    if (!data) return std::nullopt;
    return pe::DecodeDialog(std::vector<uint8_t>(data, data + SizeofResource(module, resource)));
}

HWND WaitForVisibleWindow(const char* windowClass, const char* caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(windowClass, caption);
        // Found is not enough: the dialog may not have run WM_INITDIALOG yet.
        if (window && IsWindowVisible(window)) return window;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(20);
    }
}

}  // namespace wine
