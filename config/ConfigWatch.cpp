// The change notification on the configuration root, made again after each change it reports.
#include "config/ConfigWatch.h"

#include <cstdint>
#include <string>

#include "config/AppBase.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

CConfigWatch::~CConfigWatch() {
    Stop();
    GetRegistry().CloseChangeEvent(m_event);
}

bool CConfigWatch::TakeChange() {
    IRegistry& registry = GetRegistry();
    // The deletion of the watched key itself need not signal (Wine does not); its handle tells.
    uint32_t size = 0;
    if (m_key != nullptr && !registry.TakeChangeSignal(m_event) &&
        registry.QueryValue(m_key, "", nullptr, nullptr, &size) != ERROR_KEY_DELETED) {
        return false;
    }
    Stop();
    Start();
    return true;
}

void CConfigWatch::Stop() {
    if (m_key == nullptr) return;
    IRegistry& registry = GetRegistry();
    registry.CloseKey(m_key);
    m_key = nullptr;
    // Closing the handle signals the event; that signal reports no change.
    registry.TakeChangeSignal(m_event);
}

void CConfigWatch::Start() {
    IRegistry& registry = GetRegistry();
    if (m_event == nullptr) m_event = registry.CreateChangeEvent();
    if (m_event == nullptr) return;
    // The root itself, or while it is missing (a fresh install, a removed configuration) the
    // nearest key above it, down to the default user's key.
    std::string path = kConfigRoot;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    HKEY key = nullptr;
    long error;
    while ((error = registry.OpenKey(HKEY_USERS, path.c_str(), &key)) == ERROR_FILE_NOT_FOUND) {
        const size_t slash = path.find_last_of('\\');
        if (slash == std::string::npos) return;
        path.erase(slash);
    }
    if (error != ERROR_SUCCESS) return;
    if (registry.NotifyChange(key, m_event) != ERROR_SUCCESS) {
        registry.CloseKey(key);
        return;
    }
    m_key = key;
}
