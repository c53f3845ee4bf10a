// Building tweak sets in memory for the runner's tests.
#pragma once

#include <cstdint>
#include <string>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "tests/common/InstallProgram.h"

// Appends an enabled tweak named after its program, which is installed; the set owns it.
inline CTweakInfo* AddTweak(CTweakConfig& config, const std::string& exe,
                            const std::string& parameters = "%LOCAL_FILE_PATH%",
                            uint32_t applyTo = TWEAK_APPLY_DOWNLOAD | TWEAK_APPLY_UPLOAD) {
    auto* tweak = new CTweakInfo;
    tweak->m_strName = exe;
    tweak->m_strExe = exe;
    InstallProgram(exe);
    tweak->m_strParameters = parameters;
    tweak->m_nApplyTo = applyTo;
    config.m_arrTweaks.push_back(tweak);
    return tweak;
}
