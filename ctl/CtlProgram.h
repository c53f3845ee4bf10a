// ZTTrevanelCtl: the configuration tool's commands, on the platform services of the process.
//
//   ZTTrevanelCtl COMMAND [--profile NAME] [options] [arguments]
//
// Commands: list, show, explain, run, check, export, import, history, record, finish, and apply,
// which the add-on starts elevated (see CtlHelp.cpp for each).
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Exit statuses.
enum CtlStatus {
    kCtlOk = 0,
    kCtlFound = 1,   // problems found, tweaks that could not start, nothing to export
    kCtlUsage = 2,   // wrong usage
    kCtlFile = 3,    // a file that cannot be read or written, or a refused registry write
    kCtlInterrupted = 4,  // apply, finish: written, not yet in place (the next reader completes it)
    kCtlRights = 5,  // import, finish: administrator rights are needed; not asked for, or declined
    kCtlChangedSince = 6,  // apply: nothing written, a set no longer holds what the request expected
};

// Reads the file named on the command line whole into *bytes; false, after saying why on err,
// when it cannot be read.
bool ReadInputFile(const std::string& path, std::vector<uint8_t>* bytes, std::ostream& err);

// args without the program's own name. console: the user's answers where the program runs in an
// interactive console, else null; only a command that needs an administrator's consent reads it.
int RunCtlProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  std::istream* console = nullptr);
