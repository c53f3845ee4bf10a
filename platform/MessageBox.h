// Message boxes under the application's caption: the module's file name without its extension,
// since the application has no title of its own.
#pragma once

#include <string>

// The caption: "ZTTrevanelAddon" for ...\ZTTrevanelAddon.dll.
std::string GetAppCaption();

// Shows text with MB_* type and returns the button pressed.
int AfxMessageBox(const std::string& text, unsigned type);
// Shows string-table entry stringId of the module.
int AfxMessageBox(unsigned stringId, unsigned type);
