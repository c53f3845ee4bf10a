// The stand-in host's FTP side: one connection to a server through the system's FTP client library
// (WinINet), downloads of named files into a local folder and uploads of local files, as the host
// makes them before it tells the add-on.
#pragma once

#include <string>

namespace zthost {

// The file name under which a download of remotePath (a path as the server names it, '/' between
// folders) is written into the download folder: the part after the last '/'. Empty when a careful
// client must refuse it, with *reason saying why: a name that is empty, "." or "..", or holds '\\'
// (a folder separator on Windows) or ':' (a drive, or a stream of a file), would write outside the
// folder or not to a file of that name.
std::string DownloadFileName(const std::string& remotePath, std::string* reason);

// An FTP connection: anonymous, passive, binary transfers. Every method returns false on failure
// with *error set to the system's error code and text; a failed download leaves no file behind.
// One thread uses an object.
class FtpConnection {
public:
    FtpConnection() = default;
    ~FtpConnection();
    FtpConnection(const FtpConnection&) = delete;
    FtpConnection& operator=(const FtpConnection&) = delete;

    bool Open(const std::string& server, unsigned port, std::string* error);
    bool Download(const std::string& remotePath, const std::string& localPath, std::string* error);
    bool Upload(const std::string& localPath, const std::string& remotePath, std::string* error);
    void Close();

private:
    void* m_hInternet = nullptr;
    void* m_hConnection = nullptr;
};

}  // namespace zthost
