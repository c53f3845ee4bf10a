// One host transfer session: its tweak set and the two transfer events.
#include "addon/TweakSession.h"

#include <cctype>

namespace {

// The platform string class's CompareNoCase: byte by byte through tolower in the current locale.
bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

CTweakSession::CTweakSession(void* hSession, const char* profileName)
    : m_hSession(hSession), m_config(profileName) {
    m_config.Load();
}

CTweakSession::~CTweakSession() = default;

int CTweakSession::OnFileDownloaded(int type, const char* remotePath, const char* localPath,
                                    uint32_t /*unused*/) {
    m_config.RunTweaks(type, localPath, remotePath);
    return 0;
}

int CTweakSession::OnFileUploaded(int type, const char* localPath, uint32_t /*unused1*/,
                                  const char* remotePath, uint32_t /*unused2*/) {
    m_config.RunTweaks(type, localPath, remotePath);
    return 0;
}

void CTweakSession::ReloadIfProfile(const char* profileName) {
    const std::string name = profileName ? profileName : "";
    if (name.empty() || EqualNoCase(name, m_config.m_strProfile)) m_config.Load();
}
