// The help buttons of both dialogs: open the help page in the user's language, or say why not.
#pragma once

// The pages of the two dialogs, each in German and English.
enum class HelpPage { TweakList, TweakEditor };

// Opens m_strModuleFolder + "Help\" + the page's file in the user's interface language (German
// for every language whose primary language is German, English for all others) with its
// associated program, else m_strModuleFolder + that file; when neither opens, shows the help-file
// error naming the first.
void OpenHelpFile(HelpPage page);
