// The host's profile rename and delete, played by the host stand-in on the real add-on, checked
// in the real registry byte for byte.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "config/AppBase.h"
#include "tests/common/Layout.h"
#include "tests/wine/common/WineHarness.h"

namespace {

const std::string kGlobalName = kGlobalSetName;

struct Value {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

// A key as the registry holds it: values sorted by name, subkeys in enumeration order.
struct Tree {
    std::string name;
    std::vector<Value> values;
    std::vector<Tree> subkeys;
};

std::optional<Tree> ReadTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    Tree tree;
    tree.name = path.substr(path.rfind('\\') + 1);
    DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName,
                     &maxData, nullptr, nullptr);
    for (DWORD i = 0; i < values; ++i) {
        std::vector<char> name(maxName + 2);
        std::vector<BYTE> data(maxData + 2);
        DWORD nameLen = DWORD(name.size()), dataSize = DWORD(data.size());
        Value value;
        EXPECT_EQ(RegEnumValueA(key, i, name.data(), &nameLen, nullptr, &value.type, data.data(),
                                &dataSize),
                  ERROR_SUCCESS);
        value.name.assign(name.data(), nameLen);
        value.data.assign(data.begin(), data.begin() + dataSize);
        tree.values.push_back(value);
    }
    std::sort(tree.values.begin(), tree.values.end(),
              [](const Value& a, const Value& b) { return a.name < b.name; });
    for (DWORD i = 0; i < subkeys; ++i) {
        std::vector<char> name(maxSubkey + 2);
        DWORD nameLen = DWORD(name.size());
        EXPECT_EQ(RegEnumKeyExA(key, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
        if (auto sub = ReadTree(root, path + "\\" + name.data())) tree.subkeys.push_back(*sub);
    }
    RegCloseKey(key);
    return tree;
}

void WriteTree(HKEY root, const std::string& path, const Tree& tree) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(root, path.c_str(), &key), ERROR_SUCCESS) << path;
    for (const Value& value : tree.values) {
        // One byte beyond the data that is no zero, so that exactly the data is stored.
        std::vector<BYTE> data = value.data;
        data.push_back(0xEE);
        EXPECT_EQ(RegSetValueExA(key, value.name.c_str(), 0, value.type, data.data(),
                                 DWORD(value.data.size())),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
    for (const Tree& sub : tree.subkeys) WriteTree(root, path + "\\" + sub.name, sub);
}

void ExpectSameTree(const Tree& expected, const Tree& actual, const std::string& where) {
    ASSERT_EQ(expected.values.size(), actual.values.size()) << where;
    for (size_t i = 0; i < expected.values.size(); ++i) {
        const Value& e = expected.values[i];
        const Value& a = actual.values[i];
        EXPECT_EQ(e.name, a.name) << where;
        EXPECT_EQ(e.type, a.type) << where << " value " << e.name;
        EXPECT_TRUE(e.data == a.data) << where << " value " << e.name << ": " << e.data.size()
                                      << " bytes expected, " << a.data.size() << " found";
    }
    ASSERT_EQ(expected.subkeys.size(), actual.subkeys.size()) << where;
    for (size_t i = 0; i < expected.subkeys.size(); ++i) {
        EXPECT_EQ(expected.subkeys[i].name, actual.subkeys[i].name) << where;
        ExpectSameTree(expected.subkeys[i], actual.subkeys[i], where + "\\" + expected.subkeys[i].name);
    }
}

Value MakeValue(const std::string& name, DWORD type, const std::string& bytes) {
    return Value{name, type, std::vector<BYTE>(bytes.begin(), bytes.end())};
}

// A profile's key with what a rename must carry whole: more than 4,096 bytes of data, a value
// name longer than 511 characters, a string without terminating zero, a deep subkey.
Tree RichProfile() {
    std::string parameters(6000, 'p');
    parameters[4096] = 'q';
    parameters += '\0';
    std::string binary;
    for (int i = 0; i < 9000; ++i) binary += char(i * 13);
    Tree deep{"d", {MakeValue("Deep", REG_MULTI_SZ, std::string("x\0y\0\0", 5))}, {}};
    Tree c{"c", {}, {deep}};
    Tree b{"b", {MakeValue("", REG_EXPAND_SZ, std::string("%TEMP%\0", 7))}, {c}};
    Tree a{"a", {}, {b}};
    Tree tweak0{"Tweak 00",
                {MakeValue("Name", REG_SZ, wine::Cp1252("Packen für später") + '\0'),
                 MakeValue("Parameters", REG_SZ, parameters),
                 MakeValue("Apply To", REG_DWORD, std::string("\xC1\xFF\xFF\xFF", 4))},
                {}};
    Tree tweak1{"Tweak 01",
                {MakeValue(std::string(600, 'n'), REG_BINARY, binary),
                 MakeValue("Unterminated", REG_SZ, "abc"),
                 MakeValue("Short", REG_DWORD, std::string("\x01\x02", 2))},
                {a}};
    Tree profile{"", {MakeValue("Count", REG_DWORD, std::string("\x02\0\0\0", 4))}, {tweak0, tweak1}};
    std::sort(profile.values.begin(), profile.values.end(),
              [](const Value& x, const Value& y) { return x.name < y.name; });
    for (Tree* t : {&profile.subkeys[0], &profile.subkeys[1]}) {
        std::sort(t->values.begin(), t->values.end(),
                  [](const Value& x, const Value& y) { return x.name < y.name; });
    }
    return profile;
}

class ProfileKeysWine : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedGlobal = ReadTree(HKEY_USERS, Key(kGlobalName));
        for (const char* name : kProfiles) wine::DeleteRegTree(HKEY_USERS, Key(name));
    }
    void TearDown() override {
        for (const char* name : kProfiles) wine::DeleteRegTree(HKEY_USERS, Key(name));
        wine::DeleteRegTree(HKEY_USERS, Key(kGlobalName));
        if (m_savedGlobal) WriteTree(HKEY_USERS, Key(kGlobalName), *m_savedGlobal);
    }

