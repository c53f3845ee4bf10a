// The application object's table of live host sessions. Every export may run on any thread and
// re-enter the add-on from inside a wait that dispatches messages, so the table is locked and a
// transfer holds its session by a reference of its own: a session destroyed meanwhile leaves the
// table at once and is freed when the last transfer using it returns.
#include "addon/ZTTrevanelApp.h"

std::shared_ptr<CTweakSession> CZTTrevanelApp::CreateSession(void* hSession, const char* profileName) {
    // A second create for a live handle changes nothing: the first session keeps its profile and
    // its tweaks, and the registry is not read.
    if (FindSession(hSession) != nullptr) return nullptr;
    FollowStoredConfiguration();
    // The set is read without the table's lock, which no registry read may hold up.
    auto session = std::make_shared<CTweakSession>(hSession, profileName);
    std::lock_guard<std::mutex> guard(m_sessionsLock);
    return m_mapSessions.emplace(hSession, session).second ? session : nullptr;
}

void CZTTrevanelApp::DeleteAllSessions() {
    std::unordered_map<void*, std::shared_ptr<CTweakSession>> gone;
    {
        std::lock_guard<std::mutex> guard(m_sessionsLock);
        gone.swap(m_mapSessions);
        m_mapSessions.rehash(kSessionBuckets);
    }
}

void CZTTrevanelApp::ReloadSessions(const char* profileName) {
    for (const auto& session : LiveSessions()) session->ReloadIfProfile(profileName ? profileName : "");
}

void CZTTrevanelApp::RenameSessions(const char* oldName, const char* newName) {
    for (const auto& session : LiveSessions()) session->RenameProfile(oldName, newName);
}

void CZTTrevanelApp::FollowStoredConfiguration() {
    std::lock_guard<std::mutex> guard(m_followLock);
    if (m_watch.TakeChange()) ReloadSessions("");
}

std::vector<std::shared_ptr<CTweakSession>> CZTTrevanelApp::LiveSessions() const {
    std::vector<std::shared_ptr<CTweakSession>> sessions;
    std::lock_guard<std::mutex> guard(m_sessionsLock);
    for (const auto& entry : m_mapSessions) {
        if (entry.second) sessions.push_back(entry.second);
    }
    return sessions;
}

std::shared_ptr<CTweakSession> CZTTrevanelApp::FindSession(void* hSession) const {
    std::lock_guard<std::mutex> guard(m_sessionsLock);
    const auto it = m_mapSessions.find(hSession);
    return it == m_mapSessions.end() ? nullptr : it->second;
}

size_t CZTTrevanelApp::SessionCount() const {
    std::lock_guard<std::mutex> guard(m_sessionsLock);
    return m_mapSessions.size();
}

void CZTTrevanelApp::DestroySession(void* hSession) {
    std::shared_ptr<CTweakSession> gone;
    std::lock_guard<std::mutex> guard(m_sessionsLock);
    const auto it = m_mapSessions.find(hSession);
    if (it == m_mapSessions.end()) return;
    // Freed after the lock is given back, or by the last transfer still running on it.
    gone = std::move(it->second);
    m_mapSessions.erase(it);
}
