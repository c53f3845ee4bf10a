// The module's one application object: the live sessions and the module strings.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "addon/TweakSession.h"
#include "config/ConfigWatch.h"
#include "config/AppBase.h"

class CZTTrevanelApp : public CAppBase {
public:
    CZTTrevanelApp();
    ~CZTTrevanelApp() override;

    // Fills the module strings from the module's file path.
    int InitInstance();

    // The new session, or null when hSession has one already. Any thread.
    std::shared_ptr<CTweakSession> CreateSession(void* hSession, const char* profileName);
    void DeleteAllSessions();
    void ReloadSessions(const char* profileName) override;
    // After the host renamed a profile: its live sessions take the new name (RenameProfile).
    void RenameSessions(const char* oldName, const char* newName);

    // The session of hSession, or null; the caller's reference keeps it alive after a destroy.
    std::shared_ptr<CTweakSession> FindSession(void* hSession) const;
    // Removes the session of hSession, if any, from the table at once; it is freed when no
    // transfer holds it any more. Any thread, also from inside a transfer of that session.
    void DestroySession(void* hSession);
    size_t SessionCount() const;
    // When the stored configuration changed since the sessions last read their sets (whoever
    // changed it: another process, the registry editor, a removed and recreated root), every live
    // session reloads as after a save. Each transfer calls it before its first tweak is examined,
    // and each session's creation before its set is read; a transfer that starts during a reload
    // waits for it. Any thread.
    void FollowStoredConfiguration();

private:
    // Allocated at once, so the table never rehashes while the host opens sessions.
    static const size_t kSessionBuckets = 2311;

    std::vector<std::shared_ptr<CTweakSession>> LiveSessions() const;

    // Held while the watch is asked and the sessions reload after a change.
    std::mutex m_followLock;
    CConfigWatch m_watch;

    mutable std::mutex m_sessionsLock;
    // Host session handle to the session.
    std::unordered_map<void*, std::shared_ptr<CTweakSession>> m_mapSessions;
};

// The add-on's application object.
CZTTrevanelApp& GetTheApp();
