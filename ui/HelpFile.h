// The help buttons of both dialogs: open a help file beside the module, or say why not.
#pragma once

// Opens m_strModuleFolder + "Help\" + fileName with its associated program, else
// m_strModuleFolder + fileName; when neither opens, shows the help-file error naming the first.
void OpenHelpFile(const char* fileName);
