// The parameter line of a tweak for one transfer.
#pragma once

#include <string>

struct ParameterLine {
    std::string text;
    // A path holding a double quote was put into the line. Such a path could close the quotes the
    // user wrote around its placeholder and add arguments of the server's choosing.
    bool insertsQuote = false;
};

// Replaces every "%LOCAL_FILE_PATH%" in parameters by localPath, then every "%REMOTE_FILE_PATH%"
// in the result by remotePath (so a local path holding the remote placeholder gets it replaced).
// Case-sensitive, left to right, no overlaps; null paths count as empty.
ParameterLine ExpandParameters(const std::string& parameters, const char* localPath,
                               const char* remotePath);
