// The configuration tool on in-memory services: registry, launcher and files, and helpers to run
// a command and store sets.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../config/ConfigFixture.h"
#include "config/TweakInfo.h"
#include "ctl/CtlProgram.h"
#include "platform/FileSystem.h"
#include "platform/headless/HeadlessUi.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "tests/common/InstallProgram.h"

struct CtlResult {
    int status = -1;
    std::string out;
    std::string err;
};

class CtlTest : public ConfigTest {
protected:
    CtlTest() { m_ui.SetUserUiLanguage(0x0409); }

    void TearDown() override {
        EXPECT_EQ(m_launcher.OpenHandleCount(), 0u);
        ConfigTest::TearDown();
    }

    // answers: what the user types in an interactive console; none: no console.
    CtlResult Run(const std::vector<std::string>& args, const char* answers = nullptr) {
        std::ostringstream out, err;
        std::istringstream console(answers ? answers : "");
        CtlResult result;
        result.status = RunCtlProgram(args, out, err, answers ? &console : nullptr);
        result.out = out.str();
        result.err = err.str();
        return result;
    }

    // A tweak key with all seven values, as the add-on saves it; its program is installed.
    void PutTweak(const std::string& setKey, int index, const std::string& name, const std::string& exe,
                  const std::string& parameters, uint32_t applyTo, const std::string& filter = "",
                  uint32_t enabled = 1, uint32_t ignoreCase = 1) {
        const std::string key = TweakKey(setKey, index);
        PutString(key, "Name", name);
        PutString(key, "Exe", exe);
        InstallProgram(exe);
        PutString(key, "Parameters", parameters);
        PutDword(key, "Enabled", enabled);
        PutDword(key, "Ignore Case", ignoreCase);
        PutDword(key, "Apply To", applyTo);
        PutString(key, "Filter", filter);
    }

    MemoryLauncher m_launcher;
    MemoryFileSystem m_files;
    // An English-speaking user unless a test sets another language.
    HeadlessUi m_ui;
    StandIns m_ctlStandIns{m_launcher, m_files, m_ui};
};
