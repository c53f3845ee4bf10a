// The parameter line of a tweak with the two paths of a transfer put in.
#include "config/TweakInfo.h"
#include "runner/ParameterLine.h"

namespace {

// Returns whether placeholder occurred at all.
bool ReplaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
    std::string result;
    size_t from = 0;
    bool replaced = false;
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, from)) {
        result.append(text, from, at - from);
        result.append(value);
        from = at + placeholder.size();
        replaced = true;
    }
    if (!replaced) return false;
    result.append(text, from, std::string::npos);
    text.swap(result);
    return true;
}

}  // namespace

ParameterLine ExpandParameters(const std::string& parameters, const char* localPath,
                               const char* remotePath) {
    const std::string local = localPath ? localPath : "";
    const std::string remote = remotePath ? remotePath : "";
    ParameterLine line{parameters, false};
    if (ReplaceAll(line.text, "%LOCAL_FILE_PATH%", local) && local.find('"') != std::string::npos)
        line.insertsQuote = true;
    if (ReplaceAll(line.text, "%REMOTE_FILE_PATH%", remote) && remote.find('"') != std::string::npos)
        line.insertsQuote = true;
    return line;
}

std::string CTweakInfo::BuildParameters(const char* localPath, const char* remotePath) const {
    return ExpandParameters(m_strParameters, localPath, remotePath).text;
}
