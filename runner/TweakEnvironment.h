// The variables every started tweak finds in its environment: the transfer without any of the
// quoting rules of a parameter line.
#pragma once

#include <string>
#include <vector>

#include "platform/Launcher.h"

// Their names, in the order TweakEnvironment gives them.
extern const char* const kTweakVariableNames[4];

// TREVANEL_LOCAL_FILE_PATH and TREVANEL_REMOTE_FILE_PATH, the paths as the host gave them (null
// counts as empty); TREVANEL_TRANSFER, the name of the type's bit ("download" ... "move-server")
// or else the host's number in decimal; TREVANEL_PROFILE, the session's profile name, empty for
// none; then NoDefaultCurrentDirectoryInExePath=1, which keeps cmd.exe (and Windows' search for
// a program named without a folder) from looking in the current directory before PATH, wherever
// a tweak moves it.
std::vector<EnvironmentVariable> TweakEnvironment(int type, const char* localPath,
                                                  const char* remotePath, const std::string& profile);
