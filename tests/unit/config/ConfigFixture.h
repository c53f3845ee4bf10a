// A fresh in-memory registry and an application object that records session reloads.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/memory/MemoryRegistry.h"
#include "tests/common/Layout.h"
#include "tests/common/RecordingApp.h"
#include "tests/common/StandIns.h"

class ConfigTest : public ::testing::Test {
protected:
    void TearDown() override {
        // No registry access may leave a key open.
        EXPECT_EQ(m_reg.OpenHandleCount(), 0u);
    }

    void Put(const std::string& path, const char* name, uint32_t type, std::vector<uint8_t> data) {
        HKEY key;
        ASSERT_EQ(m_reg.CreateKey(HKEY_USERS, path.c_str(), &key), ERROR_SUCCESS);
        // A non-zero byte after the data, so that the registry stores exactly these bytes.
        data.push_back(0xEE);
        ASSERT_EQ(m_reg.SetValue(key, name, type, data.data(), uint32_t(data.size() - 1)),
                  ERROR_SUCCESS);
        ASSERT_EQ(m_reg.CloseKey(key), ERROR_SUCCESS);
    }
    void PutString(const std::string& path, const char* name, const std::string& text) {
        Put(path, name, REG_SZ, std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1));
    }
    void PutDword(const std::string& path, const char* name, uint32_t value) {
        Put(path, name, REG_DWORD,
            {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)});
    }

    // The stored value, or nullptr.
    const MemoryRegistry::Value* Get(const std::string& path, const char* name) {
        m_snapshot = m_reg.Snapshot(HKEY_USERS, path);
        return m_snapshot ? m_snapshot->FindValue(name) : nullptr;
    }
    bool Exists(const std::string& path) { return m_reg.Snapshot(HKEY_USERS, path).has_value(); }
    std::vector<std::string> SubkeyNames(const std::string& path) {
        std::vector<std::string> names;
        if (auto key = m_reg.Snapshot(HKEY_USERS, path)) {
            for (const auto& sub : key->subkeys) names.push_back(sub.name);
        }
        return names;
    }

    MemoryRegistry m_reg;
    RecordingApp m_app;
    std::optional<MemoryRegistry::Key> m_snapshot;
    StandIns m_standIns{m_reg};
};

inline std::vector<uint8_t> Dword(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}
inline std::vector<uint8_t> Sz(const std::string& text) {
    return std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1);
}

// Two keys hold the same names, types and bytes, all the way down.
inline void ExpectSameTree(const MemoryRegistry::Key& expected, const MemoryRegistry::Key& actual,
                           const std::string& where = "") {
    ASSERT_EQ(expected.values.size(), actual.values.size()) << where;
    for (const auto& value : expected.values) {
        const MemoryRegistry::Value* copy = actual.FindValue(value.name);
        ASSERT_NE(copy, nullptr) << where << " value " << value.name;
        EXPECT_EQ(copy->name, value.name) << where;
        EXPECT_EQ(copy->type, value.type) << where << " value " << value.name;
        EXPECT_EQ(copy->data, value.data) << where << " value " << value.name;
    }
    ASSERT_EQ(expected.subkeys.size(), actual.subkeys.size()) << where;
    for (size_t i = 0; i < expected.subkeys.size(); ++i) {
        EXPECT_EQ(expected.subkeys[i].name, actual.subkeys[i].name) << where;
        ExpectSameTree(expected.subkeys[i], actual.subkeys[i], where + "\\" + expected.subkeys[i].name);
    }
}
