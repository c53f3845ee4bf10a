// What a transfer puts into the environment of its tweaks.
#include "runner/TweakEnvironment.h"

#include "runner/TransferName.h"

const char* const kTweakVariableNames[4] = {"TREVANEL_LOCAL_FILE_PATH", "TREVANEL_REMOTE_FILE_PATH",
                                            "TREVANEL_TRANSFER", "TREVANEL_PROFILE"};

std::vector<EnvironmentVariable> TweakEnvironment(int type, const char* localPath,
                                                  const char* remotePath, const std::string& profile) {
    // The runner uses the type as a bit number (type AND 31); so does the name.
    const char* name = TransferBitName(static_cast<unsigned>(type) & 31u);
    return {{kTweakVariableNames[0], localPath ? localPath : ""},
            {kTweakVariableNames[1], remotePath ? remotePath : ""},
            {kTweakVariableNames[2], name ? name : std::to_string(type)},
            {kTweakVariableNames[3], profile},
            {"NoDefaultCurrentDirectoryInExePath", "1"}};
}
