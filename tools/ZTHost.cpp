// ZTHost: a stand-in for the FTP client that hosts the add-on. It loads an add-on DLL, resolves
// the ten exports by ordinal (each must be the function its name resolves to) and plays host
// events from a script file and from -e arguments, printing what it observes, one line each. It
// also transfers for real, over FTP (ZTHostFtp.h), and then tells the add-on as the host does.
//
//   ZTHost.exe <add-on.dll> [script-file] [-e "command"]...
//
// Commands, one per line ("#" starts a comment line):
//   load | unload
//   name <size> [@null]                      ZTAddOnName into a size-byte buffer (or a null one)
//   create <handle> <profile>                destroy <handle>
//   download <handle> <type> <remote> <local>
//   upload <handle> <type> <local> <remote>
//   configure <profile>   rename <old> <new>   delete <profile>
//   install <folder>      uninstall            echo <text...>
//   signal <event>        sets the named event (made if missing), for a test that waits for it
//   wait <event>          waits until the named event is set, at most 60 s, so that another
//                         process can change things between two commands
// Real transfers, one session per connection, named after the server profile:
//   connect <handle> <profile> <server> <port>   an anonymous FTP connection, then create
//   get <handle> <remote> <folder>    downloads into folder under the server's name, then download
//                                     with type 0, the remote path as given and the file's path
//   put <handle> <local> <remote>     uploads, then upload with type 4
//   disconnect <handle>               destroy, then the connection is closed
// A server name that would write outside the folder is refused, and a failed transfer reported;
// neither calls the add-on.
// Arguments are separated by blanks; "double quotes" keep blanks, "" inside quotes is one quote
// character, "" alone is the empty string and @null a null pointer. Handles and types are
// numbers, decimal or 0x hexadecimal. The exit code is 0 when every command ran, 2 when they ran
// but a transfer failed or was refused, 1 when a command could not run.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ZTHostFtp.h"

namespace {

typedef void(WINAPI* ConfigureFn)(const char*);
typedef void(WINAPI* ProfileNameChangeFn)(const char*, const char*);
typedef void(WINAPI* ProfileDeletedFn)(const char*);
typedef void(WINAPI* NameFn)(char*, UINT);
typedef void(WINAPI* SessionCreateFn)(void*, const char*);
typedef int(WINAPI* DownloadedFn)(void*, int, const char*, const char*, UINT);
typedef int(WINAPI* UploadFn)(void*, int, const char*, UINT, const char*, UINT);
typedef void(WINAPI* SessionDestroyFn)(void*);
typedef void(WINAPI* InstallFn)(const char*);
typedef int(WINAPI* UninstallFn)(UINT, UINT);

const char* const kExportNames[10] = {
    "ZTAddOnConfigure",      "ZTAddOnProfileNameChange",   "ZTAddOnProfileDeleted",
    "ZTAddOnName",           "ZTAddOnSessionCreate",       "ZTAddOnFileDownloadedTweak",
    "ZTAddOnFileUploadTweak", "ZTAddOnSessionDestroy",     "ZTAddOnInstall",
    "ZTAddOnUninstall"};

struct Arg {
    std::string text;
    bool isNull = false;
    const char* Ptr() const { return isNull ? nullptr : text.c_str(); }
};

class ScriptError {
public:
    explicit ScriptError(std::string message) : m_strMessage(std::move(message)) {}
    const std::string& What() const { return m_strMessage; }

private:
    std::string m_strMessage;
};

std::vector<Arg> Tokenize(const std::string& line) {
    std::vector<Arg> args;
    size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        Arg arg;
        if (line[i] == '"') {
            ++i;
            while (true) {
                if (i >= line.size()) throw ScriptError("unterminated quote");
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        arg.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                arg.text += line[i++];
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                arg.text += line[i++];
            arg.isNull = arg.text == "@null";
        }
        args.push_back(arg);
    }
    return args;
}

// How a string argument is shown: quoted, or @null.
std::string Show(const Arg& arg) { return arg.isNull ? "@null" : "\"" + arg.text + "\""; }

long Number(const Arg& arg) {
    char* end = nullptr;
    const long value = std::strtol(arg.text.c_str(), &end, 0);
    if (arg.isNull || arg.text.empty() || *end != '\0')
        throw ScriptError("not a number: " + arg.text);
    return value;
}

void* Handle(const Arg& arg) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(arg.text.c_str(), &end, 0);
    if (arg.isNull || arg.text.empty() || *end != '\0')
        throw ScriptError("not a handle: " + arg.text);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(value));
}

class Host {
public:
    explicit Host(std::string dllPath) : m_strDllPath(std::move(dllPath)) {}

