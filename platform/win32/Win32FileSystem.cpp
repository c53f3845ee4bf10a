// The file service on Win32.
#include <windows.h>
#include <shlobj.h>
#include <winternl.h>

#include "platform/AnsiText.h"
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

namespace {

std::string LargerThan(uint64_t maxSize) { return "the file is larger than " + std::to_string(maxSize) + " bytes"; }

// Reads the open file to its end, at most maxSize bytes, and closes it; *bytes changes only on success.
bool ReadToEnd(HANDLE file, uint64_t maxSize, std::vector<uint8_t>* bytes, std::string* errorText) {
    std::vector<uint8_t> content;
    uint8_t chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while (ok && (ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr) != FALSE) && got > 0) {
        content.insert(content.end(), chunk, chunk + got);
        ok = content.size() <= maxSize;
    }
    if (!ok) *errorText = content.size() > maxSize ? LargerThan(maxSize) : Win32ErrorText(GetLastError());
    CloseHandle(file);
    if (ok) bytes->swap(content);
    return ok;
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::ReadFile(const std::string& path, std::vector<uint8_t>* bytes,
                               std::string* errorText) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *errorText = Win32ErrorText(GetLastError());
        return false;
    }
    return ReadToEnd(file, UINT64_MAX, bytes, errorText);
}

namespace {

// The two calls of the system's native layer that a relative open needs, found at run time, so
// that the module imports nothing beyond the usual system DLLs.
struct NativeCalls {
    decltype(&NtCreateFile) create = nullptr;
    decltype(&RtlNtStatusToDosError) toError = nullptr;

    NativeCalls() {
        const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        if (ntdll == nullptr) return;
        create = reinterpret_cast<decltype(create)>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")));
        toError = reinterpret_cast<decltype(toError)>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    }
    bool Found() const { return create != nullptr && toError != nullptr; }
};

// One name of the path opened relative to the folder handle parent, never through a reparse
// point: a link is opened as itself. Null with *error (a Win32 code) on failure.
HANDLE OpenBelow(const NativeCalls& native, HANDLE parent, const std::wstring& name, bool folder, DWORD* error) {
    UNICODE_STRING text;
    text.Buffer = const_cast<wchar_t*>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK status = {};
    HANDLE handle = nullptr;
    const ACCESS_MASK access = (folder ? FILE_TRAVERSE : GENERIC_READ) | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    const ULONG options = FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                          (folder ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
    const ULONG share = folder ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
    const NTSTATUS result =
        native.create(&handle, access, &attributes, &status, nullptr, 0, share, FILE_OPEN, options, nullptr, 0);
    if (result < 0) {
        *error = native.toError(result);
        return nullptr;
    }
    return handle;
}

bool IsReparsePoint(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info = {};
    return !GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The file at path, "X:\..." on a local fixed volume, opened for reading name by name from the
// volume's root, each relative to the folder opened before it: no link on the way is followed, and
// none swapped in after a check can lead elsewhere, so no other machine is ever asked for it. Null
// with *errorText otherwise.
HANDLE OpenLocalPlain(const std::string& path, std::string* volume, std::string* errorText) {
    const bool drive = path.size() > 3 && IsCharAlphaA(path[0]) && path[1] == ':' && path[2] == '\\' &&
                       path.find('/') == std::string::npos;
    *volume = path.substr(0, 3);
    if (!drive || GetDriveTypeA(volume->c_str()) != DRIVE_FIXED) {
        *errorText = "the file lies on no local fixed drive";
        return nullptr;
    }
    // To its first NUL, as the ANSI calls read it.
    const std::u16string utf16 = AnsiTextToUtf16(path.c_str());
    const std::wstring wide(utf16.begin(), utf16.end());
    const NativeCalls native;
    HANDLE folder = !native.Found() ? INVALID_HANDLE_VALUE
                                      : CreateFileW((L"\\\\?\\" + wide.substr(0, 3)).c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        *errorText = Win32ErrorText(GetLastError());
        return nullptr;
    }
    for (size_t at = 3;;) {
        const size_t slash = wide.find(L'\\', at);
        const std::wstring name = wide.substr(at, slash == std::wstring::npos ? std::wstring::npos : slash - at);
        const bool last = slash == std::wstring::npos;
        // No file system holds a longer name, and a length that wrapped would name another file.
        if (name.empty() || name == L"." || name == L".." || name.size() > 255) {
            CloseHandle(folder);
            *errorText = "the file's path is not plain";
            return nullptr;
        }
        DWORD error = ERROR_SUCCESS;
        const HANDLE next = OpenBelow(native, folder, name, !last, &error);
        CloseHandle(folder);
        if (next == nullptr) {
            *errorText = Win32ErrorText(error);
            return nullptr;
        }
        if (IsReparsePoint(next)) {
            CloseHandle(next);
            *errorText = last ? "the file is no plain file on its drive" : "a folder on the file's way is a link or cannot be read";
            return nullptr;
        }
        if (last) return next;
        folder = next;
        at = slash + 1;
    }
}

}  // namespace

bool Win32FileSystem::ReadLocalPlainFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes,
                                         std::string* errorText) {
    errorText->clear();
    std::string volume;
    const HANDLE file = OpenLocalPlain(path, &volume, errorText);
    if (file == nullptr) return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    DWORD serial = 0;
    const bool plain = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                       (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                                 FILE_ATTRIBUTE_DEVICE)) == 0 &&
                       GetVolumeInformationA(volume.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) &&
                       serial == info.dwVolumeSerialNumber;
    const uint64_t size = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    if (plain && size <= maxSize) return ReadToEnd(file, maxSize, bytes, errorText);
    *errorText = plain ? LargerThan(maxSize) : "the file is no plain file on its drive";
    CloseHandle(file);
    return false;
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

namespace {

// The text in the ANSI code page, or empty when a character has no exact form there.
std::string ExactAnsi(const wchar_t* text) {
    BOOL lost = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lost);
    if (size <= 1 || lost) return "";
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, &ansi[0], size, nullptr, &lost);
    ansi.resize(static_cast<size_t>(size) - 1);
    return lost ? "" : ansi;
}

