// One host transfer session: its tweak set and the two transfer events.
#include "addon/TweakSession.h"

#include "platform/RegistryNames.h"
#include "runner/RunRecord.h"
#include "runner/RunRecorder.h"

CTweakSession::CTweakSession(void* hSession, const char* profileName)
    : m_hSession(hSession), m_config(profileName) {
    m_config.Load();
    if (IsRunRecordOn()) m_strRecordFolder = RunRecordFolder();
}

CTweakSession::~CTweakSession() = default;

int CTweakSession::OnFileDownloaded(int type, const char* remotePath, const char* localPath,
                                    uint32_t /*unused*/) {
    RunTweaks(type, localPath, remotePath);
    return 0;
}

int CTweakSession::OnFileUploaded(int type, const char* localPath, uint32_t /*unused1*/,
                                  const char* remotePath, uint32_t /*unused2*/) {
    RunTweaks(type, localPath, remotePath);
    return 0;
}

void CTweakSession::RunTweaks(int type, const char* localPath, const char* remotePath) {
    if (m_strRecordFolder.empty()) {
        m_config.RunTweaks(type, localPath, remotePath);
        return;
    }
    CRunRecorder recorder(m_strRecordFolder, m_config.m_strProfile, type, localPath, remotePath, false);
    m_config.RunTweaks(type, localPath, remotePath, &recorder);
}

void CTweakSession::ReloadIfProfile(const char* profileName) {
    const std::string name = profileName ? profileName : "";
    if (name.empty() || IsSameRegistryName(name, m_config.m_strProfile)) m_config.Load();
}
