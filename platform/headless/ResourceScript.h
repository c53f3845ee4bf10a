// Reads the module's resource script (.rc with its resource.h) the way the resource compiler
// would for what the headless dialogs need: dialog templates with their CONTROL statements, the
// string table and the icon ids. Texts come out as 8-bit text in code page 1252, as LoadStringA
// and GetDlgItemTextA give them on the platform.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ControlTemplate {
    std::string text;
    int id;
    std::string className;  // as written: "Button", "Edit", "ListBox", "Static", "msctls_updown32"
    uint32_t style;
    int x, y, cx, cy;
};

struct DialogTemplate {
    unsigned id;
    std::string caption;
    std::vector<ControlTemplate> controls;  // in template order, which is the tab order
};

class ResourceScript {
public:
    // Parses rcPath and the resource.h beside it. False, with Error() saying why, when either
    // cannot be read or holds a statement of the handled kinds that does not parse.
    bool Load(const std::string& rcPath);
    const std::string& Error() const { return m_error; }

    const DialogTemplate* FindDialog(unsigned id) const;
    const std::map<unsigned, std::string>& Strings() const { return m_strings; }
    bool HasIcon(unsigned id) const;

private:
    std::map<unsigned, DialogTemplate> m_dialogs;
    std::map<unsigned, std::string> m_strings;
    std::vector<unsigned> m_icons;
    std::string m_error;
};

// UTF-8 text to code page 1252; characters that the code page lacks become '?'.
std::string Utf8ToAnsi(const std::string& utf8);
