// The shared registry cases against the in-memory registry, and what only the twin offers tests.
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/memory/MemoryRegistry.h"
#include "tests/shared/RegistrySuite.h"

INSTANTIATE_TEST_SUITE_P(Memory, RegistrySuite,
                         ::testing::Values(RegistryTarget{
                             "Memory", [] { return std::make_shared<MemoryRegistry>(); },
                             HKEY_USERS, ".DEFAULT\\Software\\Trevanel Registry Suite"}),
                         [](const ::testing::TestParamInfo<RegistryTarget>& info) {
                             return info.param.name;
                         });

namespace {

TEST(MemoryRegistry, ChosenCallsFailWithTheirErrorAndChangeNothing) {
    MemoryRegistry reg;
    reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        if (call.op == MemoryRegistry::Op::CreateKey &&
            MemoryRegistry::SameName(call.keyPath, "HKEY_USERS\\.DEFAULT\\Locked")) {
            return ERROR_ACCESS_DENIED;
        }
        if (call.op == MemoryRegistry::Op::SetValue && call.valueName == "Exe") return ERROR_OUTOFMEMORY;
        return ERROR_SUCCESS;
    });
    HKEY key = nullptr;
    EXPECT_EQ(reg.CreateKey(HKEY_USERS, ".default\\locked", &key), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(reg.Snapshot(HKEY_USERS, ".DEFAULT\\Locked"));

    ASSERT_EQ(reg.CreateKey(HKEY_USERS, ".DEFAULT\\Open", &key), ERROR_SUCCESS);
    const uint8_t data[] = {'x', 0};
    EXPECT_EQ(reg.SetValue(key, "Exe", REG_SZ, data, 2), ERROR_OUTOFMEMORY);
    EXPECT_EQ(reg.SetValue(key, "Name", REG_SZ, data, 2), ERROR_SUCCESS);
    EXPECT_EQ(reg.OpenHandleCount(), 1u);
    EXPECT_EQ(reg.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);

    reg.SetFailure(nullptr);
    const auto open = reg.Snapshot(HKEY_USERS, ".default\\open");
    ASSERT_TRUE(open);
    ASSERT_EQ(open->values.size(), 1u);
    EXPECT_EQ(open->values[0].name, "Name");
}

TEST(MemoryRegistry, TwoThreadsChangingTheSameKeyLoseNothing) {
    MemoryRegistry reg;
    auto work = [&reg](const char* prefix) {
        for (int i = 0; i < 500; ++i) {
            HKEY key;
            const std::string name = std::string(prefix) + std::to_string(i);
            ASSERT_EQ(reg.CreateKey(HKEY_USERS, (".DEFAULT\\Shared\\" + name).c_str(), &key), ERROR_SUCCESS);
            const uint8_t data[] = {1, 0, 0, 0};
            ASSERT_EQ(reg.SetValue(key, name.c_str(), REG_DWORD, data, 4), ERROR_SUCCESS);
            ASSERT_EQ(reg.CloseKey(key), ERROR_SUCCESS);
        }
    };
    std::thread a(work, "a"), b(work, "b");
    a.join();
    b.join();
    const auto shared = reg.Snapshot(HKEY_USERS, ".DEFAULT\\Shared");
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->subkeys.size(), 1000u);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

}  // namespace
