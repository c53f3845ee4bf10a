// The user's package as a user gets it: the zip that the build makes, unpacked by CMake's archive
// reader into the build tree, is copied into a folder with blanks and installed from there by the
// host stand-in, with a recording program standing in for the host's executable and another one
// for the program that opens .htm files.
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Ui.h"
#include "runner/RunRecord.h"
#include "tests/common/Layout.h"
#include "tests/wine/common/HostRegistration.h"
#include "tests/wine/common/WindowDriver.h"
#include "tests/wine/common/WineHarness.h"
#include "tests/wine/package/PackageTestSupport.h"

namespace {

using namespace package;

const int kHelpButton = 1000;

class PackageWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 1252u);
        wine::UnregisterHost();
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
        // Each recording program logs beside itself.
        SetEnvironmentVariableA("TREVANEL_RECORD_LOG", nullptr);
    }
    void TearDown() override {
        wine::UnregisterHost();
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
    }

    static std::string Entry(const std::string& name) {
        const std::string path = UnzippedFolder() + name;
        return FileExists(path) ? ReadWholeFile(path) : std::string();
    }
};

TEST_F(PackageWine, TheZipHoldsTheAddOnItsHelpFolderAndTheReadMesAtItsTop) {
    EXPECT_EQ(FilesBelow(UnzippedFolder()), PackageFiles());
    // The DLL goes in without its debug information, so it is not byte for byte the built one;
    // the install test below loads it.
    EXPECT_EQ(Entry("ZTTrevanelAddon.dll").substr(0, 2), "MZ");
    for (const char* help : kHelpPages) {
        EXPECT_TRUE(Entry(std::string("Help\\") + help) ==
                    ReadWholeFile(wine::SourcePath(std::string("ui\\Help\\") + help)))
            << help;
    }
}

TEST_F(PackageWine, TheReadMesAreCodePage1252TextWithWindowsLineEnds) {
    for (const char* name : {"LIESMICH.txt", "README.txt"}) {
        SCOPED_TRACE(name);
        const std::string text = Entry(name);
        ASSERT_FALSE(text.empty());
        for (size_t i = 0; i < text.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(text[i]);
            const unsigned char next =
                i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
            ASSERT_FALSE(byte == '\n' && (i == 0 || text[i - 1] != '\r')) << "bare LF at " << i;
            ASSERT_FALSE(byte == '\r' && next != '\n') << "bare CR at " << i;
            // A lead byte followed by a continuation byte is UTF-8 that users would see as "Ã¼".
            ASSERT_FALSE(byte >= 0xC2 && byte <= 0xF4 && next >= 0x80 && next <= 0xBF)
                << "UTF-8 at " << i;
        }
        EXPECT_TRUE(EndsWith(text, "\r\n"));
        EXPECT_NE(text.find("\"%LOCAL_FILE_PATH%\""), std::string::npos);
        EXPECT_NE(text.find("%REMOTE_FILE_PATH%"), std::string::npos);
    }
    EXPECT_NE(Entry("LIESMICH.txt").find(wine::Cp1252("Dateiübertragung")), std::string::npos);
}

