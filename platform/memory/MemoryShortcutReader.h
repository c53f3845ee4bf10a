// The shortcut service in memory: the shortcuts a test puts in, by their exact path.
#pragma once

#include <map>
#include <mutex>

#include "platform/ShortcutReader.h"

class MemoryShortcutReader : public IShortcutReader {
public:
    // What Put stored for path; false for every other path (an unreadable shortcut).
    bool ReadShortcut(const std::string& path, ShortcutTarget* target) override;

    void Put(const std::string& path, const ShortcutTarget& target);

private:
    std::mutex m_mutex;
    std::map<std::string, ShortcutTarget> m_shortcuts;
};