// An existing file or folder's path in a form that the ANSI code page holds: as it is, else its
// short form; empty when neither can be held.
std::string AnsiPathOf(const wchar_t* path) {
    std::string text = ExactAnsi(path);
    if (text.empty()) {
        wchar_t shortPath[MAX_PATH] = L"";
        const DWORD length = GetShortPathNameW(path, shortPath, MAX_PATH);
        if (length > 0 && length < MAX_PATH) text = ExactAnsi(shortPath);
    }
    return text;
}

}  // namespace

std::string Win32FileSystem::LocalAppDataFolder() {
    // Asked for in Unicode: a profile folder may hold letters that the ANSI code page lacks, and
    // the ANSI call then names a folder that does not exist. Such a folder is given by its short
    // form, whose names the code page can hold.
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return "";
    std::string text = AnsiPathOf(folder);
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

std::string Win32FileSystem::NewTempFile() {
    // As the local application data folder: asked for in Unicode, handed on in a form that the
    // ANSI code page holds.
    wchar_t folder[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return "";
    wchar_t file[MAX_PATH] = L"";
    if (GetTempFileNameW(folder, L"ztw", 0, file) == 0) return "";
    const std::string text = AnsiPathOf(file);
    if (text.empty()) DeleteFileW(file);
    return text;
}

std::vector<std::string> Win32FileSystem::OtherNamesOf(const std::string& path) {
    std::vector<std::string> names;
    char longName[MAX_PATH] = "";
    const DWORD length = GetLongPathNameA(path.c_str(), longName, MAX_PATH);
    if (length > 0 && length < MAX_PATH && path != longName) names.emplace_back(longName, length);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return names;
    // The first language the resource lists, then the two that tools write most.
    std::vector<std::string> blocks;
    DWORD* translation = nullptr;
    UINT bytes = 0;
    if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &bytes) &&
        bytes >= 4) {
        char block[9];
        wsprintfA(block, "%04x%04x", LOWORD(*translation), HIWORD(*translation));
        blocks.push_back(block);
    }
    blocks.insert(blocks.end(), {"040904b0", "040904e4"});
    for (const std::string& block : blocks) {
        char* value = nullptr;
        const std::string query = "\\StringFileInfo\\" + block + "\\OriginalFilename";
        if (VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &bytes) && bytes > 1) {
            names.emplace_back(value);
            break;
        }
    }
    return names;
}

