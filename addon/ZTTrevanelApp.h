// The module's one application object: the live sessions and the module strings.
#pragma once

#include <memory>
#include <unordered_map>

#include "addon/TweakSession.h"
#include "config/AppBase.h"

class CZTTrevanelApp : public CAppBase {
public:
    CZTTrevanelApp();
    ~CZTTrevanelApp() override;

    // Fills the module strings from the module's file path.
    int InitInstance();

    CTweakSession* CreateSession(void* hSession, const char* profileName);
    void DeleteAllSessions();
    void ReloadSessions(const char* profileName) override;

    // The session of hSession, or null.
    CTweakSession* FindSession(void* hSession) const;
    // Deletes the session of hSession, if any.
    void DestroySession(void* hSession);

    // Host session handle to the owned session.
    std::unordered_map<void*, std::unique_ptr<CTweakSession>> m_mapSessions;
};

// The add-on's application object.
CZTTrevanelApp& GetTheApp();
