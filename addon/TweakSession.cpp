// One host transfer session: its tweak set and the two transfer events.
#include "addon/TweakSession.h"

#include "platform/RegistryNames.h"
#include "config/AppBase.h"
#include "runner/FailureNotice.h"
#include "runner/RunRecord.h"
#include "runner/RunRecorder.h"

CTweakSession::CTweakSession(void* hSession, const char* profileName)
    : m_hSession(hSession), m_config(std::make_shared<CTweakConfig>(profileName)) {
    Loaded(m_config->Load());
    if (IsRunRecordOn()) m_strRecordFolder = RunRecordFolder();
}

void CTweakSession::Loaded(bool read) {
    if (read) m_bHasSet = true;
    m_bReadDue = !read;
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
    if (m_bReadDue) ReloadIfProfile(Config()->m_strProfile.c_str());
    const std::shared_ptr<CTweakConfig> config = Config();
    // The recorder also finds the failure to notice when the record is off; it then writes nothing.
    CRunRecorder recorder(m_strRecordFolder, config->m_strProfile, type, localPath, remotePath, false);
    if (m_bHasSet) {
        config->RunTweaks(type, localPath, remotePath, &recorder);
    } else {
        recorder.SetUnreadable();
    }
    const CAppBase* app = AfxGetApp();
    NoticeFailure(recorder.FirstFailure(), app ? app->m_strModuleFolder : std::string());
}

void CTweakSession::ReloadIfProfile(const char* profileName) {
    const std::string name = profileName ? profileName : "";
    std::lock_guard<std::mutex> guard(m_reloadLock);
    const std::shared_ptr<CTweakConfig> config = Config();
    if (name.empty() || IsSameRegistryName(name, config->m_strProfile)) Loaded(config->Load());
}

void CTweakSession::RenameProfile(const char* oldName, const char* newName) {
    // An empty name is the global configuration, which no profile's rename concerns.
    if (oldName == nullptr || newName == nullptr || *oldName == '\0') return;
    std::lock_guard<std::mutex> guard(m_reloadLock);
    if (!IsSameRegistryName(oldName, Config()->m_strProfile)) return;
    // Loaded before it replaces the old set, so that no transfer meanwhile finds an empty one.
    auto renamed = std::make_shared<CTweakConfig>(newName);
    const bool read = renamed->Load();
    std::lock_guard<std::mutex> swap(m_configLock);
    m_config = std::move(renamed);
    // The old name's set is not the new name's: without a read one, nothing runs.
    if (!read) m_bHasSet = false;
    Loaded(read);
}
