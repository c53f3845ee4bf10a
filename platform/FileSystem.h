// The file service: the few file operations that the configuration tool and the run record need.
// Paths are 8-bit text in the ANSI code page. No method throws, shows a window or waits for a
// person; each may be called from any thread.
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
    // untouched and sets *errorText to the system's text for the cause. Others may go on
    // reading, writing, appending to and deleting the file meanwhile.
    virtual bool ReadFile(const std::string& path, std::vector<uint8_t>* bytes,
                          std::string* errorText) = 0;

    // As ReadFile, for a file handed over by a less trusted process: only a path of the form
    // "X:\..." on a local fixed volume, no reparse point on its way or at its end (none is
    // followed), only a plain file on that volume, and at most maxSize bytes. Nothing is opened
    // before the path's form and volume are checked, so no other machine is ever asked for it.
    virtual bool ReadLocalPlainFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>* bytes,
                                    std::string* errorText) = 0;

    // Creates or replaces the file with exactly bytes. On failure returns false and sets
    // *errorText; a file that was replaced may then be incomplete.
    virtual bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes,
                           std::string* errorText) = 0;

    // The current user's local application data folder (CSIDL_LOCAL_APPDATA) without a final
    // backslash, or empty when the system names none. A folder whose name the ANSI code page
    // cannot hold comes in its short form; empty when even that cannot be held.
    virtual std::string LocalAppDataFolder() = 0;

    // The other names the file at path goes by, for telling what it is: its long name when path
    // holds short (8.3) parts (GetLongPathNameA), and the file name its version resource records
    // as "OriginalFilename" (which a renamed copy keeps). Empty when it has neither or cannot be
    // read; nothing is changed. Reads the file; any thread.
    virtual std::vector<std::string> OtherNamesOf(const std::string& path) = 0;

    // The system folder (GetSystemDirectoryA), then the Windows folder (GetWindowsDirectoryA),
    // without final backslashes: where the shell looks first for a program named without a
    // folder. A folder the system does not name is left out.
    virtual std::vector<std::string> SystemFolders() = 0;

    // The value of the calling process's environment variable name, or empty when it has none.
    virtual std::string EnvironmentValue(const std::string& name) = 0;

    // Creates the folder and every missing folder above it. True when path is a folder afterwards.
    virtual bool CreateFolders(const std::string& path) = 0;

    // Appends bytes to the end of the file, creating the file when it is missing, with one write
    // through a handle that may only append (FILE_APPEND_DATA), while holding a lock that every
    // caller takes: what several threads and processes append so at the same time never
    // interleaves or overwrites, and each call's bytes stay together. The wait for the lock is
    // bounded (2 s); after it the write goes ahead without the lock. Others
    // may read, append to, rename and delete the file meanwhile. True with *sizeAfter set to the
    // file's size right after this write, read through the same handle. False when the file cannot
    // be opened or not all bytes were written; *sizeAfter is then untouched.
    virtual bool AppendToFile(const std::string& path, const std::string& bytes, uint64_t* sizeAfter) = 0;

    // Renames the file from to to, replacing a file to, when from holds at least minSize bytes.
    // For the callers of this method the size check and the rename are one step across every
    // thread and process of the machine: of several that saw the same full file, one renames it
    // and the others find the new, smaller one. False when from is smaller, missing, or cannot be
    // renamed (then nothing changed).
    virtual bool RenameFileIfAtLeast(const std::string& from, const std::string& to, uint64_t minSize) = 0;

    // Creates a new, empty file with a name that no file had, in the current user's folder for
    // temporary files, and returns its path; empty when none can be made.
    virtual std::string NewTempFile() = 0;

    // Deletes the file. True when no file of that name is left (also when there was none). A file
    // that others hold open goes once they close it.
    virtual bool RemoveFile(const std::string& path) = 0;
};

IFileSystem& GetFileSystem();
// Replaces the service for the rest of the process, or restores the default with null.
void SetFileSystem(IFileSystem* fileSystem);
// The linked default (Win32 or in memory).
IFileSystem& DefaultFileSystem();