TEST_F(PackageWine, UnpackedIntoAFolderWithBlanksItInstallsThroughTheHostAndOpensItsOwnHelp) {
    // All folders are made here, before the host's thread makes its own.
    wine::TempFolder unpacked("Unpacked Add-On");
    CopyTree(UnzippedFolder(), unpacked.Path());
    const std::string folder = wine::WithoutTrailingBackslash(unpacked.Path());

    wine::TempFolder host("FTP Zorvant Host");
    const std::string hostExe = host.Copy(wine::ProgramPath("Recorder.exe"), "FTPZorvant.exe");
    const std::string appPath = wine::WithoutTrailingBackslash(host.Path());
    wine::RegisterHost(appPath, "FTP Zorvant 12.0");

    wine::TempFolder viewerFolder("Help Viewer");
    const std::string viewer =
        viewerFolder.Copy(wine::ProgramPath("Recorder.exe"), "HelpViewer.exe");
    const std::string viewerLog = viewerFolder.Path() + "HelpViewer.log";
    const HtmAssociation association(viewer);

    wine::ProgramResult hostRun;
    std::thread hostThread([&] {
        hostRun = wine::RunHost(folder + "\\ZTTrevanelAddon.dll",
                                {"load", "install \"" + folder + "\"", "unload"});
    });

    HWND list = wine::WaitForVisibleWindow("#32770", kListCaption, 30000);
    if (list == nullptr) {
        ADD_FAILURE() << "the tweak list did not appear";
    } else {
        PostMessageA(GetDlgItem(list, kHelpButton), BM_CLICK, 0, 0);
        if (!wine::WaitUntil([&] { return !RecordedRuns(viewerLog).empty(); })) {
            // The add-on names the help file it could not open in a message box.
            HWND box = wine::WaitForOwnedWindow(list, nullptr, 2000);
            ADD_FAILURE() << "no help file was opened; "
                          << (box ? "message: " + wine::WindowText(GetDlgItem(box, 0xFFFF))
                                  : std::string("no message either"));
            if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        PostMessageA(GetDlgItem(list, IDOK), BM_CLICK, 0, 0);
    }
    hostThread.join();

    EXPECT_EQ(hostRun.exitCode, 0u) << hostRun.output;
    EXPECT_FALSE(hostRun.timedOut) << hostRun.output;

    const std::vector<RecordedRun> help = RecordedRuns(viewerLog);
    ASSERT_EQ(help.size(), 1u);
    EXPECT_EQ(help[0].arguments,
              std::vector<std::string>{unpacked.Path() + "Help\\ZTTrevanelAddOn-en.htm"})
        << "the prefix's interface language is English";

    ASSERT_TRUE(
        wine::WaitUntil([&] { return !RecordedRuns(host.Path() + "FTPZorvant.log").empty(); }));
    const std::vector<RecordedRun> hostRuns = RecordedRuns(host.Path() + "FTPZorvant.log");
    ASSERT_EQ(hostRuns.size(), 1u);
    EXPECT_EQ(hostRuns[0].exe, hostExe);
    EXPECT_TRUE(
        EndsWith(hostRuns[0].commandLine, " -installaddon " + folder + "\\ZTTrevanelAddon.DLL"))
        << hostRuns[0].commandLine;
    EXPECT_EQ(hostRuns[0].directory, appPath);
}

// The Start menu's entry: a windows program, so no console opens, that shows the run record as a
// page in the program the system has for pages, in the user's language (CTest runs this test for
// a German-speaking user too).
TEST_F(PackageWine, TheRunRecordProgramOpensTheRecordAsAPageWithoutAConsole) {
    wine::TempFolder unpacked("Unpacked Add-On");
    CopyTree(UnzippedFolder(), unpacked.Path());
    const std::string program = unpacked.Path() + "ZTTrevanelRecord.exe";
    const std::string image = ReadWholeFile(program);
    ASSERT_GT(image.size(), 0x200u);
    const size_t peHeader = *reinterpret_cast<const uint32_t*>(&image[0x3C]);
    // The optional header's Subsystem: after the signature (4), the file header (20) and 68 bytes.
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, *reinterpret_cast<const uint16_t*>(&image[peHeader + 4 + 20 + 68]));

    const std::string folder = RunRecordFolder();
    ClearRunRecord(folder);
    RunRecord record;
    record.time = "2024-05-06 07:08:09.010";
    record.localPath = "C:\\in\\a&b.txt";
    record.name = "Scan";
    record.outcome = RunOutcome::NotStarted;
    record.detail = "2";
    AppendRunRecord(folder, record);
    wine::TempFolder viewerFolder("Page Viewer");
    const std::string viewerLog = viewerFolder.Path() + "PageViewer.log";
    const HtmAssociation association(viewerFolder.Copy(wine::ProgramPath("Recorder.exe"), "PageViewer.exe"));

    EXPECT_EQ(0u, wine::RunProgram(program, {}).exitCode);
    ASSERT_TRUE(wine::WaitUntil([&] { return !RecordedRuns(viewerLog).empty(); }));
    const std::string page = folder + "\\Runs.htm";
    EXPECT_EQ(std::vector<std::string>{page}, RecordedRuns(viewerLog)[0].arguments);
    const std::string text = ReadWholeFile(page);
    EXPECT_NE(std::string::npos, text.find("C:\\in\\a&amp;b.txt")) << text;
    const bool german = IsGermanLanguage(GetUserDefaultUILanguage());
    ASSERT_EQ(german, std::getenv("TREVANEL_WINE_LOCALE") != nullptr) << "the German run is not German";
    EXPECT_NE(std::string::npos,
              text.find(german ? "konnte nicht starten: die Programmdatei wurde nicht gefunden (Systemfehler 2)"
                               : "could not start: the program file was not found (system error 2)"))
        << text;
    ClearRunRecord(folder);
    DeleteFileA(page.c_str());
}

}  // namespace
