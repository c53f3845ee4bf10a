// One host transfer session and its own tweak set.
#pragma once

#include "config/TweakConfig.h"

class CTweakSession {
public:
    CTweakSession(void* hSession, const char* profileName);
    virtual ~CTweakSession();

    int OnFileDownloaded(int type, const char* remotePath, const char* localPath, uint32_t unused);
    int OnFileUploaded(int type, const char* localPath, uint32_t unused1, const char* remotePath,
                       uint32_t unused2);
    void ReloadIfProfile(const char* profileName);

    void* m_hSession;
    CTweakConfig m_config;
    // Where this session's transfers are recorded; empty when the user switched the record off
    // (read once, when the session is created) or the system names no folder for it.
    std::string m_strRecordFolder;

private:
    void RunTweaks(int type, const char* localPath, const char* remotePath);
};
