// The part of the module's application object that the configuration store, the dialogs and the
// install hooks reach through AfxGetApp(): the module strings, the registry operations and the
// reload of live sessions after a save. CZTTrevanelApp derives from it and adds the sessions.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

class CAppBase {
public:
    CAppBase();
    virtual ~CAppBase();

    // The configuration root below HKEY_USERS followed by relative.
    std::string GetRegistryPath(const std::string& relative) const;

    void WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text) const;
    void WriteRegDword(HKEY root, const char* subKey, const char* valueName, int32_t value) const;
    std::string ReadRegString(HKEY root, const char* subKey, const char* valueName,
                              const std::string& def) const;
    int32_t ReadRegDword(HKEY root, const char* subKey, const char* valueName, int32_t def) const;

    // Copies every subkey and value of hSource into hTarget. Returns true when nothing was left out.
    bool CopyRegTree(HKEY hSource, HKEY hTarget) const;
    // Moves the key oldPath below HKEY_USERS to newPath unless newPath exists already.
    void MoveRegKey(const char* oldPath, const char* newPath) const;
    // Deletes the key path below HKEY_USERS with all its subkeys and values. Does nothing for a
    // path that does not lie strictly below the configuration root's "Configurations" key.
    void DeleteRegTree(const char* path) const;

    // Makes every live session of profileName (every one for the empty name) reload its tweaks.
    virtual void ReloadSessions(const char* profileName);

    std::string m_strModulePath;
    std::string m_strModuleFileName;
    std::string m_strModuleFolder;

private:
    CAppBase* m_pPrevious;
};

// The application object of the module: the most recently constructed one that still lives.
CAppBase* AfxGetApp();

// The configuration root below HKEY_USERS, with its final backslash.
extern const char* const kConfigRoot;
