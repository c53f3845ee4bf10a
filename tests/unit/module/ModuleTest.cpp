// The application object's start and end and the display name export, against the in-memory
// module and registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addon/Exports.h"
#include "addon/ZTTrevanelApp.h"
#include "platform/memory/MemoryModule.h"
#include "platform/memory/MemoryRegistry.h"
#include "tests/common/StandIns.h"

namespace {

const char kName[] = "FTP Zorvant\xAE Trevanel Add-On von www.trevanel.example";

class ModuleTest : public ::testing::Test {
protected:
    MemoryModule m_module;
    MemoryRegistry m_registry;
    StandIns m_standIns{m_module, m_registry};
};

TEST_F(ModuleTest, InitInstanceDerivesTheModuleStringsFromTheModulePath) {
    const struct {
        const char* file;
        const char* path;
        const char* fileName;
        const char* folder;
    } cases[] = {
        {"D:\\Tools\\ZTTrevanelAddon.dll", "D:\\Tools\\ZTTrevanelAddon.DLL", "ZTTrevanelAddon.DLL",
         "D:\\Tools\\"},
        {"C:\\Program Files\\FTP Zorvant\\Add Ons\\ZTTrevanelAddon.Dll",
         "C:\\Program Files\\FTP Zorvant\\Add Ons\\ZTTrevanelAddon.DLL", "ZTTrevanelAddon.DLL",
         "C:\\Program Files\\FTP Zorvant\\Add Ons\\"},
        // Only the last dot counts, and only in the file name.
        {"C:\\v1.2\\Trevanel.Addon.x", "C:\\v1.2\\Trevanel.Addon.DLL", "Trevanel.Addon.DLL",
         "C:\\v1.2\\"},
        {"C:\\v1.2\\ZTTrevanelAddon", "C:\\v1.2\\ZTTrevanelAddon.DLL", "ZTTrevanelAddon.DLL",
         "C:\\v1.2\\"},
        {"ZTTrevanelAddon.dll", "ZTTrevanelAddon.DLL", "ZTTrevanelAddon.DLL", ""},
        {"\\\\server\\share\\ZTTrevanelAddon.dll", "\\\\server\\share\\ZTTrevanelAddon.DLL",
         "ZTTrevanelAddon.DLL", "\\\\server\\share\\"},
        // A module whose path the loader does not tell keeps the strings empty.
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        m_module.SetFileName(c.file);
        CZTTrevanelApp app;
        EXPECT_TRUE(app.m_strModulePath.empty());
        EXPECT_EQ(TRUE, app.InitInstance());
        EXPECT_EQ(c.path, app.m_strModulePath);
        EXPECT_EQ(c.fileName, app.m_strModuleFileName);
        EXPECT_EQ(c.folder, app.m_strModuleFolder);
    }
}

TEST_F(ModuleTest, DestructionLeavesConfigVersionZeroUnderTheCreatedRoot) {
    { CZTTrevanelApp app; }

    const auto root = m_registry.Snapshot(HKEY_USERS, ".DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel");
    ASSERT_TRUE(root.has_value());
    const MemoryRegistry::Value* version = root->FindValue("Config Version");
    ASSERT_NE(nullptr, version);
    EXPECT_EQ(static_cast<uint32_t>(REG_DWORD), version->type);
    EXPECT_EQ(std::vector<uint8_t>(4, 0), version->data);
    EXPECT_EQ(0u, m_registry.OpenHandleCount());
}

TEST_F(ModuleTest, DestructionSkipsTheVersionSilentlyWhenTheRegistryRefuses) {
    m_registry.SetFailure([](const MemoryRegistry::Call& call) {
        return call.op == MemoryRegistry::Op::CreateKey ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    });
    { CZTTrevanelApp app; }
    m_registry.SetFailure(nullptr);
    EXPECT_FALSE(m_registry.Snapshot(HKEY_USERS, ".DEFAULT\\Software\\Tarku Software").has_value());
}

TEST_F(ModuleTest, GetTheAppIsTheLiveApplicationObject) {
    CZTTrevanelApp outer;
    EXPECT_EQ(&outer, &GetTheApp());
    {
        CZTTrevanelApp inner;
        EXPECT_EQ(&inner, &GetTheApp());
    }
    EXPECT_EQ(&outer, &GetTheApp());
}

TEST_F(ModuleTest, NameFillsTheBufferCutAndPaddedWithZeros) {
    m_module.SetString(1000, kName);
    const std::string full = kName;
    for (uint32_t size : {1u, 5u, static_cast<uint32_t>(full.size()), static_cast<uint32_t>(full.size() + 1), 300u}) {
        SCOPED_TRACE(size);
        std::vector<char> buffer(size + 1, 'x');
        ZTAddOnName(buffer.data(), size);
        std::string expected = full.substr(0, size - 1);
        expected.resize(size, '\0');
        EXPECT_EQ(expected, std::string(buffer.data(), size));
        EXPECT_EQ('x', buffer[size]);
    }
}

TEST_F(ModuleTest, NameWithoutStringIsEmptyAndWithoutRoomTouchesNothing) {
    std::vector<char> buffer(16, 'x');
    ZTAddOnName(buffer.data(), 16);
    EXPECT_EQ(std::string(16, '\0'), std::string(buffer.data(), 16));

    m_module.SetString(1000, kName);
    std::vector<char> untouched(4, 'x');
    ZTAddOnName(untouched.data(), 0);
    EXPECT_EQ("xxxx", std::string(untouched.data(), 4));
    ZTAddOnName(nullptr, 0);
    ZTAddOnName(nullptr, 300);
}

}  // namespace
