// The file service: the few file operations that the configuration tool needs. Paths are 8-bit
// text in the ANSI code page. No method throws; each may be called from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // True when path names an existing file (not a folder).
    virtual bool FileExists(const std::string& path) = 0;

    // Replaces *bytes by the whole content of the file. On failure returns false, leaves *bytes
    // untouched and sets *errorText to the system's text for the cause.
    virtual bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes,
                          std::string* errorText) = 0;

    // Creates or replaces the file with exactly bytes. On failure returns false and sets
    // *errorText; a file that was replaced may then be incomplete.
    virtual bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                           std::string* errorText) = 0;
};

IFileSystem& GetFileSystem();
// Replaces the service for the rest of the process, or restores the default with null.
void SetFileSystem(IFileSystem* fileSystem);
// The linked default (Win32 or in memory).
IFileSystem& DefaultFileSystem();
