// The add-on's resources decoded from their bytes, the same whether the bytes come from the loaded
// module under Wine or from the image's file: dialog templates, string table blocks, the version
// resource and icon groups. Texts come out in UTF-8. Decoders throw std::runtime_error for data
// that ends early.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pe {

struct DialogItem {
    int id = 0;             // -1 for a static without an id
    std::string className;  // "Button", "Edit", "Static", "ListBox", ... or as written
    std::string text;
    uint32_t style = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    std::string caption;
    std::string font;
    int pointSize = 0;
    uint32_t style = 0;
    int cx = 0, cy = 0;
    std::vector<DialogItem> items;  // in template order
};

// A DIALOG or DIALOGEX template.
DialogTemplate DecodeDialog(const std::vector<uint8_t>& data);

// The sixteen strings of a string table block (resource id block), in id order from
// (block - 1) * 16; a missing string is empty.
std::vector<std::string> DecodeStringBlock(const std::vector<uint8_t>& data);

struct VersionInfo {
    // The fixed part's file and product versions, most significant word first: 1, 0, 1, 0.
    std::vector<int> fileVersion, productVersion;
    // "StringFileInfo\<language and code page>\<name>" and "VarFileInfo\Translation" (as
    // hexadecimal words, "0407 04e4") to their values.
    std::map<std::string, std::string> values;
};
VersionInfo DecodeVersion(const std::vector<uint8_t>& data);

struct IconEntry {
    int width = 0, height = 0, colors = 0, planes = 0, bitCount = 0;
    uint32_t bytes = 0;
    // The RT_ICON id in a group, the file offset in a .ico file.
    uint32_t idOrOffset = 0;
};
// An icon group resource (GRPICONDIR) or, with file set, the header of a .ico file (ICONDIR).
std::vector<IconEntry> DecodeIconDirectory(const std::vector<uint8_t>& data, bool file);

}  // namespace pe
