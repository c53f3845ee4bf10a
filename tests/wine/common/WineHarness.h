// Helpers for the Wine test programs. Each folder tests/wine/<area>/ becomes one GoogleTest
// program wine_<area>.exe that CTest runs under Wine (scripts/wine-run, the build tree's prefix,
// code page 1252); the tests of all areas share that prefix and never run at the same time.
//
// Built programs:   AddonDllPath(), HostExePath(), ProgramPath("recorder.exe") (tools, fixtures)
// Source files:     SourcePath("ui\\Help\\ZTTrevanelAddOn.htm")
// Folders:          TempFolder folder;  // C:\Trevanel Tests\<blank-named folder>\, removed at end
// The add-on:       AddonCopy addon;    // the DLL copied into a fresh blank-named folder
//                   ASSERT_TRUE(addon.Load());
//                   auto name = addon.Export<decltype(&ZTAddOnName)>(4);  // by ordinal
//                   addon.Unload();     // FreeLibrary; the destructor unloads too
// Programs:         ProgramResult r = RunProgram(path, {"arg one", "arg2"});  // r.exitCode, r.output
//                   ProgramResult r = RunHost(addon.Path(), {"load", "name 300", "unload"});
// Registry:         ReadRegValue(HKEY_USERS, path, "Name") -> optional RegValue {type, data bytes}
//                   RegKeyExists(root, path), DeleteRegTree(root, path) (a missing key is fine)
// Resources:        ReadDialogTemplate(module, 1001) -> optional pe::DialogTemplate (caption, items)
// Windows:          WaitForVisibleWindow("#32770", "Caption") for dialogs that another thread runs
// Text:             Cp1252("für") gives the code page 1252 bytes of UTF-8 source text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/common/ResourceDecode.h"

namespace wine {

// Folder of the built programs, with a trailing backslash.
std::string BinDir();
std::string ProgramPath(const std::string& fileName);
std::string AddonDllPath();
std::string HostExePath();
// A file or folder of the source tree, given relative to it with backslashes.
std::string SourcePath(const std::string& relative);
// A Unix path as Wine's Z: drive shows it.
std::string ToWindowsPath(const std::string& unixPath);

// UTF-8 text of code points up to U+00FF as its code page 1252 bytes; throws for others.
std::string Cp1252(const std::string& utf8);

// A fresh folder below C:\Trevanel Tests\ whose name contains blanks; deleted with everything in
// it when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "Add-On Folder");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with its trailing backslash.
    const std::string& Path() const { return m_strPath; }
    // Copies source into the folder under fileName (its own name when empty); returns the copy.
    std::string Copy(const std::string& source, const std::string& fileName = std::string()) const;
    // Writes text to a file in the folder; returns its path.
    std::string Write(const std::string& fileName, const std::string& text) const;

private:
    std::string m_strPath;
};

// The built add-on copied into its own fresh blank-named folder, loaded on request.
class AddonCopy {
public:
    explicit AddonCopy(const std::string& fileName = "ZTTrevanelAddon.dll");
    ~AddonCopy();

    const std::string& Path() const { return m_strPath; }
    const std::string& Folder() const { return m_folder.Path(); }

    // LoadLibraryA of the copy; null (with GetLastError) when it fails.
    HMODULE Load();
    // FreeLibrary, if loaded: the add-on's unload runs now.
    void Unload();
    HMODULE Module() const { return m_hModule; }

    // The export with this ordinal as function pointer type Fn, or null.
    template <typename Fn>
    Fn Export(int ordinal) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
            GetProcAddress(m_hModule, MAKEINTRESOURCEA(static_cast<WORD>(ordinal)))));
    }

private:
    TempFolder m_folder;
    std::string m_strPath;
    HMODULE m_hModule = nullptr;
};

struct ProgramResult {
    DWORD exitCode = 0xdeadbeef;
    bool timedOut = false;
    // Everything the program wrote to its standard output and error, as bytes.
    std::string output;
};

// Quotes one argument for a Windows command line, when it needs quotes.
std::string QuoteArgument(const std::string& argument);

// Runs program with the arguments (each quoted as needed) and waits for its end; a program still
// running after timeoutMs is terminated.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         DWORD timeoutMs = 60000);
// Runs the host stand-in on dllPath with the script lines (see tools/ZTHost.cpp).
ProgramResult RunHost(const std::string& dllPath, const std::vector<std::string>& lines,
                      DWORD timeoutMs = 60000);

struct RegValue {
    DWORD type = 0;
    std::vector<unsigned char> data;
};

// The value as stored, or nothing when the key or the value is missing.
std::optional<RegValue> ReadRegValue(HKEY root, const std::string& path, const std::string& name);
bool RegKeyExists(HKEY root, const std::string& path);
// Deletes path with all its subkeys and values; a missing key is not an error.
void DeleteRegTree(HKEY root, const std::string& path);

// Dialog template id of module, read from its resource data (DIALOG or DIALOGEX form).
std::optional<pe::DialogTemplate> ReadDialogTemplate(HMODULE module, int id);

// The top-level window of windowClass with caption once it is visible, or null after timeoutMs.
HWND WaitForVisibleWindow(const char* windowClass, const char* caption, DWORD timeoutMs = 10000);

}  // namespace wine
