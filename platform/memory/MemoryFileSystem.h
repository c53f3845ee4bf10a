// The file service in memory: files a test puts in, compared by their exact path. Folders count
// only for appending: AppendToFile needs the file's folder to be one that CreateFolders made or
// the local application data folder (or one above it); other writes need none.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>

#include "platform/FileSystem.h"

class MemoryFileSystem : public IFileSystem {
public:
    bool FileExists(const std::string& path) override;
    bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* errorText) override;
    bool ReadLocalPlainFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes,
                            std::string* errorText) override;
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                   std::string* errorText) override;
    std::string LocalAppDataFolder() override;
    std::vector<std::string> OtherNamesOf(const std::string& path) override;
    // "C:\\Windows\\system32" and "C:\\Windows".
    std::vector<std::string> SystemFolders() override;
    // What SetEnvironmentValue set, else empty.
    std::string EnvironmentValue(const std::string& name) override;
    bool CreateFolders(const std::string& path) override;
    bool AppendToFile(const std::string& path, const std::string& bytes, uint64_t* sizeAfter) override;
    bool RenameFileIfAtLeast(const std::string& from, const std::string& to, uint64_t minSize) override;
    // "C:\Users\Tester\AppData\Local\Temp\zt1.tmp", "...\zt2.tmp", ...
    std::string NewTempFile() override;
    bool RemoveFile(const std::string& path) override;

    void Put(const std::string& path, const std::vector<uint8_t>& bytes);
    // Writes and appends to this path fail, as a full disk or a missing folder would.
    void RefuseWrites(const std::string& path);
    // "C:\\Users\\Tester\\AppData\\Local" unless set; empty: the system names none.
    void SetLocalAppDataFolder(const std::string& folder);
    void SetEnvironmentValue(const std::string& name, const std::string& value);
    // What OtherNamesOf answers for path (nothing unless set).
    void SetOtherNames(const std::string& path, const std::vector<std::string>& names);
    // The file's bytes, or empty when there is none.
    std::vector<uint8_t> Get(const std::string& path) const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<uint8_t>> m_files;
    std::map<std::string, bool> m_refused;
    std::string m_localAppData = "C:\\Users\\Tester\\AppData\\Local";
    std::map<std::string, bool> m_folders;
    std::map<std::string, std::string> m_environment;
    std::map<std::string, std::vector<std::string>> m_otherNames;
    unsigned m_tempFiles = 0;

    bool IsFolder(const std::string& path) const;
};
