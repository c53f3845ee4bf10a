// The shipped 32-bit files checked from the files alone, so that they are checked on machines that
// cannot run them too: every program is an i386 PE32 image, the add-on exports its ten functions at
// their ordinals as stdcall functions with the declared argument sizes, imports system DLLs only,
// and holds the string table, the dialogs, the icon and the version that it must; the two programs
// carry the icon, their version and their manifest.
// TREVANEL_PE32_BUILD names the 32-bit cross build's folder (scripts/test.sh sets it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/common/AddonImage.h"
#include "tests/common/PeImage.h"
#include "ui/resource.h"

namespace {

namespace fs = std::filesystem;

fs::path Build() {
    const char* folder = std::getenv("TREVANEL_PE32_BUILD");
    return folder ? fs::path(folder) : fs::path();
}
fs::path Stage() { return Build() / "package" / "stage"; }

std::vector<uint8_t> Bytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::vector<pe::Export> ByOrdinal(const pe::Image& image) {
    std::vector<pe::Export> exports = image.Exports();
    std::sort(exports.begin(), exports.end(),
              [](const pe::Export& a, const pe::Export& b) { return a.ordinal < b.ordinal; });
    return exports;
}

class ShippedFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (Build().empty()) GTEST_FAIL() << "TREVANEL_PE32_BUILD is not set";
        ASSERT_TRUE(fs::exists(Stage() / "ZTTrevanelAddon.dll")) << Stage();
    }
    static pe::Image Addon() { return pe::Image::ReadFile((Stage() / "ZTTrevanelAddon.dll").string()); }
};

TEST_F(ShippedFiles, EveryProgramAndTheSetupArePe32ForI386) {
    // What a user gets must be there; any other program found is checked as well.
    const std::vector<fs::path> needed = {Stage() / "ZTTrevanelAddon.dll", Stage() / "ZTTrevanelCtl.exe",
                                          Stage() / "ZTTrevanelRecord.exe",
                                          Build() / ("ZTTrevanelAddon-" TREVANEL_VERSION "-setup.exe")};
    std::vector<fs::path> programs = needed;
    for (const fs::path& file : needed) ASSERT_TRUE(fs::exists(file)) << file;
    for (const auto& entry : fs::recursive_directory_iterator(Stage())) {
        const std::string extension = entry.path().extension().string();
        if ((extension == ".dll" || extension == ".exe") &&
            std::find(needed.begin(), needed.end(), entry.path()) == needed.end())
            programs.push_back(entry.path());
    }
    for (const fs::path& program : programs) {
        const pe::Image image = pe::Image::ReadFile(program.string());
        EXPECT_EQ(pe::kMachineI386, image.Machine()) << program;
        EXPECT_FALSE(image.IsPe32Plus()) << program;
    }
}

TEST_F(ShippedFiles, TheTenExportsAreStdcallFunctionsWithTheDeclaredArgumentSizes) {
    const pe::Image shipped = Addon();
    const std::vector<pe::Export> exports = ByOrdinal(shipped);
    EXPECT_EQ(10u, shipped.ExportedFunctionCount());
    ASSERT_EQ(addon_image::Exports().size(), exports.size());

    // The shipped DLL is stripped; the build's own copy has the same code and its symbols.
    const pe::Image built = pe::Image::ReadFile((Build() / "bin" / "ZTTrevanelAddon.dll").string());
    const std::vector<pe::Symbol> symbols = built.Symbols();
    ASSERT_FALSE(symbols.empty());
    EXPECT_EQ(exports, ByOrdinal(built));
    for (size_t i = 0; i < exports.size(); ++i) {
        const addon_image::ExportEntry& want = addon_image::Exports()[i];
        EXPECT_EQ(want.name, exports[i].name);
        EXPECT_EQ(want.ordinal, exports[i].ordinal);
        const std::string decorated =
            std::string("_") + want.name + "@" + std::to_string(want.argumentBytes);
        const auto symbol = std::find_if(symbols.begin(), symbols.end(),
                                         [&](const pe::Symbol& s) { return s.name == decorated; });
        ASSERT_NE(symbols.end(), symbol) << decorated;
        EXPECT_EQ(symbol->rva, exports[i].rva) << decorated;
    }
}

