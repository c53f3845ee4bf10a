// The registry cases that the in-memory registry and the real registry must both pass.
#include "tests/shared/RegistrySuite.h"

#include <cstring>
#include <set>
#include <vector>

#include "tests/common/KeyTree.h"

namespace {

const HKEY kUntouched = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0xdeadbeef));
// A handle value that no open key has (values from 0x80000000 up count as predefined keys).
const HKEY kNeverOpened = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x0dead00c));
const uint32_t kSentinel = 0xdeadbeef;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// The value's type and bytes, asked for its size first.
struct Read {
    long error = kSentinel;
    uint32_t type = kSentinel;
    std::vector<uint8_t> data;
};

Read ReadValue(IRegistry& reg, HKEY key, const char* name) {
    Read read;
    uint32_t size = kSentinel;
    read.error = reg.QueryValue(key, name, &read.type, nullptr, &size);
    if (read.error != ERROR_SUCCESS) return read;
    // One spare byte: a string without its terminating zero may get one in the buffer.
    std::vector<uint8_t> buffer(size + 1, 0xCD);
    uint32_t got = size;
    read.error = reg.QueryValue(key, name, &read.type, buffer.data(), &got);
    EXPECT_EQ(got, size);
    read.data.assign(buffer.begin(), buffer.begin() + got);
    return read;
}

