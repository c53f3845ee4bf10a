// The add-on as the loader and the host see it: its export table, its imports, the display name
// export and what its load and unload leave behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "addon/Exports.h"
#include "addon/ZTTrevanelApp.h"
#include "platform/win32/Win32Module.h"
#include "tests/common/AddonImage.h"
#include "tests/common/StandIns.h"
#include "tests/wine/common/WineHarness.h"

namespace {

const char kMakerKey[] = ".DEFAULT\\Software\\Tarku Software";
const char kConfigKey[] = ".DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel";

std::string AddonName() { return wine::Cp1252("FTP Zorvant® Trevanel Add-On von www.trevanel.example"); }

template <typename T>
const T* At(HMODULE module, DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

// The headers of the build's own architecture: the test program is built with the add-on.
const IMAGE_NT_HEADERS* Headers(HMODULE module) {
    return At<IMAGE_NT_HEADERS>(module, reinterpret_cast<const IMAGE_DOS_HEADER*>(module)->e_lfanew);
}

const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int entry) {
    return Headers(module)->OptionalHeader.DataDirectory[entry];
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(ModuleLoad, AnsiCodePageIs1252) {
    // Every byte-for-byte text check below relies on it; Wine takes it from the Unix locale.
    EXPECT_EQ(1252u, GetACP());
}

TEST(ModuleLoad, ExportTableHoldsTheTenPlainNamesAtTheirOrdinals) {
    wine::AddonCopy addon;
    HMODULE module = addon.Load();
    ASSERT_NE(nullptr, module) << GetLastError();
    EXPECT_EQ(sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386,
              Headers(module)->FileHeader.Machine);

    const IMAGE_DATA_DIRECTORY& directory = Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(0u, directory.VirtualAddress);
    const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(module, directory.VirtualAddress);
    const DWORD* names = At<DWORD>(module, exports->AddressOfNames);
    const WORD* nameOrdinals = At<WORD>(module, exports->AddressOfNameOrdinals);

    std::vector<std::pair<std::string, DWORD>> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.emplace_back(At<char>(module, names[i]), exports->Base + nameOrdinals[i]);
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });

    std::vector<std::pair<std::string, DWORD>> expected;
    for (const auto& entry : addon_image::Exports()) expected.emplace_back(entry.name, entry.ordinal);
    EXPECT_EQ(expected, found);
    EXPECT_EQ(10u, exports->NumberOfFunctions);
}

TEST(ModuleLoad, ImportsOnlyDllsThatEveryWindowsHas) {
    wine::AddonCopy addon;
    HMODULE module = addon.Load();
    ASSERT_NE(nullptr, module) << GetLastError();

    const std::vector<std::string>& system = addon_image::SystemDlls();
    const IMAGE_DATA_DIRECTORY& directory = Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    std::vector<std::string> imported;
    for (const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress);
         entry->Name != 0; ++entry)
        imported.push_back(Lower(At<char>(module, entry->Name)));

    EXPECT_FALSE(imported.empty());
    for (const std::string& name : imported)
        EXPECT_NE(system.end(), std::find(system.begin(), system.end(), name)) << name;
}

TEST(ModuleLoad, NameIsCutToTheBufferAndPaddedWithZeros) {
    wine::AddonCopy addon;
    ASSERT_NE(nullptr, addon.Load()) << GetLastError();
    auto name = addon.Export<decltype(&ZTAddOnName)>(4);
    ASSERT_NE(nullptr, name);

    const std::string full = AddonName();
    const uint32_t sizes[] = {1, 5, static_cast<uint32_t>(full.size() + 1), 300};
    for (uint32_t size : sizes) {
        SCOPED_TRACE("size " + std::to_string(size));
        // One byte more than the add-on may write, to see that it stays untouched.
        std::vector<char> buffer(size + 1, '\x5a');
        name(buffer.data(), size);

        std::string expected = full.substr(0, size - 1);
        expected.resize(size, '\0');
        EXPECT_EQ(expected, std::string(buffer.data(), size));
        EXPECT_EQ('\x5a', buffer[size]);
    }
}

