// The file service on Win32: GetFileAttributesA, CreateFileA, ReadFile, WriteFile, and for the run
// record SHGetFolderPathW (and GetShortPathNameW), CreateDirectoryA, LockFileEx, MoveFileExA under a named mutex, DeleteFileA.
#pragma once

#include "platform/FileSystem.h"

class Win32FileSystem : public IFileSystem {
public:
    bool FileExists(const std::string& path) override;
    bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* errorText) override;
    bool ReadLocalPlainFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes,
                            std::string* errorText) override;
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                   std::string* errorText) override;
    std::string LocalAppDataFolder() override;
    std::vector<std::string> OtherNamesOf(const std::string& path) override;
    std::vector<std::string> SystemFolders() override;
    std::string EnvironmentValue(const std::string& name) override;
    bool CreateFolders(const std::string& path) override;
    bool AppendToFile(const std::string& path, const std::string& bytes, uint64_t* sizeAfter) override;
    bool RenameFileIfAtLeast(const std::string& from, const std::string& to, uint64_t minSize) override;
    std::string NewTempFile() override;
    bool RemoveFile(const std::string& path) override;
};

// The system's text for a Win32 error code, without the line break at its end.
std::string Win32ErrorText(unsigned long error);
