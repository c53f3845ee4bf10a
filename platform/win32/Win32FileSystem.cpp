// The file service on Win32.
#include <windows.h>

#include "platform/win32/Win32FileSystem.h"

std::string Win32ErrorText(unsigned long error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<char*>(&buffer),
        0, nullptr);
    std::string text = length ? std::string(buffer, length) : "error " + std::to_string(error);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

bool Win32FileSystem::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::ReadFile(const std::string& path, std::vector<uint8_t>* bytes,
                               std::string* errorText) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *errorText = Win32ErrorText(GetLastError());
        return false;
    }
    std::vector<uint8_t> content;
    uint8_t chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) {
        content.insert(content.end(), chunk, chunk + got);
    }
    if (!ok) *errorText = Win32ErrorText(GetLastError());
    CloseHandle(file);
    if (ok) bytes->swap(content);
    return ok;
}

bool Win32FileSystem::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                                std::string* errorText) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *errorText = Win32ErrorText(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool ok = bytes.empty() ||
                    (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size());
    if (!ok) *errorText = Win32ErrorText(GetLastError());
    CloseHandle(file);
    return ok;
}

IFileSystem& DefaultFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}
