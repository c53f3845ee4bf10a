// The shortcut service: what a shell link file (".lnk") starts, so that a tweak's line is judged
// by the rules of the program behind it. Paths and arguments are 8-bit text in the ANSI code page.
#pragma once

#include <string>

// What a shortcut starts: the file and the arguments stored in the shortcut itself.
struct ShortcutTarget {
    // The full path of the target file, environment variables expanded as the shell expands
    // them when it starts the shortcut.
    std::string path;
    // The shortcut's own arguments, exactly as stored; empty when it has none.
    std::string arguments;
};

class IShortcutReader {
public:
    virtual ~IShortcutReader() = default;

    // Reads the shell link file at path. True with *target set when the file is a shortcut whose
    // target is a file system path. False, *target untouched, when the file is missing or cannot
    // be read, is no shortcut, or its target is no file (a Control Panel item, an address) or has
    // a path the ANSI code page cannot hold. Reads the file only: no search for a moved target,
    // no window, no wait for a person, nothing written. Never throws. Any thread may call it, but
    // not while the loader lock is held (DllMain).
    virtual bool ReadShortcut(const std::string& path, ShortcutTarget* target) = 0;
};

IShortcutReader& GetShortcutReader();
// Replaces the service for the rest of the process, or restores the default with null. Not
// synchronised: tests install their stand-in before any other thread uses the service.
void SetShortcutReader(IShortcutReader* reader);
// The linked default (Win32 or in memory).
IShortcutReader& DefaultShortcutReader();
