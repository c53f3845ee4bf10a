// Moving a configuration: export writes what is stored, import takes only sound sets and writes
// nothing when anything in the file is wrong.
#include "CtlFixture.h"

#include <fstream>
#include <iterator>

#include "platform/Cp1252.h"
#include "ctl/RegFile.h"

namespace {

std::vector<uint8_t> Utf16File(const std::string& cp1252) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t u : Cp1252ToUtf16(cp1252)) {
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
const std::string kSets = "HKEY_USERS\\.DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel\\Configurations\\";

}  // namespace

TEST_F(CtlTest, ExportThenImportIntoAnEmptiedRootGivesBackTheSameSets) {
    PutDword(GlobalKey(), "Count", 2);
    PutTweak(GlobalKey(), 0, "Pr\xFC" "fsumme \"SHA\"", "C:\\Windows\\System32\\certutil.exe",
             "-hashfile \"%LOCAL_FILE_PATH%\" SHA256", TWEAK_APPLY_DOWNLOAD | 0x80000000u, "*.zip;*.\x80");
    // The values that came later go along where set, and stay away where not (a set stored before).
    PutTweak(GlobalKey(), 1, "Scan", "C:\\T\\scan.exe", "%LOCAL_FILE_PATH%", TWEAK_APPLY_DOWNLOAD);
    PutDword(TweakKey(GlobalKey(), 1), "Stop On Failure", 1);
    PutDword(TweakKey(GlobalKey(), 1), "Time Limit", 30);
    PutDword(ProfileKey("Work\\Sub"), "Count", 0);
    ASSERT_EQ(Run({"export", "--all", "C:\\all.reg"}).status, 0);
    ASSERT_EQ(Run({"export", "C:\\global.reg"}).status, 0);
    const std::optional<MemoryRegistry::Key> before = m_reg.Snapshot(HKEY_USERS, Root("Configurations"));
    ASSERT_TRUE(before.has_value());

    m_app.DeleteRegTree(GlobalKey().c_str());
    m_app.DeleteRegTree(ProfileKey("Work").c_str());
    ASSERT_TRUE(SubkeyNames(Root("Configurations")).empty());
    const CtlResult r = Run({"import", "C:\\all.reg"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::optional<MemoryRegistry::Key> after = m_reg.Snapshot(HKEY_USERS, Root("Configurations"));
    ASSERT_TRUE(after.has_value());
    ExpectSameTree(*before, *after);

    // One set of the file into another profile.
    const CtlResult one = Run({"import", "C:\\global.reg", "--profile", "Home"});
    EXPECT_EQ(one.status, 0) << one.err;
    const auto* name = Get(ProfileKey("Home") + "\\Tweak 00", "Name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->data, Sz("Pr\xFC" "fsumme \"SHA\""));
    EXPECT_EQ(Run({"import", "C:\\all.reg", "--profile", "Home"}).status, kCtlFile);  // two sets
    // --add puts the file's tweaks after the global set's own; a profile that runs the global
    // set gets them alone.
    ASSERT_EQ(Run({"import", "C:\\global.reg", "--add"}).status, 0);
    EXPECT_EQ(Get(GlobalKey(), "Count")->data, Dword(4));
    ASSERT_EQ(Run({"import", "C:\\global.reg", "--profile", "Fresh", "--add"}).status, 0);
    EXPECT_EQ(Get(ProfileKey("Fresh"), "Count")->data, Dword(2));
}

TEST_F(CtlTest, ImportRefusesHostileFilesAndWritesNothing) {
    const std::string set = "[" + kSets + "Work]\r\n\"Count\"=dword:00000001\r\n";
    const std::string tweak = "[" + kSets + "Work\\Tweak 00]\r\n\"Name\"=\"n\"\r\n";
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    } cases[] = {
        {"a key of another root", set + "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"Name\"=\"x\"\r\n", "outside HKEY_USERS"},
        {"a key outside the configurations", set + "[HKEY_USERS\\.DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel]\r\n"
                                                     "\"Config Version\"=dword:00000000\r\n", "lies outside"},
        {"a Count of a million", "[" + kSets + "Work]\r\n\"Count\"=dword:000f4240\r\n", "\"Count\" 1000000 lies outside 0 to 10000"},
        {"a negative Count", "[" + kSets + "Work]\r\n\"Count\"=dword:ffffffff\r\n", "lies outside"},
        {"a Count as text", "[" + kSets + "Work]\r\n\"Count\"=\"1\"\r\n", "\"Count\" must be a dword"},
        {"a value of the wrong type", set + tweak + "\"Enabled\"=hex:01\r\n", "\"Enabled\" must be a dword, not binary"},
        {"a dword of five bytes", set + tweak + "\"Enabled\"=hex(4):01,00,00,00,00\r\n", "\"Enabled\" must hold 4 bytes"},
        {"a value the add-on does not know", set + tweak + "\"Command\"=\"x\"\r\n", "is not a value of a tweak"},
        {"a tweak key above Count", set + "[" + kSets + "Work\\Tweak 01]\r\n\"Name\"=\"x\"\r\n", "never be read"},
        {"a tweak key misnamed", set + "[" + kSets + "Work\\Tweak 0]\r\n\"Name\"=\"x\"\r\n", "neither a set"},
        {"a line cut in half", set + tweak + "\"Exe\"=\"C:\\\\Win", "not closed"},
        {"no set at all", "[" + kSets + "Work]\r\n", "holds no set"},
        {"a zero inside a key name, naming the profile before it", "[" + kSets + "Work" + std::string(1, '\0') + "Evil]\r\n\"Count\"=dword:00000000\r\n", "zero character"},
    };
    PutDword(GlobalKey(), "Count", 0);
    const std::optional<MemoryRegistry::Key> before = m_reg.Snapshot(HKEY_USERS, "");
    for (const Case& c : cases) {
        m_files.Put("C:\\in.reg", Utf16File(kHeader + c.text));
        const CtlResult r = Run({"import", "C:\\in.reg"});
        EXPECT_EQ(r.status, kCtlFile) << c.what;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find("Nothing was written."), std::string::npos) << c.what;
        ExpectSameTree(*before, *m_reg.Snapshot(HKEY_USERS, ""), c.what);
    }
}

