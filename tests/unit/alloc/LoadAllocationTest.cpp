// Loading a tweak set when an allocation fails: the set stays as it was and no record is lost.
// This program replaces the global operator new, so that a test can make the n-th one fail.
#include <atomic>
#include <cstdlib>
#include <new>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "config/AppBase.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/StandIns.h"

namespace {
thread_local long g_allocationsBeforeFailure = -1;
// The real registry allocates nothing of ours and never throws: inside its stand-in's calls no
// allocation fails.
thread_local bool g_inRegistry = false;
std::atomic<long> g_liveAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (g_allocationsBeforeFailure == 0 && !g_inRegistry) {
        g_allocationsBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (g_allocationsBeforeFailure > 0 && !g_inRegistry) --g_allocationsBeforeFailure;
    void* block = std::malloc(size ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    ++g_liveAllocations;
    return block;
}

void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    --g_liveAllocations;
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

class NonThrowingRegistry : public IRegistry {
public:
    long CreateKey(HKEY parent, const char* subKey, HKEY* result) override {
        return Call([&] { return m_registry.CreateKey(parent, subKey, result); });
    }
    long OpenKey(HKEY parent, const char* subKey, HKEY* result) override {
        return Call([&] { return m_registry.OpenKey(parent, subKey, result); });
    }
    long OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) override {
        return Call([&] { return m_registry.OpenKeyToWrite(parent, subKey, result); });
    }
    long QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) override {
        return Call([&] { return m_registry.QueryValue(key, name, type, data, size); });
    }
    long SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) override {
        return Call([&] { return m_registry.SetValue(key, name, type, data, size); });
    }
    long EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) override {
        return Call([&] { return m_registry.EnumKey(key, index, name, nameSize); });
    }
    long EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen, uint32_t* type,
                   uint8_t* data, uint32_t* dataSize) override {
        return Call([&] { return m_registry.EnumValue(key, index, name, nameLen, type, data, dataSize); });
    }
    long DeleteKey(HKEY parent, const char* subKey) override {
        return Call([&] { return m_registry.DeleteKey(parent, subKey); });
    }
    long DeleteValue(HKEY key, const char* name) override {
        return Call([&] { return m_registry.DeleteValue(key, name); });
    }
    long CloseKey(HKEY key) override {
        return Call([&] { return m_registry.CloseKey(key); });
    }
    long FlushKey(HKEY key) override { return m_registry.FlushKey(key); }
    long BeginTurn(uint32_t timeoutMs) override { return m_registry.BeginTurn(timeoutMs); }
    void EndTurn() override { m_registry.EndTurn(); }
    long NotifyChange(HKEY key, void* event) override {
        return Call([&] { return m_registry.NotifyChange(key, event); });
    }
    void* CreateChangeEvent() override { return m_registry.CreateChangeEvent(); }
    bool TakeChangeSignal(void* event) override { return m_registry.TakeChangeSignal(event); }
    void CloseChangeEvent(void* event) override { m_registry.CloseChangeEvent(event); }
    size_t OpenHandleCount() const { return m_registry.OpenHandleCount(); }
    void StopAtMutatingCall(std::optional<size_t> call) { m_registry.StopAtMutatingCall(call); }

private:
    template <typename F>
    long Call(F call) {
        g_inRegistry = true;
        const long result = call();
        g_inRegistry = false;
        return result;
    }
    MemoryRegistry m_registry;
};

TEST(LoadAllocation, AFailedAllocationLeavesTheSetAsItWasAndLeaksNothing) {
    NonThrowingRegistry registry;
    StandIns standIns{registry};
    {
        CAppBase app;
        {
            CTweakConfig stored("Work");
            for (const char* name : {"a", "b", "c"}) {
                stored.m_arrTweaks.push_back(new CTweakInfo);
                stored.m_arrTweaks.back()->m_strName = std::string(name) + std::string(40, 'x');
            }
            stored.Save();
        }
        CTweakConfig config("Work");
        config.m_arrTweaks.push_back(new CTweakInfo);
        CTweakInfo* const sentinel = config.m_arrTweaks.back();
        bool loaded = false;
        for (long n = 0; !loaded && n < 10000; ++n) {
            const long live = g_liveAllocations;
            g_allocationsBeforeFailure = n;
            try {
                config.Load();
                loaded = true;
            } catch (const std::bad_alloc&) {
                ASSERT_EQ(1u, config.m_arrTweaks.size()) << "allocation " << n;
                ASSERT_EQ(sentinel, config.m_arrTweaks[0]) << "allocation " << n;
                EXPECT_EQ(live, g_liveAllocations.load()) << "allocation " << n;
                EXPECT_EQ(0u, registry.OpenHandleCount()) << "allocation " << n;
            }
            g_allocationsBeforeFailure = -1;
        }
        ASSERT_TRUE(loaded);
        EXPECT_EQ(3u, config.m_arrTweaks.size());
    }
}

// A load that completes a write left committed and runs out of memory on the way gives the
// configuration's turn back and closes every key.
TEST(LoadAllocation, AFailedCompletionGivesTheTurnBack) {
    NonThrowingRegistry registry;
    StandIns standIns{registry};
    CAppBase app;
    CTweakConfig stored("Work");
    stored.m_arrTweaks.push_back(new CTweakInfo);
    stored.m_arrTweaks.back()->m_strName = std::string(40, 'x');
    bool loaded = false;
    for (long n = 0; !loaded && n < 10000; ++n) {
        stored.Save();
        // The same set saved again, ended once committed.
        registry.StopAtMutatingCall(5);
        ReplaceStoredSet(stored);
        registry.StopAtMutatingCall(std::nullopt);
        CTweakConfig config("Work");
        g_allocationsBeforeFailure = n;
        try {
            config.Load();
            loaded = true;
        } catch (const std::bad_alloc&) {
        }
        g_allocationsBeforeFailure = -1;
        EXPECT_EQ(0u, registry.OpenHandleCount()) << "allocation " << n;
        long turn = -1;
        std::thread other([&] {
            turn = registry.BeginTurn(0);
            if (turn == ERROR_SUCCESS) registry.EndTurn();
        });
        other.join();
        ASSERT_EQ(turn, ERROR_SUCCESS) << "the configuration's turn stays taken after allocation " << n;
    }
    EXPECT_TRUE(loaded);
}

}  // namespace