    static std::string Key(const std::string& profile) { return ProfileKey(profile); }
    std::optional<Tree> Read(const std::string& profile) { return ReadTree(HKEY_USERS, Key(profile)); }

    // Plays the lines between a load and an unload of the add-on; every command must run.
    void Host(const std::vector<std::string>& commands) {
        std::vector<std::string> lines = {"load"};
        lines.insert(lines.end(), commands.begin(), commands.end());
        lines.push_back("unload");
        const wine::ProgramResult result = wine::RunHost(m_addon.Path(), lines);
        EXPECT_EQ(result.exitCode, 0u) << result.output;
        for (const std::string& command : commands) {
            const std::string verb = command.substr(0, command.find(' '));
            EXPECT_NE(result.output.find(verb + " "), std::string::npos) << result.output;
        }
    }

    static constexpr const char* kProfiles[] = {"Wine Quelle", "Wine Ziel", "WINE QUELLE",
                                                "Wine Andere", "Wine Ohne", "Wine Neu"};
    wine::AddonCopy m_addon;
    std::optional<Tree> m_savedGlobal;
};

TEST_F(ProfileKeysWine, RenameMovesTheWholeKeyByteForByte) {
    const Tree profile = RichProfile();
    WriteTree(HKEY_USERS, Key("Wine Quelle"), profile);
    const std::optional<Tree> before = Read("Wine Quelle");
    ASSERT_TRUE(before);
    ASSERT_EQ(before->subkeys.size(), 2u);
    // The stored key is what was meant: the long value and the value without zero are intact.
    ExpectSameTree(profile, *before, "stored");

    Host({"rename \"Wine Quelle\" \"Wine Ziel\""});
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Key("Wine Quelle")));
    const std::optional<Tree> after = Read("Wine Ziel");
    ASSERT_TRUE(after);
    ExpectSameTree(*before, *after, "Wine Ziel");
}

