// The rights message and the consent question of the writing commands.
#include "ctl/RightsPrompt.h"

#include <string>

#include "config/AppBase.h"

bool OfferConsent(std::istream* console, std::ostream& err) {
    err << "ZTTrevanelCtl: administrator rights are needed to write the configuration (HKEY_USERS\\"
        << kConfigRoot << "); nothing was written.\n";
    if (console == nullptr) {
        // A run without a console (a script, a scheduled task) brings up no prompt of its own.
        err << "Run the command again in a console window, where it offers to ask for an administrator's "
               "consent, or in a command prompt opened as administrator.\n";
        return false;
    }
    err << "Ask Windows for an administrator's consent and write it so? [y/N] ";
    err.flush();
    std::string answer;
    std::getline(*console, answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y' || answer[0] == 'j' || answer[0] == 'J');
}