    void Run(const std::vector<Arg>& args) {
        if (args.empty()) return;
        const std::string& command = args[0].text;
        if (command == "echo") {
            std::string text;
            for (size_t i = 1; i < args.size(); ++i) text += (i > 1 ? " " : "") + args[i].text;
            Print(text);
        } else if (command == "load") {
            Expect(args, 1);
            Load();
        } else if (command == "unload") {
            Expect(args, 1);
            Unload();
        } else if (command == "name") {
            if (args.size() != 2 && !(args.size() == 3 && args[2].isNull))
                throw ScriptError("usage: name <size> [@null]");
            Name(static_cast<UINT>(Number(args[1])), args.size() == 3);
        } else if (command == "create") {
            Expect(args, 3);
            Get<SessionCreateFn>(5)(Handle(args[1]), args[2].Ptr());
            Print("create " + args[1].text + " " + Show(args[2]) + ": done");
        } else if (command == "download") {
            Expect(args, 5);
            const int result = Get<DownloadedFn>(6)(Handle(args[1]), Number(args[2]),
                                                    args[3].Ptr(), args[4].Ptr(), 0);
            Print("download " + args[1].text + ": result " + std::to_string(result));
        } else if (command == "upload") {
            Expect(args, 5);
            const int result = Get<UploadFn>(7)(Handle(args[1]), Number(args[2]), args[3].Ptr(),
                                                0, args[4].Ptr(), 0);
            Print("upload " + args[1].text + ": result " + std::to_string(result));
        } else if (command == "destroy") {
            Expect(args, 2);
            Get<SessionDestroyFn>(8)(Handle(args[1]));
            Print("destroy " + args[1].text + ": done");
        } else if (command == "connect") {
            Expect(args, 5);
            Connect(args);
        } else if (command == "get") {
            Expect(args, 4);
            GetFile(args);
        } else if (command == "put") {
            Expect(args, 4);
            PutFile(args);
        } else if (command == "disconnect") {
            Expect(args, 2);
            Connection(args[1]);
            Get<SessionDestroyFn>(8)(Handle(args[1]));
            m_connections.erase(args[1].text);
            Print("disconnect " + args[1].text + ": done");
        } else if (command == "configure") {
            Expect(args, 2);
            Get<ConfigureFn>(1)(args[1].Ptr());
            Print("configure " + Show(args[1]) + ": done");
        } else if (command == "rename") {
            Expect(args, 3);
            Get<ProfileNameChangeFn>(2)(args[1].Ptr(), args[2].Ptr());
            Print("rename " + Show(args[1]) + " " + Show(args[2]) + ": done");
        } else if (command == "delete") {
            Expect(args, 2);
            Get<ProfileDeletedFn>(3)(args[1].Ptr());
            Print("delete " + Show(args[1]) + ": done");
        } else if (command == "install") {
            Expect(args, 2);
            Get<InstallFn>(9)(args[1].Ptr());
            Print("install " + Show(args[1]) + ": done");
        } else if (command == "signal" || command == "wait") {
            Expect(args, 2);
            NamedEvent(args[1].text, command == "wait");
        } else if (command == "uninstall") {
            Expect(args, 1);
            const int result = Get<UninstallFn>(10)(0, 0);
            Print("uninstall: result " + std::to_string(result));
        } else {
            throw ScriptError("unknown command: " + command);
        }
    }

    // Sets the auto-reset event name, or waits for it to be set.
    static void NamedEvent(const std::string& name, bool wait) {
        const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
        if (event == nullptr) throw ScriptError("cannot make the event " + name);
        const bool done = wait ? WaitForSingleObject(event, 60000) == WAIT_OBJECT_0 : SetEvent(event) != FALSE;
        CloseHandle(event);
        if (!done) throw ScriptError((wait ? "no signal within 60 s: " : "cannot set the event ") + name);
    }

    // Whether a transfer failed or was refused.
    bool TransferFailed() const { return m_bTransferFailed; }

private:
    zthost::FtpConnection& Connection(const Arg& handle) {
        const auto found = m_connections.find(handle.text);
        if (found == m_connections.end()) throw ScriptError("no connection " + handle.text);
        return *found->second;
    }

    // A transfer that did not happen: said, remembered, and the add-on is not called.
    void NoTransfer(const std::string& line) {
        Print(line);
        m_bTransferFailed = true;
    }

    void Connect(const std::vector<Arg>& args) {
        if (m_connections.count(args[1].text)) throw ScriptError("connection " + args[1].text + " is open already");
        const long port = Number(args[4]);
        const std::string what = "connect " + args[1].text + " " + Show(args[2]) + " " + args[3].text + ":" + args[4].text;
        auto connection = std::make_unique<zthost::FtpConnection>();
        std::string error;
        if (!connection->Open(args[3].text, static_cast<unsigned>(port), &error)) {
            NoTransfer(what + ": failed, " + error);
            return;
        }
        Get<SessionCreateFn>(5)(Handle(args[1]), args[2].Ptr());
        m_connections[args[1].text] = std::move(connection);
        Print(what + ": done");
    }

