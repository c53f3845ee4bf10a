// The parameter line of a tweak with the two paths of a transfer put in.
#include "config/TweakInfo.h"
#include "runner/ParameterLine.h"

std::string CTweakInfo::BuildParameters(const char* localPath, const char* remotePath) const {
    return BuildParameterLine(m_strExe, m_strParameters, localPath, remotePath).text;
}
