// The in-memory shortcut service.
#include "platform/memory/MemoryShortcutReader.h"

bool MemoryShortcutReader::ReadShortcut(const std::string& path, ShortcutTarget* target) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto found = m_shortcuts.find(path);
    if (found == m_shortcuts.end()) return false;
    *target = found->second;
    return true;
}

void MemoryShortcutReader::Put(const std::string& path, const ShortcutTarget& target) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_shortcuts[path] = target;
}

IShortcutReader& DefaultShortcutReader() {
    static MemoryShortcutReader reader;
    return reader;
}
