// Registry files: the bytes the writer gives, what the reader makes of the editor's two forms,
// and the files it refuses.
#include <gtest/gtest.h>

#include "ctl/RegFile.h"
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

}  // namespace

TEST(RegFileWrite, GivesTheEditorsUnicodeFormByteForByte) {
    RegFile file;
    file.keys.push_back({"HKEY_USERS\\.DEFAULT\\Tarku", {}, 0});
    // "ü" is 0xFC and "€" 0x80 in code page 1252.
    file.keys[0].values = {Value("Name", REG_SZ, Sz("Pr\xFC" "f \"C:\\x\" \x80")),
                           Value("Apply To", REG_DWORD, {0x1A, 0, 0, 0}),
                           Value("", REG_SZ, Sz(""))};
    const std::u16string expected =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_USERS\\.DEFAULT\\Tarku]\r\n"
        u"\"Name\"=\"Pr\u00FCf \\\"C:\\\\x\\\" \u20AC\"\r\n"
        u"\"Apply To\"=dword:0000001a\r\n"
        u"@=\"\"\r\n\r\n";
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

TEST(RegFileRead, RefusesWhatTheEditorWouldNotWriteNamingTheLine) {
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\K]\r\n";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int line;
        const char* message;
    } cases[] = {
        {"a key line cut in half", Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\.DEF"), 3, "no closing"},
        {"a string cut in half", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Name\"=\"abc"), 3, "not closed"},
        {"a hex list cut after its continuation", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"B\"=hex:01,\\"), 3, "continuation"},
        {"a hex list ending in a comma", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"B\"=hex:01,"), 3, "cut off"},
        {"Unicode header without UTF-16", AnsiFile(head), 1, "not UTF-16LE"},
        {"UTF-16 cut in half a character", [] { auto b = Utf16File(u"REGEDIT4\r\n"); b.push_back(0x41); return b; }(), 0, "half"},
        {"zero bytes without byte order mark", AnsiFile(std::string("R\0E\0G\0", 6)), 0, "byte order mark"},
        {"no header", Utf16File(u"[HKEY_USERS\\K]\r\n"), 1, "does not start"},
        {"a key deletion", Utf16File(u"Windows Registry Editor Version 5.00\r\n[-HKEY_USERS\\K]\r\n"), 2, "deletes a key"},
        {"a value deletion", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Name\"=-\r\n"), 3, "deletes a value"},
        {"a value before any key", Utf16File(u"Windows Registry Editor Version 5.00\r\n\"Name\"=\"x\"\r\n"), 2, "before the first key"},
        {"a lone backslash in a string", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Exe\"=\"C:\\Windows\"\r\n"), 3, "must be written"},
        {"a character outside code page 1252", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Name\"=\"\u0416\"\r\n"), 3, "U+0416"},
        {"a zero inside a key name", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\Work" + std::u16string(1, u'\0') + u"Evil]\r\n"), 2, "zero character"},
        {"a zero inside a value name", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"Name" + std::u16string(1, u'\0') + u"x\"=\"\"\r\n"), 3, "zero character"},
        {"a dword of nine digits", Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_USERS\\K]\r\n\"N\"=dword:000000001\r\n"), 3, "1 to 8"},
    };
    for (const Case& c : cases) {
        RegFile file;
        file.keys.push_back({"sentinel", {}, 0});
        RegFileError error;
        EXPECT_FALSE(ReadRegFile(c.bytes, &file, &error)) << c.what;
        EXPECT_EQ(error.line, c.line) << c.what << ": " << error.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << c.what << ": " << error.message;
        ASSERT_EQ(file.keys.size(), 1u) << c.what;
        EXPECT_EQ(file.keys[0].path, "sentinel") << c.what;
    }
}