TEST_F(ShippedFiles, TheAddonAndTheCompanionImportSystemDllsOnly) {
    for (const char* name : {"ZTTrevanelAddon.dll", "ZTTrevanelCtl.exe", "ZTTrevanelRecord.exe"}) {
        const std::vector<std::string> imported =
            pe::Image::ReadFile((Stage() / name).string()).ImportedDlls();
        EXPECT_FALSE(imported.empty()) << name;
        for (std::string dll : imported) {
            std::transform(dll.begin(), dll.end(), dll.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            const auto& system = addon_image::SystemDlls();
            EXPECT_NE(system.end(), std::find(system.begin(), system.end(), dll)) << name << ": " << dll;
        }
    }
}

TEST_F(ShippedFiles, TheStringTableAndBothDialogsAreTheAddonsOwn) {
    const pe::Image addon = Addon();
    for (const auto& string : addon_image::Strings()) {
        const auto block = addon.Resource(pe::kResourceString, string.id / 16 + 1);
        ASSERT_TRUE(block.has_value()) << string.id;
        EXPECT_EQ(string.utf8, pe::DecodeStringBlock(*block)[string.id % 16]) << string.id;
    }
    for (const auto& want : addon_image::Dialogs()) {
        const auto dialog = addon.Resource(pe::kResourceDialog, want.id);
        ASSERT_TRUE(dialog.has_value()) << want.id;
        addon_image::ExpectDialog(want, pe::DecodeDialog(*dialog));
    }
}

TEST_F(ShippedFiles, TheAddonAndBothProgramsHoldEveryImageOfTheIconFile) {
    const std::vector<uint8_t> file = Bytes(fs::path(TREVANEL_SOURCE_DIR) / "ui" / "ZTTrevanelAddon.ico");
    const auto images = pe::DecodeIconDirectory(file, true);
    const std::pair<const char*, uint32_t> groups[] = {
        {"ZTTrevanelAddon.dll", IDI_TREVANEL}, {"ZTTrevanelCtl.exe", 1}, {"ZTTrevanelRecord.exe", 1}};
    for (const auto& [name, id] : groups) {
        SCOPED_TRACE(name);
        const pe::Image image = pe::Image::ReadFile((Stage() / name).string());
        const auto group = image.Resource(pe::kResourceGroupIcon, id);
        ASSERT_TRUE(group.has_value());
        const auto entries = pe::DecodeIconDirectory(*group, false);
        ASSERT_EQ(images.size(), entries.size());
        ASSERT_FALSE(entries.empty());
        for (size_t i = 0; i < entries.size(); ++i) {
            SCOPED_TRACE("image " + std::to_string(i));
            EXPECT_EQ(images[i].width, entries[i].width);
            EXPECT_EQ(images[i].height, entries[i].height);
            EXPECT_EQ(images[i].bitCount, entries[i].bitCount);
            const auto icon = image.Resource(pe::kResourceIcon, entries[i].idOrOffset);
            ASSERT_TRUE(icon.has_value());
            ASSERT_LE(images[i].idOrOffset + images[i].bytes, file.size());
            EXPECT_EQ(std::vector<uint8_t>(file.begin() + images[i].idOrOffset,
                                           file.begin() + images[i].idOrOffset + images[i].bytes),
                      *icon);
        }
    }
}

// The consent prompt names the program by its description and its maker by the version's text;
// the manifest keeps the programs unelevated when started plainly and says which systems they know.
TEST_F(ShippedFiles, BothProgramsNameThemselvesAndAskForNoElevation) {
    const std::string kText = "StringFileInfo\\040704e4\\";
    const struct {
        const char* name;
        const char* description;
    } programs[] = {{"ZTTrevanelCtl.exe", "Trevanel: Tweaks speichern"},
                    {"ZTTrevanelRecord.exe", "Trevanel: Protokoll der Tweaks anzeigen"}};
    for (const auto& program : programs) {
        SCOPED_TRACE(program.name);
        const pe::Image image = pe::Image::ReadFile((Stage() / program.name).string());
        const auto data = image.Resource(pe::kResourceVersion, 1);
        ASSERT_TRUE(data.has_value());
        pe::VersionInfo version = pe::DecodeVersion(*data);
        EXPECT_EQ(addon_image::Version(), version.fileVersion);
        EXPECT_EQ(program.description, version.values[kText + "FileDescription"]);
        EXPECT_EQ("Tarku Software", version.values[kText + "CompanyName"]);
        EXPECT_EQ("FTP Zorvant Trevanel Add-On", version.values[kText + "ProductName"]);
        EXPECT_EQ(program.name, version.values[kText + "OriginalFilename"]);
        const auto manifest = image.Resource(pe::kResourceManifest, 1);
        ASSERT_TRUE(manifest.has_value());
        const std::string text(manifest->begin(), manifest->end());
        EXPECT_NE(std::string::npos, text.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"));
        // Windows 10 and 11, the newest that the programs were made for.
        EXPECT_NE(std::string::npos, text.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"));
    }
}

TEST_F(ShippedFiles, TheVersionResourceNamesTheAddonAndItsVersion) {
    const auto data = Addon().Resource(pe::kResourceVersion, 1);
    ASSERT_TRUE(data.has_value());
    const pe::VersionInfo version = pe::DecodeVersion(*data);
    EXPECT_EQ(addon_image::Version(), version.fileVersion);
    EXPECT_EQ(addon_image::Version(), version.productVersion);
    for (const auto& [name, value] : addon_image::VersionValues()) {
        const auto found = version.values.find(name);
        ASSERT_NE(version.values.end(), found) << name;
        EXPECT_EQ(value, found->second) << name;
    }
}

}  // namespace
