// Headless dialogs on the module's real resource script, an in-memory registry, shell and
// module, and an application object that records which sessions were told to reload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/headless/HeadlessUi.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryLauncher.h"
#include "platform/memory/MemoryModule.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/Layout.h"
#include "tests/common/RecordingApp.h"
#include "tests/common/StandIns.h"
#include "ui/resource.h"

// A tweak as a test writes or expects it.
struct TweakValues {
    std::string name;
    std::string exe = "C:\\Tools\\tool.exe";
    std::string parameters;
    int32_t enabled = 1;
    int32_t ignoreCase = 1;
    uint32_t applyTo = TWEAK_APPLY_DOWNLOAD;
    std::vector<std::string> filters;
};

class UiTest : public ::testing::Test {
protected:
    static constexpr const char* kFolder = "C:\\Program Files\\Zorvant\\Add Ons\\";

    UiTest() : m_ui(TREVANEL_SOURCE_DIR "/ui/ZTTrevanelAddon.rc") {}

    void SetUp() override {
        m_module.SetFileName(std::string(kFolder) + "ZTTrevanelAddon.dll");
        m_module.SetStrings(m_ui.Script().Strings());
        m_app.m_strModuleFolder = kFolder;
        // The programs the tests' tweaks name are installed; a test of a missing one removes it.
        for (const char* program : {"C:\\Tools\\tool.exe", "C:\\Tools\\old.exe", "\\\\server\\tools\\run.exe",
                                    "C:\\View\\v.exe", "C:\\Windows\\system32\\e.exe",
                                    "C:\\Windows\\system32\\new.exe", "C:\\Windows\\system32\\x.exe",
                                    "C:\\Windows\\system32\\old.exe"}) {
            m_files.Put(program, {});
        }
    }

    void TearDown() override {
        // A run that went against the rules of a real one, or left something behind.
        for (const std::string& problem : m_ui.Problems()) ADD_FAILURE() << problem;
        EXPECT_EQ(m_ui.PendingDrivers(), 0u) << "a queued dialog never opened";
        EXPECT_EQ(m_ui.PendingMessageBoxAnswers(), 0u) << "a queued message box never showed";
        EXPECT_EQ(m_ui.LiveIconCount(), 0u) << "an icon was not destroyed";
        EXPECT_EQ(m_reg.OpenHandleCount(), 0u);
    }

    // Stores tweaks as the set of profile (empty: global) through the configuration store.
    void Store(const char* profile, const std::vector<TweakValues>& tweaks) {
        CTweakConfig config(profile);
        for (const TweakValues& values : tweaks) {
            CTweakInfo* record = new CTweakInfo;
            record->m_strName = values.name;
            record->m_strExe = values.exe;
            record->m_strParameters = values.parameters;
            record->m_bEnabled = values.enabled;
            record->m_bIgnoreCase = values.ignoreCase;
            record->m_nApplyTo = values.applyTo;
            record->m_arrFilters = values.filters;
            config.m_arrTweaks.push_back(record);
        }
        config.Save();
        m_app.m_reloads.clear();
    }
    void StoreNames(const char* profile, const std::vector<std::string>& names) {
        std::vector<TweakValues> tweaks;
        for (const std::string& name : names) tweaks.push_back(TweakValues{name});
        Store(profile, tweaks);
    }

    std::optional<MemoryRegistry::Key> Key(const std::string& path) const {
        return m_reg.Snapshot(HKEY_USERS, path);
    }
    std::vector<std::string> SubkeyNames(const std::string& path) const {
        std::vector<std::string> names;
        if (auto key = Key(path)) {
            for (const auto& sub : key->subkeys) names.push_back(sub.name);
        }
        return names;
    }
    std::vector<std::string> ValueNames(const std::string& path) const {
        std::vector<std::string> names;
        if (auto key = Key(path)) {
            for (const auto& value : key->values) names.push_back(value.name);
        }
        return names;
    }
    std::optional<uint32_t> Dword(const std::string& path, const char* name) const {
        auto key = Key(path);
        const MemoryRegistry::Value* value = key ? key->FindValue(name) : nullptr;
        if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
        return uint32_t(value->data[0]) | uint32_t(value->data[1]) << 8 |
               uint32_t(value->data[2]) << 16 | uint32_t(value->data[3]) << 24;
    }
    std::optional<std::string> String(const std::string& path, const char* name) const {
        auto key = Key(path);
        const MemoryRegistry::Value* value = key ? key->FindValue(name) : nullptr;
        if (!value || value->type != REG_SZ || value->data.empty() || value->data.back() != 0) {
            return std::nullopt;
        }
        return std::string(value->data.begin(), value->data.end() - 1);
    }
    // The names stored under setKey, in tweak order, as far as "Count" reaches.
    std::vector<std::string> StoredNames(const std::string& setKey) const {
        std::vector<std::string> names;
        const uint32_t count = Dword(setKey, "Count").value_or(0);
        for (uint32_t i = 0; i < count; ++i) {
            names.push_back(String(TweakKey(setKey, int(i)), "Name").value_or("<missing>"));
        }
        return names;
    }

    // A string of the module as the dialogs load it.
    std::string Str(unsigned id) { return m_module.LoadString(id); }

    MemoryRegistry m_reg;
    MemoryLauncher m_launcher;
    MemoryFileSystem m_files;
    MemoryModule m_module;
    HeadlessUi m_ui;
    RecordingApp m_app;
    StandIns m_standIns{m_reg, m_launcher, m_files, m_module, m_ui};
};
