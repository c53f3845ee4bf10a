// Registry files: the bytes the writer gives, what the reader makes of the editor's two forms,
// and the files it refuses.
#include <gtest/gtest.h>

#include <cstdio>

#include "ctl/RegFile.h"
#include "config/TweakConfig.h"
#include "ctl/SetImport.h"
#include "platform/AnsiText.h"
#include "platform/WinTypes.h"

namespace {

std::vector<uint8_t> Utf16File(const std::u16string& text) {
    std::vector<uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t u : text) {
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

std::vector<uint8_t> AnsiFile(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

RegFileValue Value(const std::string& name, uint32_t type, std::vector<uint8_t> data) {
    RegFileValue value;
    value.name = name;
    value.type = type;
    value.data = std::move(data);
    return value;
}

std::vector<uint8_t> Sz(const std::string& text) {
    return std::vector<uint8_t>(text.c_str(), text.c_str() + text.size() + 1);
}

// A global set whose "Tweak 00" key holds lines from line 5 on.
const char kSet[] =
    "[HKEY_USERS\\.DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel\\Configurations\\ZTTrevanelAddon Global Configuration]\r\n"
    "\"Count\"=dword:1\r\n"
    "[HKEY_USERS\\.DEFAULT\\Software\\Tarku Software\\FTP Zorvant Trevanel\\Configurations\\ZTTrevanelAddon Global Configuration\\Tweak 00]\r\n";

std::vector<uint8_t> Tweak(const std::u16string& lines) {
    return Utf16File(u"Windows Registry Editor Version 5.00\r\n" + AnsiTextToUtf16(kSet) + lines);
}

std::vector<uint8_t> AnsiTweak(const std::string& lines, const std::string& header = "REGEDIT4") {
    return AnsiFile(header + "\r\n" + kSet + lines);
}

// What import reads a file as: the type and bytes of its last value, or "line: message".
std::string ReadsAs(const std::vector<uint8_t>& bytes) {
    RegFile file;
    RegFileError error;
    std::vector<ImportedSet> sets;
    if (!ReadRegFile(bytes, &file, &error) || !ReadImportedSets(file, nullptr, &sets, &error)) {
        return std::to_string(error.line) + ": " + error.message;
    }
    const RegFileValue& value = file.keys.back().values.back();
    std::string text = "type " + std::to_string(value.type) + ":";
    for (uint8_t b : value.data) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", b);
        text += hex;
    }
    return text;
}

}  // namespace

TEST(RegFileWrite, GivesTheEditorsUnicodeFormByteForByte) {
    RegFile file;
    file.keys.push_back({"HKEY_USERS\\.DEFAULT\\Tarku", {}, 0});
    // "ü" is 0xFC and "€" 0x80 in code page 1252.
    file.keys[0].values = {Value("Name", REG_SZ, Sz("Pr\xFC" "f \"C:\\x\" \x80")),
                           Value("Apply To", REG_DWORD, {0x1A, 0, 0, 0}),
                           Value("", REG_SZ, Sz("")),
                           Value("z", REG_SZ, {'a', 0, 'b', 0})};
    const std::u16string expected =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_USERS\\.DEFAULT\\Tarku]\r\n"
        u"\"Name\"=\"Pr\u00FCf \\\"C:\\\\x\\\" \u20AC\"\r\n"
        u"\"Apply To\"=dword:0000001a\r\n"
        u"@=\"\"\r\n"
        u"\"z\"=hex(1):61,00,00,00,62,00,00,00\r\n\r\n";
    EXPECT_EQ(WriteRegFile(file), Utf16File(expected));
}

