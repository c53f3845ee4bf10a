// The application object's table of live host sessions.
#include "addon/ZTTrevanelApp.h"

CTweakSession* CZTTrevanelApp::CreateSession(void* hSession, const char* profileName) {
    // A second create for a live handle changes nothing: the first session keeps its profile and
    // its tweaks, and the registry is not read.
    if (FindSession(hSession) != nullptr) return nullptr;
    auto session = std::make_unique<CTweakSession>(hSession, profileName);
    CTweakSession* created = session.get();
    m_mapSessions[hSession] = std::move(session);
    return created;
}

void CZTTrevanelApp::DeleteAllSessions() { m_mapSessions.clear(); }

void CZTTrevanelApp::ReloadSessions(const char* profileName) {
    for (auto& entry : m_mapSessions) {
        if (entry.second) entry.second->ReloadIfProfile(profileName ? profileName : "");
    }
}

CTweakSession* CZTTrevanelApp::FindSession(void* hSession) const {
    const auto it = m_mapSessions.find(hSession);
    return it == m_mapSessions.end() ? nullptr : it->second.get();
}

void CZTTrevanelApp::DestroySession(void* hSession) {
    const auto it = m_mapSessions.find(hSession);
    if (it == m_mapSessions.end() || !it->second) return;
    m_mapSessions.erase(it);
}