    void GetFile(const std::vector<Arg>& args) {
        zthost::FtpConnection& connection = Connection(args[1]);
        const std::string& remote = args[2].text;
        const std::string what = "get " + args[1].text + " " + Show(args[2]);
        std::string reason;
        const std::string name = zthost::DownloadFileName(remote, &reason);
        if (name.empty()) return NoTransfer(what + ": refused, " + reason);
        std::string local = args[3].text;
        if (local.empty() || local.back() != '\\') local += '\\';
        local += name;
        std::string error;
        if (!connection.Download(remote, local, &error)) return NoTransfer(what + ": failed, " + error);
        const int result = Get<DownloadedFn>(6)(Handle(args[1]), 0, remote.c_str(), local.c_str(), 0);
        Print(what + ": saved \"" + local + "\", download result " + std::to_string(result));
    }

    void PutFile(const std::vector<Arg>& args) {
        zthost::FtpConnection& connection = Connection(args[1]);
        const std::string what = "put " + args[1].text + " " + Show(args[2]);
        std::string error;
        if (!connection.Upload(args[2].text, args[3].text, &error)) return NoTransfer(what + ": failed, " + error);
        const int result = Get<UploadFn>(7)(Handle(args[1]), 4, args[2].text.c_str(), 0, args[3].text.c_str(), 0);
        Print(what + ": stored " + Show(args[3]) + ", upload result " + std::to_string(result));
    }

    static void Expect(const std::vector<Arg>& args, size_t count) {
        if (args.size() != count)
            throw ScriptError(args[0].text + " takes " + std::to_string(count - 1) + " argument(s)");
    }

    static void Print(const std::string& line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    template <typename Fn>
    Fn Get(int ordinal) const {
        if (!m_hModule) throw ScriptError("the add-on is not loaded");
        return reinterpret_cast<Fn>(m_exports[ordinal - 1]);
    }

    void Load() {
        if (m_hModule) throw ScriptError("the add-on is loaded already");
        HMODULE module = LoadLibraryA(m_strDllPath.c_str());
        if (!module)
            throw ScriptError("cannot load " + m_strDllPath + ", error " +
                              std::to_string(GetLastError()));
        // The host goes by ordinal; an export whose name leads elsewhere would be a broken table.
        for (int ordinal = 1; ordinal <= 10; ++ordinal) {
            FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
            FARPROC byName = GetProcAddress(module, kExportNames[ordinal - 1]);
            if (!byOrdinal || byOrdinal != byName) {
                FreeLibrary(module);
                throw ScriptError("export " + std::to_string(ordinal) + " is not " +
                                  kExportNames[ordinal - 1]);
            }
            m_exports[ordinal - 1] = reinterpret_cast<void (*)()>(byOrdinal);
        }
        m_hModule = module;
        Print("load: ok, 10 exports by ordinal match their names");
    }

    void Unload() {
        if (!m_hModule) throw ScriptError("the add-on is not loaded");
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
        Print("unload: ok");
    }

    void Name(UINT size, bool nullBuffer) {
        // Guard bytes behind the buffer show a write past its end; the marker shows what was
        // left untouched.
        const size_t kGuard = 16;
        const unsigned char kMarker = 0xA5;
        std::vector<unsigned char> memory(size + kGuard, kMarker);
        char* buffer = nullBuffer ? nullptr : reinterpret_cast<char*>(memory.data());
        Get<NameFn>(4)(buffer, size);
        std::string line = "name " + std::to_string(size) + (nullBuffer ? " @null" : "") + ":";
        if (!nullBuffer) {
            char hex[4];
            line += " hex";
            for (UINT i = 0; i < size; ++i) {
                std::snprintf(hex, sizeof hex, " %02x", memory[i]);
                line += hex;
            }
            const char* text = reinterpret_cast<const char*>(memory.data());
            line += " text \"" + std::string(text, strnlen(text, size)) + "\"";
        }
        Print(line);
        for (size_t i = size; i < memory.size(); ++i) {
            if (memory[i] != kMarker) throw ScriptError("the add-on wrote past the name buffer");
        }
    }

    std::string m_strDllPath;
    HMODULE m_hModule = nullptr;
    // The open FTP connections by the handle of their session.
    std::map<std::string, std::unique_ptr<zthost::FtpConnection>> m_connections;
    bool m_bTransferFailed = false;
    // As the generic function pointer type that converts to every export's own type.
    void (*m_exports[10])() = {};
};

int Usage() {
    std::fprintf(stderr, "usage: ZTHost <add-on.dll> [script-file] [-e \"command\"]...\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Byte for byte: the name is code page 1252 text, and lines end in a plain line feed.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return Usage();
    std::vector<std::string> lines;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "-e") == 0) {
            if (++i >= argc) return Usage();
            lines.push_back(argv[i]);
        } else {
            std::ifstream script(argv[i], std::ios::binary);
            if (!script) {
                std::fprintf(stderr, "ZTHost: cannot read %s\n", argv[i]);
                return 1;
            }
            for (std::string line; std::getline(script, line);) lines.push_back(line);
        }
    }

    Host host(argv[1]);
    for (size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        try {
            host.Run(Tokenize(line));
        } catch (const ScriptError& error) {
            std::printf("error in command %u (%s): %s\n", static_cast<unsigned>(n + 1),
                        line.c_str(), error.What().c_str());
            return 1;
        }
    }
    return host.TransferFailed() ? 2 : 0;
}
