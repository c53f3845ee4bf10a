// What the add-on's image must hold, whichever way it is read: loaded under Wine, or from the file
// where it cannot run. The export table with each export's stdcall argument bytes (taken from the
// declarations the DLL is built from), the system DLLs it may import, its string table and its two
// dialog templates, its version resource; and the checks that compare a decoded image with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/common/ResourceDecode.h"

namespace addon_image {

struct ExportEntry {
    const char* name;
    uint32_t ordinal;
    // What the 32-bit stdcall function pops: the "@n" of its decorated symbol.
    int argumentBytes;
};
const std::vector<ExportEntry>& Exports();

// Lower case; every Windows has them and always takes them from its own folder (COMCTL32 is not
// among them: it is searched for like any other DLL).
const std::vector<std::string>& SystemDlls();

struct StringEntry {
    uint32_t id;
    const char* utf8;
};
const std::vector<StringEntry>& Strings();

struct DialogItemEntry {
    int id;
    const char* className;
    const char* utf8;
    int x, y, cx, cy;
};
struct DialogEntry {
    int id;
    const char* caption;
    int cx, cy;
    std::vector<DialogItemEntry> items;
};
const std::vector<DialogEntry>& Dialogs();

// "StringFileInfo\040704e4\CompanyName" and the like, and the fixed part's version.
const std::vector<std::pair<std::string, std::string>>& VersionValues();
const std::vector<int>& Version();

// GoogleTest expectations that a decoded template is the add-on's dialog.
void ExpectDialog(const DialogEntry& want, const pe::DialogTemplate& got);

}  // namespace addon_image
