// The shortcut service of Windows: the shell's link object, loaded from the file, never resolved.
#include <windows.h>
#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <string>

#include "platform/AnsiText.h"
#include "platform/ShortcutReader.h"

namespace {

bool ReadInApartment(const std::wstring& path, ShortcutTarget* target) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    bool read = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        // Room for the longest path and command line; text that fills a buffer may be cut short,
        // and a cut path could end in another extension, so it counts as unread.
        std::string targetPath(32768, '\0');
        std::string arguments(32768, '\0');
        const int size = static_cast<int>(targetPath.size());
        // GetPath returns S_FALSE, and no path, for a shortcut to no file.
        if (file->Load(path.c_str(), STGM_READ) == S_OK &&
            link->GetPath(&targetPath[0], size, nullptr, 0) == S_OK &&
            SUCCEEDED(link->GetArguments(&arguments[0], size))) {
            targetPath.resize(targetPath.find('\0'));
            arguments.resize(arguments.find('\0'));
            // A character the ANSI code page lacks comes as "?", which no file name holds.
            const size_t full = static_cast<size_t>(size) - 1;
            read = !targetPath.empty() && targetPath.size() < full && arguments.size() < full &&
                   targetPath.find('?') == std::string::npos;
            if (read) {
                target->path = targetPath;
                target->arguments = arguments;
            }
        }
        file->Release();
    }
    link->Release();
    return read;
}

class Win32ShortcutReader : public IShortcutReader {
public:
    bool ReadShortcut(const std::string& path, ShortcutTarget* target) override {
        // The path as IPersistFile::Load reads it, to its first NUL; one that does not convert is unread.
        const std::string ansi = path.c_str();
        if (!IsWholeAnsiText(ansi)) return false;
        const std::u16string utf16 = AnsiTextToUtf16(ansi);
        const std::wstring wide(utf16.begin(), utf16.end());
        const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // A thread already in the multithreaded apartment keeps it: the link object lives in both.
        if (FAILED(initialised) && initialised != RPC_E_CHANGED_MODE) return false;
        ShortcutTarget read;
        const bool done = ReadInApartment(wide, &read);
        if (SUCCEEDED(initialised)) CoUninitialize();
        if (done) *target = read;
        return done;
    }
};

}  // namespace

IShortcutReader& DefaultShortcutReader() {
    static Win32ShortcutReader reader;
    return reader;
}