TEST_F(CtlTest, ImportTakesTheAnsiFormAndStoresWhatLoadWouldRead) {
    const std::string text = "REGEDIT4\r\n\r\n[" + kSets + "Caf\xE9]\r\n\"Count\"=dword:00000002\r\n"
                             "[" + kSets + "Caf\xE9\\tweak 01]\r\n\"Exe\"=\"C:\\\\old.exe\"\r\n\"Filter\"=\"a; b\"\r\n"
                             // A key or value named twice: the later one counts, as the registry editor reads it.
                             "[" + kSets + "CAF\xC9\\Tweak 01]\r\n\"EXE\"=\"C:\\\\x.exe\"\r\n";
    m_files.Put("C:\\old.reg", std::vector<uint8_t>(text.begin(), text.end()));
    const CtlResult r = Run({"import", "C:\\old.reg"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Stored profile \"Caf\xE9\": 2 tweaks"), std::string::npos) << r.out;
    // The missing Tweak 00 stays missing, which reads as the fresh record; the filter is stored as
    // the list saves it.
    EXPECT_FALSE(Get(ProfileKey("Caf\xE9") + "\\Tweak 00", "Enabled"));
    EXPECT_EQ(Get(ProfileKey("Caf\xE9") + "\\Tweak 01", "Filter")->data, Sz("a;b"));
    CTweakConfig set("Caf\xE9");
    set.Load();
    ASSERT_EQ(set.m_arrTweaks.size(), 2u);
    EXPECT_EQ(set.m_arrTweaks[0]->m_nApplyTo, 0u);
    EXPECT_EQ(set.m_arrTweaks[1]->m_strExe, "C:\\x.exe");
}

TEST_F(CtlTest, ExportTellsWhenThereIsNothingOrTheFileCannotBeWritten) {
    EXPECT_EQ(Run({"export", "C:\\x.reg"}).status, kCtlFound);
    PutDword(GlobalKey(), "Count", 0);
    EXPECT_EQ(Run({"export", "--profile", "Nobody", "C:\\x.reg"}).status, kCtlFound);
    m_files.RefuseWrites("C:\\x.reg");
    const CtlResult r = Run({"export", "C:\\x.reg"});
    EXPECT_EQ(r.status, kCtlFile);
    EXPECT_NE(r.err.find("cannot write C:\\x.reg: Access is denied."), std::string::npos) << r.err;
}

TEST_F(CtlTest, TheExamplesImportCleanlyAndPassCheckOnAWindowsThatHasTheirPrograms) {
    for (const char* program : {"C:\\Windows\\System32\\xcopy.exe", "C:\\Windows\\System32\\attrib.exe",
                                "C:\\Windows\\System32\\cmd.exe"}) {
        m_files.Put(program, {});
    }
    std::vector<std::vector<uint8_t>> combined;
    for (const char* example : {"backup-downloads.reg", "protect-text-downloads.reg", "log-uploads.reg"}) {
        std::ifstream in(std::string(TREVANEL_SOURCE_DIR) + "/examples/" + example, std::ios::binary);
        ASSERT_TRUE(in) << example;
        m_files.Put(example, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
        const CtlResult imported = Run({"import", example, "--profile", example});
        ASSERT_EQ(imported.status, 0) << example << imported.err;
        const CtlResult check = Run({"check", "--profile", example});
        EXPECT_EQ(check.status, 0) << example << "\n" << check.out;
        // --add combines them, in the order imported; the examples' own sets stay as they are.
        ASSERT_EQ(Run({"import", example, "--profile", "All", "--add"}).status, 0) << example;
        combined.push_back(Get(ProfileKey(example) + "\\Tweak 00", "Name")->data);
    }
    const auto* count = Get(ProfileKey("All"), "Count");
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->data, Dword(static_cast<uint32_t>(combined.size())));
    for (size_t i = 0; i < combined.size(); ++i) {
        EXPECT_EQ(Get(ProfileKey("All") + "\\Tweak 0" + std::to_string(i), "Name")->data, combined[i]);
    }
}
