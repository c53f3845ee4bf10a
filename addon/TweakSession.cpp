// One host transfer session: its tweak set and the two transfer events.
#include "addon/TweakSession.h"

#include "platform/RegistryNames.h"
#include "runner/RunRecord.h"
#include "runner/RunRecorder.h"

CTweakSession::CTweakSession(void* hSession, const char* profileName)
    : m_hSession(hSession), m_config(std::make_shared<CTweakConfig>(profileName)) {
    m_config->Load();
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

std::shared_ptr<CTweakConfig> CTweakSession::Config() const {
    std::lock_guard<std::mutex> guard(m_configLock);
    return m_config;
}

void CTweakSession::RunTweaks(int type, const char* localPath, const char* remotePath) {
    const std::shared_ptr<CTweakConfig> config = Config();
    if (m_strRecordFolder.empty()) {
        config->RunTweaks(type, localPath, remotePath);
        return;
    }
    CRunRecorder recorder(m_strRecordFolder, config->m_strProfile, type, localPath, remotePath, false);
    config->RunTweaks(type, localPath, remotePath, &recorder);
}

void CTweakSession::ReloadIfProfile(const char* profileName) {
    const std::string name = profileName ? profileName : "";
    std::lock_guard<std::mutex> guard(m_reloadLock);
    const std::shared_ptr<CTweakConfig> config = Config();
    if (name.empty() || IsSameRegistryName(name, config->m_strProfile)) config->Load();
}

void CTweakSession::RenameProfile(const char* oldName, const char* newName) {
    // An empty name is the global configuration, which no profile's rename concerns.
    if (oldName == nullptr || newName == nullptr || *oldName == '\0') return;
    std::lock_guard<std::mutex> guard(m_reloadLock);
    if (!IsSameRegistryName(oldName, Config()->m_strProfile)) return;
    // Loaded before it replaces the old set, so that no transfer meanwhile finds an empty one.
    auto renamed = std::make_shared<CTweakConfig>(newName);
    renamed->Load();
    std::lock_guard<std::mutex> swap(m_configLock);
    m_config = std::move(renamed);
}
