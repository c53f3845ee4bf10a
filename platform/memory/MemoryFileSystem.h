// The file service in memory: files a test puts in, compared by their exact path.
#pragma once

#include <map>
#include <mutex>

#include "platform/FileSystem.h"

class MemoryFileSystem : public IFileSystem {
public:
    bool FileExists(const std::string& path) override;
    bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* errorText) override;
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                   std::string* errorText) override;

    void Put(const std::string& path, const std::vector<uint8_t>& bytes);
    // Writes to this path fail, as a full disk or a missing folder would.
    void RefuseWrites(const std::string& path);
    // The file's bytes, or empty when there is none.
    std::vector<uint8_t> Get(const std::string& path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<uint8_t>> m_files;
    std::map<std::string, bool> m_refused;
};