TEST(ModuleLoad, NameWithoutRoomWritesNothing) {
    wine::AddonCopy addon;
    ASSERT_NE(nullptr, addon.Load()) << GetLastError();
    auto name = addon.Export<decltype(&ZTAddOnName)>(4);
    ASSERT_NE(nullptr, name);

    char buffer[8];
    std::memset(buffer, 0x5a, sizeof buffer);
    name(buffer, 0);
    EXPECT_EQ(std::string(sizeof buffer, '\x5a'), std::string(buffer, sizeof buffer));
    name(nullptr, 0);
    name(nullptr, 300);
}

TEST(ModuleLoad, ModuleStringsComeFromTheLoadedFileWithCapitalExtension) {
    // The strings are the add-on's own; the same application code runs here on the handle that
    // the loader gave for the copy in a folder whose name has blanks.
    wine::AddonCopy addon;
    HMODULE module = addon.Load();
    ASSERT_NE(nullptr, module) << GetLastError();
    ASSERT_NE(std::string::npos, addon.Folder().find(' '));

    Win32Module moduleService(module);
    StandIns standIns{moduleService};
    {
        CZTTrevanelApp app;
        app.InitInstance();
        const std::string stem = addon.Path().substr(0, addon.Path().size() - 4);
        EXPECT_EQ(stem + ".DLL", app.m_strModulePath);
        EXPECT_EQ("ZTTrevanelAddon.DLL", app.m_strModuleFileName);
        EXPECT_EQ(addon.Folder(), app.m_strModuleFolder);
    }
}

TEST(ModuleLoad, ModuleStringsToolReportsTheLoadedCopy) {
    wine::TempFolder folder("Another Add-On Folder");
    const std::string dll = folder.Copy(wine::AddonDllPath(), "ZTTrevanelAddon.Dll");

    const wine::ProgramResult result =
        wine::RunProgram(wine::ProgramPath("ZTModuleStrings.exe"), {dll});
    ASSERT_EQ(0u, result.exitCode) << result.output;
    EXPECT_EQ("module path: " + folder.Path() + "ZTTrevanelAddon.DLL\n"
              "module file name: ZTTrevanelAddon.DLL\n"
              "module folder: " + folder.Path() + "\n",
              result.output);
}

class ConfigVersionTest : public ::testing::Test {
protected:
    void SetUp() override { wine::DeleteRegTree(HKEY_USERS, kMakerKey); }
    void TearDown() override { wine::DeleteRegTree(HKEY_USERS, kMakerKey); }

    static void LoadAndUnload() {
        wine::AddonCopy addon;
        ASSERT_NE(nullptr, addon.Load()) << GetLastError();
        addon.Unload();
    }

    static void ExpectVersionZero() {
        const auto value = wine::ReadRegValue(HKEY_USERS, kConfigKey, "Config Version");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), value->type);
        EXPECT_EQ(std::vector<unsigned char>(4, 0), value->data);
    }
};

TEST_F(ConfigVersionTest, UnloadCreatesTheMissingRootAndWritesZero) {
    ASSERT_FALSE(wine::RegKeyExists(HKEY_USERS, kMakerKey));
    LoadAndUnload();
    ExpectVersionZero();
}

TEST_F(ConfigVersionTest, UnloadOverwritesAnyOldVersionAndLeavesTheRestAlone) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_USERS, kConfigKey, &key));
    RegSetValueExA(key, "Config Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("7"), 2);
    RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\x02\0\0\0"), 4);
    RegCloseKey(key);

    LoadAndUnload();

    ExpectVersionZero();
    const auto count = wine::ReadRegValue(HKEY_USERS, kConfigKey, "Count");
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ((std::vector<unsigned char>{2, 0, 0, 0}), count->data);
}

TEST_F(ConfigVersionTest, HostStandInSeesLoadNameAndUnloadFromAFolderWithBlanks) {
    wine::TempFolder folder;
    const std::string dll = folder.Copy(wine::AddonDllPath());

    const wine::ProgramResult result =
        wine::RunHost(dll, {"# a comment", "load", "name 5", "name 0 @null", "unload"});

    ASSERT_EQ(0u, result.exitCode) << result.output;
    EXPECT_EQ("load: ok, 10 exports by ordinal match their names\n"
              "name 5: hex 46 54 50 20 00 text \"FTP \"\n"
              "name 0 @null:\n"
              "unload: ok\n",
              result.output);
    ExpectVersionZero();
}

}  // namespace
