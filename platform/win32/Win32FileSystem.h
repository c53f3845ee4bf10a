// The file service on Win32: GetFileAttributesA, CreateFileA, ReadFile, WriteFile.
#pragma once

#include "platform/FileSystem.h"

class Win32FileSystem : public IFileSystem {
public:
    bool FileExists(const std::string& path) override;
    bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* errorText) override;
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                   std::string* errorText) override;
};

// The system's text for a Win32 error code, without the line break at its end.
std::string Win32ErrorText(unsigned long error);
