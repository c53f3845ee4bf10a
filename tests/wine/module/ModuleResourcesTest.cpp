// The add-on's own resources as Windows loads them from the DLL: the string table in code page
// 1252 and the two dialog templates, compared with what the add-on must hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/common/AddonImage.h"
#include "tests/wine/common/WineHarness.h"

namespace {

using wine::Cp1252;

class ModuleResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_addon = new wine::AddonCopy;
        ASSERT_NE(nullptr, s_addon->Load()) << GetLastError();
    }
    static void TearDownTestSuite() {
        delete s_addon;
        s_addon = nullptr;
    }
    static HMODULE Module() { return s_addon->Module(); }

    static wine::AddonCopy* s_addon;
};

wine::AddonCopy* ModuleResources::s_addon = nullptr;

std::string LoadStringBytes(HMODULE module, UINT id) {
    char buffer[1024];
    const int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

TEST_F(ModuleResources, StringTableGivesEveryTextByteForByte) {
    for (const auto& string : addon_image::Strings())
        EXPECT_EQ(Cp1252(string.utf8), LoadStringBytes(Module(), string.id)) << string.id;
}

TEST_F(ModuleResources, BothDialogTemplatesHaveTheirControlsInTabOrder) {
    for (const auto& want : addon_image::Dialogs()) {
        const auto dialog = wine::ReadDialogTemplate(Module(), want.id);
        ASSERT_TRUE(dialog.has_value()) << want.id;
        addon_image::ExpectDialog(want, *dialog);
    }
}

}  // namespace