std::vector<std::string> Win32FileSystem::SystemFolders() {
    std::vector<std::string> folders;
    for (const auto get : {&GetSystemDirectoryA, &GetWindowsDirectoryA}) {
        char folder[MAX_PATH] = "";
        const UINT length = get(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) continue;
        folders.emplace_back(folder, length);
        while (!folders.back().empty() && folders.back().back() == '\\') folders.back().pop_back();
    }
    return folders;
}

std::string Win32FileSystem::EnvironmentValue(const std::string& name) {
    const DWORD need = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (need == 0) return "";
    std::string value(need, '\0');
    const DWORD length = GetEnvironmentVariableA(name.c_str(), &value[0], need);
    value.resize(length < need ? length : 0);
    return value;
}

bool Win32FileSystem::CreateFolders(const std::string& path) {
    const auto isFolder = [](const std::string& folder) {
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    };
    if (path.empty() || isFolder(path)) return !path.empty();
    const size_t slash = path.find_last_of('\\');
    // A drive ("C:") or a share's root ends the climb; CreateDirectoryA then says what is wrong.
    if (slash != std::string::npos && slash > 2) CreateFolders(path.substr(0, slash));
    CreateDirectoryA(path.c_str(), nullptr);
    return isFolder(path);
}

namespace {

// The byte that callers lock: far beyond any data, so that the lock blocks no reader or writer of
// the data itself.
OVERLAPPED LockedByte() {
    OVERLAPPED byte = {};
    byte.Offset = 0xFFFFFFFEu;
    byte.OffsetHigh = 0x7FFFFFFFu;
    return byte;
}

// Polls for the lock of file's far byte: a wait that LockFileEx itself bounds does not exist.
bool TakeLockedByte(HANDLE file, DWORD timeoutMs) {
    OVERLAPPED byte = LockedByte();
    const DWORD started = GetTickCount();
    while (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &byte)) {
        const DWORD error = GetLastError();
        if ((error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) || GetTickCount() - started >= timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

void GiveBackLockedByte(HANDLE file) {
    OVERLAPPED byte = LockedByte();
    UnlockFileEx(file, 0, 1, 0, &byte);
}

}  // namespace

bool Win32FileSystem::AppendToFile(const std::string& path, const std::string& bytes, uint64_t* sizeAfter) {
    // Append access without write access: Windows puts every write at the end of the file as one
    // step. Not every file system does so across processes (nor does Wine), so the writers also
    // take turns through the file's lock; a file system without locks still gets the write.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // The wait for the turn is bounded: the caller is the host's thread. A writer that got no turn
    // within the bound appends anyway, which Windows still does as one step.
    const bool locked = TakeLockedByte(file, 2000);
    DWORD written = 0;
    LARGE_INTEGER size;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && GetFileSizeEx(file, &size);
    if (locked) GiveBackLockedByte(file);
    CloseHandle(file);
    if (ok) *sizeAfter = static_cast<uint64_t>(size.QuadPart);
    return ok;
}

bool Win32FileSystem::RenameFileIfAtLeast(const std::string& from, const std::string& to, uint64_t minSize) {
    // One mutex per file name (folded to capitals, as the file system compares names), so that
    // the size seen and the rename belong together in every process.
    std::string folded = from;
    if (!folded.empty()) CharUpperBuffA(&folded[0], static_cast<DWORD>(folded.size()));
    uint32_t hash = 2166136261u;
    for (char c : folded) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char name[64];
    wsprintfA(name, "Local\\TarkuSoftware.ZTTrevanel.Rename.%08lX", static_cast<unsigned long>(hash));
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr) return false;
    // An owner that died without releasing leaves the mutex abandoned, which still hands it over.
    const DWORD wait = WaitForSingleObject(mutex, 5000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return false;
    }
    bool renamed = false;
    // The size through a handle: a folder entry may lag behind what appenders wrote.
    const HANDLE file = CreateFileA(from.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER size;
        const bool full = GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) >= minSize;
        CloseHandle(file);
        renamed = full && MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return renamed;
}

bool Win32FileSystem::RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) != FALSE || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

IFileSystem& DefaultFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}
