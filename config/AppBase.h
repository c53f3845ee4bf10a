// The part of the module's application object that the configuration store, the dialogs and the
// install hooks reach through AfxGetApp(): the module strings, the registry operations and the
// reload of live sessions after a save. CZTTrevanelApp derives from it and adds the sessions.
#pragma once

#include <cstdint>
#include <string>

#include "config/RegistryTree.h"
#include "config/RegistryValues.h"
#include "platform/WinTypes.h"

class CAppBase {
public:
    CAppBase();
    virtual ~CAppBase();

    // The configuration root below HKEY_USERS followed by relative.
    std::string GetRegistryPath(const std::string& relative) const;

    // The registry operations; each lives, with its contract, in the header it names.
    // config/RegistryValues.h:
    void WriteRegString(HKEY root, const char* subKey, const char* valueName, const char* text) const {
        ::WriteRegString(root, subKey, valueName, text);
    }
    void WriteRegDword(HKEY root, const char* subKey, const char* valueName, int32_t value) const {
        ::WriteRegDword(root, subKey, valueName, value);
    }
    std::string ReadRegString(HKEY root, const char* subKey, const char* valueName,
                              const std::string& def) const {
        return ::ReadRegString(root, subKey, valueName, def);
    }
    int32_t ReadRegDword(HKEY root, const char* subKey, const char* valueName, int32_t def) const {
        return ::ReadRegDword(root, subKey, valueName, def);
    }
    // config/RegistryTree.h:
    bool CopyRegTree(HKEY hSource, HKEY hTarget) const { return ::CopyRegTree(hSource, hTarget); }
    void MoveRegKey(const char* oldPath, const char* newPath) const { ::MoveRegKey(oldPath, newPath); }
    void DeleteRegTree(const char* path) const { ::DeleteRegTree(path); }

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
// What the add-on keeps for each Windows user, below HKEY_CURRENT_USER.
extern const char* const kUserKey;
// What the add-on keeps for each Windows user in files: its folder in the user's local application
// data folder, without a final backslash; empty when the system names none.
std::string UserDataFolder();
