// The stand-in host's FTP side (see ZTHostFtp.h).
#include "ZTHostFtp.h"

#include <windows.h>
#include <wininet.h>

namespace zthost {

namespace {

// The last error of the calling thread as "error N: text", with the server's own reply when
// WinINet has one.
std::string LastError() {
    const DWORD code = GetLastError();
    std::string text = "error " + std::to_string(code);
    char message[512] = "";
    HMODULE wininet = GetModuleHandleA("wininet.dll");
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                       wininet, code, 0, message, sizeof message, nullptr) > 0) {
        std::string line = message;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
        text += ": " + line;
    }
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        DWORD detail = 0;
        char reply[512] = "";
        DWORD size = sizeof reply;
        if (InternetGetLastResponseInfoA(&detail, reply, &size) && size > 0) {
            std::string line(reply, size);
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            text += " (server: " + line + ")";
        }
    }
    return text;
}

}  // namespace

std::string DownloadFileName(const std::string& remotePath, std::string* reason) {
    const std::string name = remotePath.substr(remotePath.find_last_of('/') + 1);
    if (name.empty() || name == "." || name == "..") {
        *reason = "the server's name \"" + name + "\" names no file in the download folder";
    } else if (name.find('\\') != std::string::npos) {
        *reason = "the server's name \"" + name + "\" holds a backslash, a folder separator here: it would write outside the download folder";
    } else if (name.find(':') != std::string::npos) {
        *reason = "the server's name \"" + name + "\" holds a colon, which names a drive or a stream here";
    } else {
        return name;
    }
    return std::string();
}

FtpConnection::~FtpConnection() { Close(); }

bool FtpConnection::Open(const std::string& server, unsigned port, std::string* error) {
    Close();
    m_hInternet = InternetOpenA("ZTHost", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (m_hInternet != nullptr) {
        m_hConnection = InternetConnectA(static_cast<HINTERNET>(m_hInternet), server.c_str(),
                                         static_cast<INTERNET_PORT>(port), "anonymous", "zthost@localhost",
                                         INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    }
    if (m_hConnection == nullptr) {
        *error = LastError();
        Close();
        return false;
    }
    return true;
}

bool FtpConnection::Download(const std::string& remotePath, const std::string& localPath, std::string* error) {
    if (FtpGetFileA(static_cast<HINTERNET>(m_hConnection), remotePath.c_str(), localPath.c_str(), FALSE,
                    FILE_ATTRIBUTE_NORMAL, FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0)) {
        return true;
    }
    *error = LastError();
    // A transfer that broke off may have left a part of the file.
    DeleteFileA(localPath.c_str());
    return false;
}

bool FtpConnection::Upload(const std::string& localPath, const std::string& remotePath, std::string* error) {
    if (FtpPutFileA(static_cast<HINTERNET>(m_hConnection), localPath.c_str(), remotePath.c_str(),
                    FTP_TRANSFER_TYPE_BINARY, 0)) {
        return true;
    }
    *error = LastError();
    return false;
}

void FtpConnection::Close() {
    if (m_hConnection != nullptr) InternetCloseHandle(static_cast<HINTERNET>(m_hConnection));
    if (m_hInternet != nullptr) InternetCloseHandle(static_cast<HINTERNET>(m_hInternet));
    m_hConnection = nullptr;
    m_hInternet = nullptr;
}

}  // namespace zthost
