// The in-memory file service.
#include "platform/memory/MemoryFileSystem.h"

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

IFileSystem& DefaultFileSystem() {
    static MemoryFileSystem fileSystem;
    return fileSystem;
}
