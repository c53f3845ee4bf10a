// One host transfer session and its own tweak set.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "config/TweakConfig.h"

class CTweakSession {
public:
    CTweakSession(void* hSession, const char* profileName);
    virtual ~CTweakSession();

    int OnFileDownloaded(int type, const char* remotePath, const char* localPath, uint32_t unused);
    int OnFileUploaded(int type, const char* localPath, uint32_t unused1, const char* remotePath,
                       uint32_t unused2);
    // Reloads the set when profileName is empty or names this session's profile, letter case
    // aside. Any thread.
    void ReloadIfProfile(const char* profileName);
    // The host renamed profile oldName to newName: a session of oldName, letter case aside, takes
    // newName and runs from then on what is stored for it, as a session created for newName
    // would. Other sessions, and null names, change nothing. Any thread.
    void RenameProfile(const char* oldName, const char* newName);
    // The set that the session's next transfer runs; a transfer holds it until it returns. Any
    // thread.
    std::shared_ptr<CTweakConfig> Config() const;

    void* m_hSession;
    // Where this session's transfers are recorded; empty when the user switched the record off
    // (read once, when the session is created) or the system names no folder for it.
    std::string m_strRecordFolder;

private:
    void RunTweaks(int type, const char* localPath, const char* remotePath);
    // Notes whether a read of the set succeeded.
    void Loaded(bool read);

    // Held through a reload or a rename, so that a rename never replaces a set that a reload
    // of the old name is still reading, nor the other way round.
    std::mutex m_reloadLock;
    // Whether m_config holds a set as read, and whether a read failed since: the session then
    // runs the set it has and reads again at its next transfer, or, with none, runs nothing.
    std::atomic<bool> m_bHasSet{false};
    std::atomic<bool> m_bReadDue{false};
    // Held only while m_config is read or replaced.
    mutable std::mutex m_configLock;
    // Never null. Replaced whole by a rename, so that a run's profile name never changes under it.
    std::shared_ptr<CTweakConfig> m_config;
};