TEST_F(ProfileKeysWine, RenamesThatMustChangeNothing) {
    WriteTree(HKEY_USERS, Key("Wine Quelle"), RichProfile());
    Tree other{"", {MakeValue("Count", REG_DWORD, std::string("\0\0\0\0", 4))}, {}};
    WriteTree(HKEY_USERS, Key("Wine Andere"), other);
    const Tree source = *Read("Wine Quelle");
    const Tree target = *Read("Wine Andere");

    Host({"rename \"Wine Quelle\" \"Wine Andere\"", "rename \"Wine Quelle\" \"WINE QUELLE\"",
          "rename \"Wine Ohne\" \"Wine Neu\""});
    ExpectSameTree(source, *Read("Wine Quelle"), "source");
    ExpectSameTree(target, *Read("Wine Andere"), "target");
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Key("Wine Ohne")));
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Key("Wine Neu")));

    // The key keeps the letter case it was written with.
    HKEY configurations;
    ASSERT_EQ(RegOpenKeyA(HKEY_USERS, ConfigurationsKey().c_str(), &configurations), ERROR_SUCCESS);
    bool found = false;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(configurations, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        if (lstrcmpiA(name, "Wine Quelle") == 0) {
            EXPECT_STREQ(name, "Wine Quelle");
            found = true;
        }
    }
    RegCloseKey(configurations);
    EXPECT_TRUE(found);
}

TEST_F(ProfileKeysWine, DeleteRemovesTheWholeKeyAndNothingElse) {
    WriteTree(HKEY_USERS, Key("Wine Quelle"), RichProfile());
    WriteTree(HKEY_USERS, Key("Wine Andere"), RichProfile());
    const Tree kept = *Read("Wine Andere");
    Host({"delete \"wine quelle\"", "delete \"Wine Ohne\""});
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Key("Wine Quelle")));
    ExpectSameTree(kept, *Read("Wine Andere"), "other profile");
}

TEST_F(ProfileKeysWine, TheGlobalConfigurationIsNeverMovedOrDeleted) {
    wine::DeleteRegTree(HKEY_USERS, Key(kGlobalName));
    WriteTree(HKEY_USERS, Key(kGlobalName), RichProfile());
    WriteTree(HKEY_USERS, Key("Wine Quelle"), RichProfile());
    const Tree global = *Read(kGlobalName);
    const Tree profile = *Read("Wine Quelle");

    Host({"rename @null \"Wine Neu\"", "rename \"\" \"Wine Neu\"",
          "rename \"" + kGlobalName + "\" \"Wine Neu\"",
          "rename \"ztTREVANELaddon global CONFIGURATION\" \"Wine Neu\"",
          "rename \"\\\\\" \"Wine Neu\"",
          "rename \"Wine Quelle\" @null", "rename \"Wine Quelle\" \"\"",
          "rename \"Wine Quelle\" \"" + kGlobalName + "\\\\\"",
          "delete @null", "delete \"\"", "delete \"ZTTREVANELADDON Global Configuration\"",
          "delete \"\\\\\"", "delete \"" + kGlobalName + "\\\\\""});
    ExpectSameTree(global, *Read(kGlobalName), "global");
    ExpectSameTree(profile, *Read("Wine Quelle"), "profile");
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Key("Wine Neu")));

    // Without a global key, a rename onto its name must not turn the profile into it.
    wine::DeleteRegTree(HKEY_USERS, Key(kGlobalName));
    Host({"rename \"Wine Quelle\" \"" + kGlobalName + "\""});
    EXPECT_FALSE(wine::RegKeyExists(HKEY_USERS, Key(kGlobalName)));
    ExpectSameTree(profile, *Read("Wine Quelle"), "profile");
}

}  // namespace
