// The change notification above the configuration root, made again after each change it reports.
#include "config/ConfigWatch.h"

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
    if (m_key != nullptr && !registry.TakeChangeSignal(m_event)) return false;
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
    // The key above the root, or while the root is missing (a fresh install, a removed
    // configuration) the key above the nearest one that exists: a watched key's own deletion
    // need not signal (Wine does not), its removal from the key above it does.
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
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos) {
        registry.CloseKey(key);
        if (registry.OpenKey(HKEY_USERS, path.substr(0, slash).c_str(), &key) != ERROR_SUCCESS) return;
    }
    if (registry.NotifyChange(key, m_event) != ERROR_SUCCESS) {
        registry.CloseKey(key);
        return;
    }
    m_key = key;
}