std::vector<std::string> SubkeyNames(IRegistry& reg, HKEY key) {
    std::vector<std::string> names;
    char name[512];
    for (uint32_t i = 0; reg.EnumKey(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        names.push_back(name);
    }
    return names;
}

std::set<std::string> ValueNames(IRegistry& reg, HKEY key) {
    std::set<std::string> names;
    char name[512];
    for (uint32_t i = 0;; ++i) {
        uint32_t nameLen = sizeof name;
        if (reg.EnumValue(key, i, name, &nameLen, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.insert(std::string(name, nameLen));
    }
    return names;
}

}  // namespace

void RegistrySuite::SetUp() {
    m_registry = GetParam().make();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = info->name();
    test = test.substr(0, test.find('/'));
    m_path = GetParam().base + "\\" + test;
    ASSERT_TRUE(DeleteKeyTree(Reg(), GetParam().root, m_path)) << "left over: " << m_path;
}

void RegistrySuite::TearDown() {
    for (HKEY key : m_open) Reg().CloseKey(key);
    m_open.clear();
    EXPECT_TRUE(DeleteKeyTree(Reg(), GetParam().root, m_path));
}

std::string RegistrySuite::Path(const std::string& below) const {
    return below.empty() ? m_path : m_path + "\\" + below;
}

HKEY RegistrySuite::Key(const std::string& below) {
    HKEY key = kUntouched;
    EXPECT_EQ(Reg().CreateKey(GetParam().root, Path(below).c_str(), &key), ERROR_SUCCESS);
    m_open.push_back(key);
    return key;
}

TEST_P(RegistrySuite, CreateMakesEveryMissingKeyAndOpenFindsOnlyExistingOnes) {
    const HKEY root = GetParam().root;
    HKEY key = kUntouched;
    // A failed open gives a null handle, nothing to close.
    EXPECT_EQ(Reg().OpenKey(root, Path("a").c_str(), &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);

    ASSERT_EQ(Reg().CreateKey(root, Path("a\\b\\c").c_str(), &key), ERROR_SUCCESS);
    const uint8_t one[] = {1, 0, 0, 0};
    EXPECT_EQ(Reg().SetValue(key, "v", REG_DWORD, one, 4), ERROR_SUCCESS);
    EXPECT_EQ(Reg().CloseKey(key), ERROR_SUCCESS);

    // Opening the middle key, and creating the deepest again, keeps what is there.
    HKEY middle = kUntouched;
    ASSERT_EQ(Reg().OpenKey(root, Path("a\\b").c_str(), &middle), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(Reg(), middle), std::vector<std::string>{"c"});
    HKEY again = kUntouched;
    ASSERT_EQ(Reg().CreateKey(middle, "c", &again), ERROR_SUCCESS);
    EXPECT_EQ(ReadValue(Reg(), again, "v").data, std::vector<uint8_t>(one, one + 4));
    EXPECT_EQ(Reg().CloseKey(again), ERROR_SUCCESS);

    // A missing key below an existing one is not created by an open.
    HKEY missing = kUntouched;
    EXPECT_EQ(Reg().OpenKey(middle, "c\\d", &missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(Reg().CloseKey(middle), ERROR_SUCCESS);
    HKEY c = Key("a\\b\\c");
    EXPECT_TRUE(SubkeyNames(Reg(), c).empty());

    // A trailing backslash names the same key.
    HKEY trailing = kUntouched;
    ASSERT_EQ(Reg().CreateKey(root, (Path("a\\b") + "\\").c_str(), &trailing), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(Reg(), trailing), std::vector<std::string>{"c"});
    EXPECT_EQ(Reg().CloseKey(trailing), ERROR_SUCCESS);

    // Doubled backslashes name no empty key.
    HKEY doubled = kUntouched;
    ASSERT_EQ(Reg().CreateKey(root, (Path("a") + "\\\\b\\\\d").c_str(), &doubled), ERROR_SUCCESS);
    EXPECT_EQ(Reg().CloseKey(doubled), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(Reg(), Key("a")), std::vector<std::string>{"b"});
    EXPECT_EQ(SubkeyNames(Reg(), Key("a\\b")), (std::vector<std::string>{"c", "d"}));
    ASSERT_EQ(Reg().OpenKey(root, (Path("a") + "\\\\b").c_str(), &doubled), ERROR_SUCCESS);
    EXPECT_EQ(Reg().CloseKey(doubled), ERROR_SUCCESS);
    EXPECT_EQ(Reg().DeleteKey(root, (Path("a") + "\\\\b\\\\d").c_str()), ERROR_SUCCESS);
}

TEST_P(RegistrySuite, ValuesKeepTheirTypeAndEveryByte) {
    HKEY key = Key();
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const std::vector<Case> cases = {
        {"text", REG_SZ, Bytes(std::string("Hilfsprogramm", 14))},
        {"empty text", REG_SZ, {0}},
        {"ansi", REG_SZ, {'G', 'r', 0xF6, 0xDF, 'e', 0xAE, 0}},
        {"expand", REG_EXPAND_SZ, Bytes(std::string("%TEMP%\\x", 9))},
        {"multi", REG_MULTI_SZ, Bytes(std::string("a\0bc\0\0", 6))},
        {"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"short dword", REG_DWORD, {0x07, 0x00}},
        {"long dword", REG_DWORD, {1, 2, 3, 4, 5, 6}},
        {"binary", REG_BINARY, {0x00, 0xFF, 0x00, 0x80, 0x7F}},
        {"no bytes", REG_BINARY, {}},
        {"none", REG_NONE, {9}},
        {"", REG_SZ, Bytes(std::string("default", 8))},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Reg().SetValue(key, c.name, c.type, c.data.data(), uint32_t(c.data.size())),
                  ERROR_SUCCESS) << c.name;
    }
    for (const Case& c : cases) {
        const Read read = ReadValue(Reg(), key, c.name);
        EXPECT_EQ(read.error, ERROR_SUCCESS) << c.name;
        EXPECT_EQ(read.type, c.type) << c.name;
        EXPECT_EQ(read.data, c.data) << c.name;
    }
    // A null name is the default value too.
    EXPECT_EQ(ReadValue(Reg(), key, nullptr).data, Bytes(std::string("default", 8)));

    // Setting a value again replaces type and bytes.
    const uint8_t two[] = {2, 0, 0, 0};
    ASSERT_EQ(Reg().SetValue(key, "text", REG_DWORD, two, 4), ERROR_SUCCESS);
    const Read replaced = ReadValue(Reg(), key, "text");
    EXPECT_EQ(replaced.type, uint32_t(REG_DWORD));
    EXPECT_EQ(replaced.data, std::vector<uint8_t>(two, two + 4));

    // A missing value leaves the data as it was.
    uint32_t type = kSentinel, size = 4;
    uint8_t buffer[4] = {0xCD, 0xCD, 0xCD, 0xCD};
    EXPECT_EQ(Reg().QueryValue(key, "missing", &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, uint32_t(REG_NONE));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buffer[0], 0xCD);
}

TEST_P(RegistrySuite, StringsWithoutTerminatingZero) {
    HKEY key = Key();
    // Stored as three bytes: the byte after the counted data is not a zero.
    const char unterminated[] = "abcX";
    ASSERT_EQ(Reg().SetValue(key, "open", REG_SZ, reinterpret_cast<const uint8_t*>(unterminated), 3),
              ERROR_SUCCESS);
    uint32_t type = kSentinel, size = kSentinel;
    ASSERT_EQ(Reg().QueryValue(key, "open", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);

    // An exact buffer gets the three bytes; a larger one gets a zero after them as well.
    uint8_t exact[4] = {0xCD, 0xCD, 0xCD, 0xCD};
    size = 3;
    ASSERT_EQ(Reg().QueryValue(key, "open", &type, exact, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::vector<uint8_t>(exact, exact + 4), (std::vector<uint8_t>{'a', 'b', 'c', 0xCD}));
    uint8_t roomy[6] = {0xCD, 0xCD, 0xCD, 0xCD, 0xCD, 0xCD};
    size = sizeof roomy;
    ASSERT_EQ(Reg().QueryValue(key, "open", &type, roomy, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::vector<uint8_t>(roomy, roomy + 5), (std::vector<uint8_t>{'a', 'b', 'c', 0, 0xCD}));

    // A size that leaves out a zero directly after the text stores that zero too.
    const char terminated[] = "abc";
    ASSERT_EQ(Reg().SetValue(key, "counted short", REG_SZ,
                             reinterpret_cast<const uint8_t*>(terminated), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadValue(Reg(), key, "counted short").data, Bytes(std::string("abc", 4)));
    // Binary data is never extended.
    ASSERT_EQ(Reg().SetValue(key, "binary", REG_BINARY,
                             reinterpret_cast<const uint8_t*>(terminated), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadValue(Reg(), key, "binary").data, Bytes("abc"));
}

TEST_P(RegistrySuite, NamesIgnoreLetterCaseButKeepTheWrittenOne) {
    HKEY key = Key();
    HKEY first = kUntouched, second = kUntouched;
    ASSERT_EQ(Reg().CreateKey(key, "Tweak \xC4rger", &first), ERROR_SUCCESS);
    const uint8_t data[] = {'x', 0};
    ASSERT_EQ(Reg().SetValue(first, "Apply To", REG_SZ, data, 2), ERROR_SUCCESS);
    ASSERT_EQ(Reg().CloseKey(first), ERROR_SUCCESS);

    ASSERT_EQ(Reg().CreateKey(key, "TWEAK \xE4RGER", &second), ERROR_SUCCESS);
    EXPECT_EQ(ReadValue(Reg(), second, "apply to").data, std::vector<uint8_t>(data, data + 2));
    const uint8_t newer[] = {'y', 'z', 0};
    ASSERT_EQ(Reg().SetValue(second, "APPLY TO", REG_SZ, newer, 3), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(Reg(), second), std::set<std::string>{"Apply To"});
    EXPECT_EQ(ReadValue(Reg(), second, "Apply To").data, std::vector<uint8_t>(newer, newer + 3));
    ASSERT_EQ(Reg().CloseKey(second), ERROR_SUCCESS);

    EXPECT_EQ(SubkeyNames(Reg(), key), std::vector<std::string>{"Tweak \xC4rger"});
    HKEY opened = kUntouched;
    EXPECT_EQ(Reg().OpenKey(GetParam().root, Path("tweak \xE4rger").c_str(), &opened), ERROR_SUCCESS);
    EXPECT_EQ(Reg().CloseKey(opened), ERROR_SUCCESS);
    // Deleting under another letter case removes the key.
    EXPECT_EQ(Reg().DeleteKey(key, "tWEAK \xC4RGER"), ERROR_SUCCESS);
    EXPECT_TRUE(SubkeyNames(Reg(), key).empty());
}

TEST_P(RegistrySuite, EnumerationListsKeysInOrderAndValuesOnce) {
    HKEY key = Key();
    for (const char* name : {"Tweak 10", "tweak 02", "Tweak 100", "Count"}) Key(name);
    const uint8_t dword[] = {3, 0, 0, 0};
    for (const char* name : {"Count", "Name", "Exe"}) {
        ASSERT_EQ(Reg().SetValue(key, name, REG_DWORD, dword, 4), ERROR_SUCCESS);
    }
    EXPECT_EQ(SubkeyNames(Reg(), key),
              (std::vector<std::string>{"Count", "tweak 02", "Tweak 10", "Tweak 100"}));
    EXPECT_EQ(ValueNames(Reg(), key), (std::set<std::string>{"Count", "Name", "Exe"}));

    char name[64];
    EXPECT_EQ(Reg().EnumKey(key, 4, name, sizeof name), ERROR_NO_MORE_ITEMS);
    uint32_t nameLen = sizeof name;
    EXPECT_EQ(Reg().EnumValue(key, 3, name, &nameLen, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    // A deleted subkey leaves the enumeration and the next one moves up.
    ASSERT_EQ(Reg().DeleteKey(key, "Count"), ERROR_SUCCESS);
    ASSERT_EQ(Reg().EnumKey(key, 0, name, sizeof name), ERROR_SUCCESS);
    EXPECT_STREQ(name, "tweak 02");
    EXPECT_EQ(Reg().EnumKey(key, 3, name, sizeof name), ERROR_NO_MORE_ITEMS);
}

TEST_P(RegistrySuite, SmallBuffersAreToldTheSizeTheyNeed) {
    HKEY key = Key();
    Key("Tweak 00");
    const std::string text = "C:\\Tools\\tweak.exe";
    ASSERT_EQ(Reg().SetValue(key, "Exe", REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                             uint32_t(text.size() + 1)),
              ERROR_SUCCESS);
    const uint32_t need = uint32_t(text.size() + 1);

    uint8_t small[4];
    uint32_t type = kSentinel, size = sizeof small;
    EXPECT_EQ(Reg().QueryValue(key, "Exe", &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, need);

    char name[16];
    EXPECT_EQ(Reg().EnumKey(key, 0, name, 8), ERROR_MORE_DATA);
    EXPECT_EQ(Reg().EnumKey(key, 0, name, 9), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Tweak 00");

    char valueName[8];
    uint8_t data[64];
    uint32_t nameLen = sizeof valueName, dataSize = 4;
    EXPECT_EQ(Reg().EnumValue(key, 0, valueName, &nameLen, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, need);
    nameLen = 3;  // "Exe" and its zero need 4
    dataSize = sizeof data;
    EXPECT_EQ(Reg().EnumValue(key, 0, valueName, &nameLen, &type, data, &dataSize), ERROR_MORE_DATA);
    nameLen = 4;
    dataSize = sizeof data;
    ASSERT_EQ(Reg().EnumValue(key, 0, valueName, &nameLen, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(valueName), "Exe");
    EXPECT_EQ(nameLen, 3u);
    EXPECT_EQ(type, uint32_t(REG_SZ));
    EXPECT_EQ(dataSize, need);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data)), text);
}

TEST_P(RegistrySuite, LongValuesAndLongNamesAreKeptWhole) {
    HKEY key = Key();
    std::string text(5000, 'p');
    text[4095] = 'q';
    std::vector<uint8_t> binary(70000);
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = uint8_t(i * 7);
    const std::string longName(600, 'n');
    ASSERT_EQ(Reg().SetValue(key, "Parameters", REG_SZ,
                             reinterpret_cast<const uint8_t*>(text.c_str()), uint32_t(text.size() + 1)),
              ERROR_SUCCESS);
    ASSERT_EQ(Reg().SetValue(key, longName.c_str(), REG_BINARY, binary.data(), uint32_t(binary.size())),
              ERROR_SUCCESS);

    EXPECT_EQ(ReadValue(Reg(), key, "Parameters").data, Bytes(std::string(text.c_str(), text.size() + 1)));
    EXPECT_EQ(ReadValue(Reg(), key, longName.c_str()).data, binary);

    // Enumeration with the copy's usual buffers is told what it needs for each.
    std::vector<char> name(512);
    std::vector<uint8_t> data(4096);
    bool sawBinary = false, sawText = false;
    for (uint32_t i = 0; i < 2; ++i) {
        uint32_t nameLen = 512, dataSize = 4096;
        const long result = Reg().EnumValue(key, i, name.data(), &nameLen, nullptr, data.data(), &dataSize);
        EXPECT_EQ(result, ERROR_MORE_DATA);
        if (dataSize == binary.size()) sawBinary = true;
        if (dataSize == text.size() + 1) sawText = true;
    }
    EXPECT_TRUE(sawBinary);
    EXPECT_TRUE(sawText);
    for (uint32_t i = 0; i < 2; ++i) {
        std::vector<char> bigName(1024);
        std::vector<uint8_t> bigData(binary.size());
        uint32_t nameLen = 1024, dataSize = uint32_t(bigData.size()), type = kSentinel;
        ASSERT_EQ(Reg().EnumValue(key, i, bigName.data(), &nameLen, &type, bigData.data(), &dataSize),
                  ERROR_SUCCESS);
        if (nameLen == longName.size()) {
            EXPECT_EQ(std::string(bigName.data()), longName);
            EXPECT_EQ(bigData, binary);
        } else {
            EXPECT_EQ(std::string(bigName.data()), "Parameters");
            EXPECT_EQ(dataSize, text.size() + 1);
        }
    }
}

TEST_P(RegistrySuite, DeleteRemovesOnlyKeysWithoutSubkeys) {
    const HKEY root = GetParam().root;
    HKEY parent = Key("parent");
    HKEY child = Key("parent\\child");
    const uint8_t data[] = {1, 2, 3};
    ASSERT_EQ(Reg().SetValue(child, "v", REG_BINARY, data, 3), ERROR_SUCCESS);

    EXPECT_EQ(Reg().DeleteKey(root, Path("parent").c_str()), ERROR_ACCESS_DENIED);
    EXPECT_EQ(SubkeyNames(Reg(), parent), std::vector<std::string>{"child"});
    EXPECT_EQ(ReadValue(Reg(), child, "v").error, ERROR_SUCCESS);

    // The deepest key goes with its values; handles to it then fail.
    ASSERT_EQ(Reg().DeleteKey(root, Path("parent\\child").c_str()), ERROR_SUCCESS);
    HKEY gone = kUntouched;
    EXPECT_EQ(Reg().OpenKey(root, Path("parent\\child").c_str(), &gone), ERROR_FILE_NOT_FOUND);
    uint32_t size = 0;
    EXPECT_EQ(Reg().QueryValue(child, "v", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(Reg().SetValue(child, "w", REG_BINARY, data, 3), ERROR_KEY_DELETED);
    char name[16];
    EXPECT_EQ(Reg().EnumKey(child, 0, name, sizeof name), ERROR_KEY_DELETED);

    EXPECT_EQ(Reg().DeleteKey(root, Path("parent\\child").c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Reg().DeleteKey(parent, "child"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Reg().DeleteKey(root, Path("parent").c_str()), ERROR_SUCCESS);
    gone = kUntouched;
    EXPECT_EQ(Reg().OpenKey(root, Path("parent").c_str(), &gone), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(gone, nullptr);
}

TEST_P(RegistrySuite, CloseAcceptsOnlyOpenHandles) {
    HKEY key = kUntouched;
    ASSERT_EQ(Reg().CreateKey(GetParam().root, Path().c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(Reg().CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(Reg().CloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Reg().CloseKey(kNeverOpened), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Reg().CloseKey(GetParam().root), ERROR_SUCCESS);
}