TEST(RegFileWrite, EveryValueReadsBackToTheSameBytes) {
    RegFile file;
    file.keys.push_back({"HKEY_USERS\\A\\Sub key", {}, 0});
    std::vector<uint8_t> all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<uint8_t>(b));
    all.push_back(0);
    std::vector<uint8_t> longBinary(300, 0xAB);
    file.keys[0].values = {
        Value("every byte", REG_SZ, all),                    // CR and LF: written as hex(1)
        Value("no zero", REG_SZ, {'a', 'b'}),                // no terminating zero: hex(1)
        Value("expand", REG_EXPAND_SZ, Sz("%TEMP%\\\xFC")),  // hex(2), UTF-16 in the file
        Value("short dword", REG_DWORD, {1, 2}),             // not 4 bytes: hex(4)
        Value("binary", REG_BINARY, longBinary),             // broken over lines
        Value("odd \\ \"name\"", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}),
    };
    RegFile read;
    RegFileError error;
    ASSERT_TRUE(ReadRegFile(WriteRegFile(file), &read, &error)) << error.line << ": " << error.message;
    ASSERT_EQ(read.keys.size(), 1u);
    EXPECT_EQ(read.keys[0].path, file.keys[0].path);
    ASSERT_EQ(read.keys[0].values.size(), file.keys[0].values.size());
    for (size_t i = 0; i < file.keys[0].values.size(); ++i) {
        EXPECT_EQ(read.keys[0].values[i].name, file.keys[0].values[i].name);
        EXPECT_EQ(read.keys[0].values[i].type, file.keys[0].values[i].type) << file.keys[0].values[i].name;
        EXPECT_EQ(read.keys[0].values[i].data, file.keys[0].values[i].data) << file.keys[0].values[i].name;
    }
}

