// The in-memory file service.
#include "platform/memory/MemoryFileSystem.h"

#include <cctype>

bool MemoryFileSystem::FileExists(const std::string& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_files.count(path) != 0;
}

bool MemoryFileSystem::ReadFile(const std::string& path, std::vector<uint8_t>* bytes,
                                std::string* errorText) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_files.find(path);
    if (it == m_files.end()) {
        *errorText = "The system cannot find the file specified.";
        return false;
    }
    *bytes = it->second;
    return true;
}

bool MemoryFileSystem::ReadLocalPlainFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes,
                                          std::string* errorText) {
    // Every drive letter here is a local fixed volume and every file a plain one.
    const bool local = path.size() > 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                       path[2] == '\\';
    if (!local) {
        *errorText = "The file lies on no local fixed drive.";
        return false;
    }
    std::vector<uint8_t> read;
    if (!ReadFile(path, &read, errorText)) return false;
    if (read.size() > maxSize) {
        *errorText = "The file is larger than " + std::to_string(maxSize) + " bytes.";
        return false;
    }
    bytes->swap(read);
    return true;
}

bool MemoryFileSystem::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                                 std::string* errorText) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_refused.count(path) != 0) {
        *errorText = "Access is denied.";
        return false;
    }
    m_files[path] = bytes;
    return true;
}

void MemoryFileSystem::Put(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_files[path] = bytes;
}

void MemoryFileSystem::RefuseWrites(const std::string& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_refused[path] = true;
}

std::vector<uint8_t> MemoryFileSystem::Get(const std::string& path) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_files.find(path);
    return it == m_files.end() ? std::vector<uint8_t>() : it->second;
}

void MemoryFileSystem::SetLocalAppDataFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_localAppData = folder;
}

std::vector<std::string> MemoryFileSystem::OtherNamesOf(const std::string& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_otherNames.find(path);
    return it == m_otherNames.end() ? std::vector<std::string>{} : it->second;
}

void MemoryFileSystem::SetOtherNames(const std::string& path, const std::vector<std::string>& names) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_otherNames[path] = names;
}

std::vector<std::string> MemoryFileSystem::SystemFolders() { return {"C:\\Windows\\system32", "C:\\Windows"}; }

std::string MemoryFileSystem::EnvironmentValue(const std::string& name) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_environment.find(name);
    return it == m_environment.end() ? "" : it->second;
}

void MemoryFileSystem::SetEnvironmentValue(const std::string& name, const std::string& value) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_environment[name] = value;
}

std::string MemoryFileSystem::LocalAppDataFolder() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_localAppData;
}

bool MemoryFileSystem::IsFolder(const std::string& path) const {
    // A file put in a folder's place hides it.
    if (m_files.count(path) != 0) return false;
    if (m_folders.count(path) != 0) return true;
    return !m_localAppData.empty() && m_localAppData.compare(0, path.size(), path) == 0 &&
           (m_localAppData.size() == path.size() || m_localAppData[path.size()] == '\\');
}

bool MemoryFileSystem::CreateFolders(const std::string& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    // Every folder on the way must be free of files.
    std::vector<std::string> folders;
    for (size_t at = path.find('\\'); ; at = path.find('\\', at + 1)) {
        folders.push_back(path.substr(0, at));
        if (m_files.count(folders.back()) != 0) return false;
        if (at == std::string::npos) break;
    }
    for (const std::string& folder : folders) m_folders[folder] = true;
    return !path.empty();
}

bool MemoryFileSystem::AppendToFile(const std::string& path, const std::string& bytes, uint64_t* sizeAfter) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const size_t slash = path.find_last_of('\\');
    // A file that exists lies in a folder that exists.
    const bool inFolder = slash != std::string::npos && (IsFolder(path.substr(0, slash)) || m_files.count(path) != 0);
    if (!inFolder || IsFolder(path) || m_refused.count(path) != 0) {
        return false;
    }
    std::vector<uint8_t>& file = m_files[path];
    file.insert(file.end(), bytes.begin(), bytes.end());
    *sizeAfter = file.size();
    return true;
}

bool MemoryFileSystem::RenameFileIfAtLeast(const std::string& from, const std::string& to, uint64_t minSize) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto it = m_files.find(from);
    if (it == m_files.end() || it->second.size() < minSize || m_refused.count(to) != 0) return false;
    std::vector<uint8_t> bytes;
    bytes.swap(it->second);
    m_files.erase(it);
    m_files[to].swap(bytes);
    return true;
}

std::string MemoryFileSystem::NewTempFile() {
    std::lock_guard<std::mutex> guard(m_mutex);
    const std::string path = "C:\\Users\\Tester\\AppData\\Local\\Temp\\zt" + std::to_string(++m_tempFiles) + ".tmp";
    m_files[path].clear();
    return path;
}

bool MemoryFileSystem::RemoveFile(const std::string& path) {
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_refused.count(path) != 0) return m_files.count(path) == 0;
    m_files.erase(path);
    return true;
}

IFileSystem& DefaultFileSystem() {
    static MemoryFileSystem fileSystem;
    return fileSystem;
}
