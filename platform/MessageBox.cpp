// Message boxes with the application's caption and texts from the module's string table.
#include "platform/MessageBox.h"

#include "platform/Module.h"
#include "platform/Platform.h"
#include "platform/Ui.h"

std::string GetAppCaption() {
    std::string name = GetModule().GetModuleFileName();
    const size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

int AfxMessageBox(const std::string& text, unsigned type) {
    return GetUi().MessageBox(GetAppCaption(), text, type);
}

int AfxMessageBox(unsigned stringId, unsigned type) {
    return AfxMessageBox(GetModule().LoadString(stringId), type);
}
