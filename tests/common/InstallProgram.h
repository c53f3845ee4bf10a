// Tweaks name programs that exist: the add-on starts no program whose full path names no file.
#pragma once

#include <string>

#include "platform/memory/MemoryFileSystem.h"

// A program named by its full path exists in the in-memory file system in use, as an installed
// one does (a bare name stays as the test has the folders). Quotes around the path are the
// tweak's. Returns exe, to be typed or stored.
inline std::string InstallProgram(const std::string& exe) {
    std::string path = exe;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    auto* files = dynamic_cast<MemoryFileSystem*>(&GetFileSystem());
    const bool full = (path.size() > 2 && path[1] == ':') || path.compare(0, 2, "\\\\") == 0;
    if (files != nullptr && full) files->Put(path, {});
    return exe;
}
