// Files, recorded runs and registry entries for the package tests.
#include "tests/wine/package/PackageTestSupport.h"

#include <sstream>
#include <stdexcept>

namespace package {

const char kListCaption[] = "FTP Zorvant Transfer Hilfsprogramm";

namespace {

const char kHtmClass[] = "Trevanel.PackageTest.htm";

void SetDefaultString(HKEY root, const std::string& path, const std::string& text) {
    HKEY key;
    if (RegCreateKeyA(root, path.c_str(), &key) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + path);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

void CollectFiles(const std::string& folder, const std::string& prefix, std::set<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectFiles(folder, prefix + name + "\\", out);
        } else {
            out.insert(prefix + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

std::string UnzippedFolder() { return wine::ToWindowsPath(TREVANEL_PACKAGE_UNZIPPED) + "\\"; }

std::set<std::string> PackageFiles() {
    std::set<std::string> files{"ZTTrevanelAddon.dll", "LIESMICH.txt", "README.txt"};
    for (const char* help : kHelpPages) files.insert(std::string("Help\\") + help);
#ifdef TREVANEL_SHIPS_CTL
    files.insert(TREVANEL_SHIPS_CTL);
#endif
#ifdef TREVANEL_SHIPS_RECORD
    files.insert(TREVANEL_SHIPS_RECORD);
#endif
#ifdef TREVANEL_SHIPS_EXAMPLES
    std::set<std::string> examples;
    CollectFiles(wine::SourcePath("examples\\"), "", examples);
    for (const std::string& example : examples) {
        if ((EndsWith(example, ".reg") || EndsWith(example, ".js")) && example.find('\\') == std::string::npos)
            files.insert("examples\\" + example);
    }
#endif
    return files;
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) &&
                    written == bytes.size();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> files;
    CollectFiles(folder, "", files);
    return files;
}

void CopyTree(const std::string& from, const std::string& to) {
    for (const std::string& file : FilesBelow(from)) {
        for (size_t slash = file.find('\\'); slash != std::string::npos;
             slash = file.find('\\', slash + 1)) {
            CreateDirectoryA((to + file.substr(0, slash)).c_str(), nullptr);
        }
        if (!CopyFileA((from + file).c_str(), (to + file).c_str(), FALSE))
            throw std::runtime_error("cannot copy " + from + file);
    }
}

std::vector<RecordedRun> RecordedRuns(const std::string& log) {
    std::vector<RecordedRun> runs;
    if (!FileExists(log)) return runs;
    std::istringstream lines(ReadWholeFile(log));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
        if (fields.size() < 7) continue;
        runs.push_back(RecordedRun{fields[3], fields[4], fields[5],
                                   std::vector<std::string>(fields.begin() + 7, fields.end())});
    }
    return runs;
}

HtmAssociation::HtmAssociation(const std::string& viewer)
    : m_hadKey(wine::RegKeyExists(HKEY_CLASSES_ROOT, ".htm")),
      m_previous(wine::ReadRegValue(HKEY_CLASSES_ROOT, ".htm", "")) {
    SetDefaultString(HKEY_CLASSES_ROOT, std::string(kHtmClass) + "\\shell\\open\\command",
                     "\"" + viewer + "\" \"%1\"");
    SetDefaultString(HKEY_CLASSES_ROOT, ".htm", kHtmClass);
}

HtmAssociation::~HtmAssociation() {
    wine::DeleteRegTree(HKEY_CLASSES_ROOT, kHtmClass);
    if (!m_hadKey) {
        RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        return;
    }
    HKEY key;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, ".htm", &key) != ERROR_SUCCESS) return;
    if (m_previous) {
        RegSetValueExA(key, "", 0, m_previous->type, m_previous->data.data(),
                       static_cast<DWORD>(m_previous->data.size()));
    } else {
        RegDeleteValueA(key, "");
    }
    RegCloseKey(key);
}

}  // namespace package
