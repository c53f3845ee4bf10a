// The user's package as a user gets it: the zip that the build makes is unpacked into a folder
// with blanks and installed from there by the host stand-in, with a recording program standing in
// for the host's executable and another one for the program that opens .htm files.
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/common/Layout.h"
#include "tests/wine/common/HostRegistration.h"
#include "tests/wine/common/WindowDriver.h"
#include "tests/wine/common/WineHarness.h"
#include "tests/wine/package/ZipArchive.h"

namespace {

const char kListCaption[] = "FTP Zorvant Transfer Hilfsprogramm";
const char kHtmClass[] = "Trevanel.PackageTest.htm";
const int kHelpButton = 1000;

std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Lays the archive out below folder (with its trailing backslash) as an unpacking program does.
void Unpack(const std::map<std::string, std::string>& archive, const std::string& folder) {
    for (const auto& entry : archive) {
        std::string path = folder + entry.first;
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
        for (size_t slash = path.find('\\', folder.size()); slash != std::string::npos;
             slash = path.find('\\', slash + 1)) {
            CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
        }
        if (path.back() == '\\') continue;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        const bool ok = file != INVALID_HANDLE_VALUE &&
                        WriteFile(file, entry.second.data(),
                                  static_cast<DWORD>(entry.second.size()), &written, nullptr) &&
                        written == entry.second.size();
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (!ok) throw std::runtime_error("cannot write " + path);
    }
}

void SetDefaultString(HKEY root, const std::string& path, const std::string& text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(root, path.c_str(), &key), ERROR_SUCCESS) << path;
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
}

// For as long as it lives, .htm files open with viewer "%1"; then the association the prefix had
// comes back.
class HtmAssociation {
public:
    explicit HtmAssociation(const std::string& viewer)
        : m_hadKey(wine::RegKeyExists(HKEY_CLASSES_ROOT, ".htm")),
          m_previous(wine::ReadRegValue(HKEY_CLASSES_ROOT, ".htm", "")) {
        SetDefaultString(HKEY_CLASSES_ROOT, std::string(kHtmClass) + "\\shell\\open\\command",
                         "\"" + viewer + "\" \"%1\"");
        SetDefaultString(HKEY_CLASSES_ROOT, ".htm", kHtmClass);
    }
    ~HtmAssociation() {
        wine::DeleteRegTree(HKEY_CLASSES_ROOT, kHtmClass);
        if (!m_hadKey) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
            return;
        }
        HKEY key;
        if (RegOpenKeyA(HKEY_CLASSES_ROOT, ".htm", &key) != ERROR_SUCCESS) return;
        if (m_previous) {
            RegSetValueExA(key, "", 0, m_previous->type, m_previous->data.data(),
                           static_cast<DWORD>(m_previous->data.size()));
        } else {
            RegDeleteValueA(key, "");
        }
        RegCloseKey(key);
    }

private:
    bool m_hadKey;
    std::optional<wine::RegValue> m_previous;
};

// One run of a recording program (tests/fixtures/Recorder.cpp): its fields, tab separated.
struct RecordedRun {
    std::string exe;
    std::string directory;
    std::string commandLine;
    std::vector<std::string> arguments;
};

std::vector<RecordedRun> RecordedRuns(const std::string& log) {
    std::vector<RecordedRun> runs;
    if (!FileExists(log)) return runs;
    std::istringstream lines(ReadWholeFile(log));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream stream(line);
        for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
        if (fields.size() < 7) continue;
        runs.push_back(RecordedRun{fields[3], fields[4], fields[5],
                                   std::vector<std::string>(fields.begin() + 7, fields.end())});
    }
    return runs;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class PackageWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 1252u);
        m_archive = zip::ReadArchive(ReadWholeFile(wine::ToWindowsPath(TREVANEL_PACKAGE_ZIP)));
        wine::UnregisterHost();
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
        // Each recording program logs beside itself.
        SetEnvironmentVariableA("TREVANEL_RECORD_LOG", nullptr);
    }
    void TearDown() override {
        wine::UnregisterHost();
        wine::DeleteRegTree(HKEY_USERS, GlobalKey());
    }

    const std::string& Entry(const std::string& name) {
        static const std::string kMissing;
        const auto it = m_archive.find(name);
        return it == m_archive.end() ? kMissing : it->second;
    }

    std::map<std::string, std::string> m_archive;
};

TEST_F(PackageWine, TheZipHoldsTheAddOnItsHelpFolderAndTheReadMesAtItsTop) {
    std::set<std::string> files;
    for (const auto& entry : m_archive) {
        if (!EndsWith(entry.first, "/")) files.insert(entry.first);
    }
    EXPECT_EQ(files, (std::set<std::string>{"ZTTrevanelAddon.dll", "Help/ZTTrevanelAddOn.htm",
                                            "Help/ZTTrevanelAddOnInfo.htm", "LIESMICH.txt",
                                            "README.txt"}));
    // The DLL goes in without its debug information, so it is not byte for byte the built one;
    // the install test below loads it.
    EXPECT_EQ(Entry("ZTTrevanelAddon.dll").substr(0, 2), "MZ");
    for (const char* help : {"ZTTrevanelAddOn.htm", "ZTTrevanelAddOnInfo.htm"}) {
        EXPECT_TRUE(Entry(std::string("Help/") + help) ==
                    ReadWholeFile(wine::SourcePath(std::string("ui\\Help\\") + help)))
            << help;
    }
}

TEST_F(PackageWine, TheReadMesAreCodePage1252TextWithWindowsLineEnds) {
    for (const char* name : {"LIESMICH.txt", "README.txt"}) {
        SCOPED_TRACE(name);
        const std::string& text = Entry(name);
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
    Unpack(m_archive, unpacked.Path());
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
              std::vector<std::string>{unpacked.Path() + "Help\\ZTTrevanelAddOn.htm"});

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

}  // namespace