TEST(RegFileRead, TakesTheAnsiFormWithItsBytesAsTheyStand) {
    const std::string text =
        "REGEDIT4\r\n\r\n; a comment, not a value \"x\"=hex:01,\\\r\n[HKEY_USERS\\K]\r\n\"Exe\"=\"C:\\\\Programme\\\\Pr\xFC" "f.exe\"\r\n"
        "\"Expand\"=hex(2):41,fc,00\r\n\"Bin\"=hex:01,\\\r\n  02,03\r\n\"N\"=dword:1\r\n";
    RegFile file;
    RegFileError error;
    ASSERT_TRUE(ReadRegFile(AnsiFile(text), &file, &error)) << error.line << ": " << error.message;
    ASSERT_EQ(file.keys.size(), 1u);
    const std::vector<RegFileValue>& v = file.keys[0].values;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].data, Sz("C:\\Programme\\Pr\xFC" "f.exe"));
    EXPECT_EQ(v[1].type, uint32_t(REG_EXPAND_SZ));
    EXPECT_EQ(v[1].data, (std::vector<uint8_t>{0x41, 0xFC, 0}));
    EXPECT_EQ(v[2].data, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(v[3].data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(v[3].line, 9);  // after the continuation line, the comment's "\\" continuing nothing
}

TEST(RegFileRead, ReadsLinesAsTheEditorDoesOrRefusesThemNamingTheLine) {
    // A refusal "N: part" matches the refusal of line N whose message holds the part.
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::string readsAs;
    } cases[] = {
        {"a key line cut in half", Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\.DEF"), "3: no closing"},
        {"a string cut in half", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Name\"=\"abc"), "3: not closed"},
        {"a hex list cut after its continuation", Tweak(u"\"Enabled\"=hex(4):01,00,00,00,\\"), "5: continuation"},
        {"a hex list ending in a comma", Tweak(u"\"Enabled\"=hex(4):01,00,00,00,"), "type 4: 01 00 00 00"},
        {"a text in hex of half a UTF-16 character", Tweak(u"\"Name\"=hex(1):41,00,42"), "5: half a UTF-16"},
        {"a continued list with comments after the \\ and the list", AnsiTweak("\"Name\"=hex(1):25,50,41,\\;c\r\n\t54,48,25,00 ;c"), "type 1: 25 50 41 54 48 25 00"},
        {"a byte split over lines", AnsiTweak("\"Name\"=hex(1):25,50,4\\\r\n1,54,48,25,00"), "5: inside a byte or without a comma"},
        {"a dword's byte split over lines", AnsiTweak("\"Enabled\"=hex(4):01,0\\\r\n0,00,00"), "5: inside a byte"},
        {"no comma before the \\", AnsiTweak("\"Enabled\"=hex(4):01,00\\\r\n00,00"), "5: without a comma"},
        {"a continuation starting with a comma", AnsiTweak("\"Enabled\"=hex(4):01,00,\\\r\n,00,00"), "6: without a comma"},
        {"a comment line as continuation", AnsiTweak("\"Enabled\"=hex(4):01,00,\\\r\n; 00,00\r\n00,00"), "6: without a comma"},
        {"blanks and tabs before the header", AnsiTweak("\"Exe\"=\"a\"", " \tREGEDIT4"), "type 1: 61 00"},
        {"the version 5 header in the ANSI code page", AnsiTweak("\"Exe\"=\"\xFC\"\r\n\"Name\"=hex(1):fc,00,00,00", "Windows Registry Editor Version 5.00"), "type 1: fc 00"},
        {"# and ; comment lines after blanks", AnsiTweak("\t# \"Exe\"=-\r\n ;\r\n\"Exe\"=\"a\""), "type 1: 61 00"},
        {"a comment after a string, not the ; inside", AnsiTweak("\"Name\"=\"a;b\"  ;comment"), "type 1: 61 3b 62 00"},
        {"a comment right after a dword", AnsiTweak("\"Enabled\"=dword:1234;5678"), "type 4: 34 12 00 00"},
        {"tabs around =, blanks after dword:", AnsiTweak("\"Apply To\"\t=\t dword: \t1a"), "type 4: 1a 00 00 00"},
        {"UTF-16 cut in half a character", [] { auto b = Utf16File(u"REGEDIT4\r\n"); b.push_back(0x41); return b; }(), "0: half"},
        {"zero bytes without byte order mark", AnsiFile(std::string("R\0E\0G\0", 6)), "0: byte order mark"},
        {"no header", Utf16File(u"[HKEY_USERS\\K]\r\n"), "1: does not start"},
        {"a key deletion", Utf16File(u"Windows Registry Editor Version 5.00\r\n[-HKEY_USERS\\K]\r\n"), "2: deletes a key"},
        {"a value deletion", Tweak(u"\"Name\"=- ;gone\r\n"), "5: deletes a value"},
        {"the default value", Tweak(u"@=\"x\"\r\n"), "5: the default value (@) is not a value of a tweak"},
        {"a type never stored", Tweak(u"\"Enabled\"=hex(b):01,00,00,00,00,00,00,00\r\n"), "5: must be a dword, not data of type 11"},
        {"a value before any key", Utf16File(u"Windows Registry Editor Version 5.00\r\n\"Name\"=\"x\"\r\n"), "2: before the first key"},
        {"a lone backslash in a string", Tweak(u"\"Exe\"=\"C:\\Windows\"\r\n"), "5: must be written"},
        {"\\n in a string", Tweak(u"\"Name\"=\"a\\nb\"\r\n"), "5: must be written"},
        {"\\r in a string", Tweak(u"\"Name\"=\"a\\rb\"\r\n"), "5: must be written"},
        {"a character outside code page 1252", Tweak(u"\"Name\"=\"\u0416\"\r\n"), "5: U+0416"},
        {"a zero inside a key name", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\Work" + std::u16string(1, u'\0') + u"Evil]\r\n"), "2: zero character"},
        {"a zero inside a value name", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Name" + std::u16string(1, u'\0') + u"x\"=\"\"\r\n"), "3: zero character"},
        {"a dword of nine digits", Tweak(u"\"Enabled\"=dword:000000001\r\n"), "5: 1 to 8"},
    };
    for (const Case& c : cases) {
        const std::string readsAs = ReadsAs(c.bytes);
        if (c.readsAs.compare(0, 5, "type ") == 0) {
            EXPECT_EQ(readsAs, c.readsAs) << c.what;
            continue;
        }
        const size_t colon = c.readsAs.find(": ") + 2;
        EXPECT_EQ(readsAs.compare(0, colon, c.readsAs, 0, colon), 0) << c.what << ": " << readsAs;
        EXPECT_NE(readsAs.find(c.readsAs.substr(colon)), std::string::npos) << c.what << ": " << readsAs;
        RegFile file;
        file.keys.push_back({"sentinel", {}, 0});
        RegFileError error;
        if (ReadRegFile(c.bytes, &file, &error)) continue;  // refused by the import's own checks
        ASSERT_EQ(file.keys.size(), 1u) << c.what;
        EXPECT_EQ(file.keys[0].path, "sentinel") << c.what;
    }
}
