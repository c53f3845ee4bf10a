// Reading and writing single values: defaults on failure, whole long strings, odd data.
#include "tests/unit/config/ConfigFixture.h"

namespace {

class RegistryAccess : public ConfigTest {
protected:
    const std::string m_key = Root("Access");
};

TEST_F(RegistryAccess, StringsOfAnyLengthReadWhole) {
    for (size_t length : {size_t(0), size_t(2047), size_t(2048), size_t(5000), size_t(70000)}) {
        std::string text(length, 'x');
        if (length > 0) text.back() = 'y';
        PutString(m_key, "Parameters", text);
        EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "Parameters", "default"), text)
            << length;
    }
}

TEST_F(RegistryAccess, StringsEndAtTheirFirstZeroOrAtTheEndOfTheirData) {
    Put(m_key, "unterminated", REG_SZ, {'a', 'b', 'c'});
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "unterminated", "d"), "abc");
    Put(m_key, "inner zero", REG_SZ, {'a', 0, 'b', 0});
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "inner zero", "d"), "a");
    Put(m_key, "no bytes", REG_SZ, {});
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "no bytes", "d"), "");
    // Data of another type is no text, whatever it spells.
    Put(m_key, "binary", REG_BINARY, {'h', 'i'});
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "binary", "d"), "d");
    Put(m_key, "dword", REG_DWORD, {'h', 'i', 0, 0});
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "dword", "d"), "d");
}

TEST_F(RegistryAccess, DwordsReadOnlyFromExactlyFourBytes) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
        int32_t expected;
    };
    const Case cases[] = {
        {"negative", REG_DWORD, Dword(0xFFFFFFFB), -5},
        {"high bits", REG_DWORD, Dword(0xFFFFFFC1), int32_t(0xFFFFFFC1)},
        {"binary of four bytes", REG_BINARY, {1, 0, 0, 0}, 42},
        {"the text \"123\"", REG_SZ, {'1', '2', '3', 0}, 42},
        {"short", REG_DWORD, {7, 0}, 42},
        {"one byte", REG_DWORD, {7}, 42},
        {"empty", REG_DWORD, {}, 42},
        {"long", REG_DWORD, {7, 0, 0, 0, 0}, 42},
        {"short string", REG_SZ, {'1', 0}, 42},
    };
    for (const Case& c : cases) {
        Put(m_key, c.name, c.type, c.data);
        EXPECT_EQ(m_app.ReadRegDword(HKEY_USERS, m_key.c_str(), c.name, 42), c.expected) << c.name;
    }
    EXPECT_EQ(m_app.ReadRegDword(HKEY_USERS, m_key.c_str(), "missing", 42), 42);
    EXPECT_EQ(m_app.ReadRegDword(HKEY_USERS, Root("Missing").c_str(), "negative", 42), 42);
}

TEST_F(RegistryAccess, MissingKeysAndValuesAndFailedReadsGiveTheDefault) {
    PutString(m_key, "Name", "stored");
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, Root("Missing").c_str(), "Name", "d"), "d");
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "Other", "d"), "d");
    m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        return call.op == MemoryRegistry::Op::QueryValue ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    });
    EXPECT_EQ(m_app.ReadRegString(HKEY_USERS, m_key.c_str(), "Name", "d"), "d");
}

TEST_F(RegistryAccess, WritesCreateTheKeyAndStoreTheTerminatingZero) {
    const std::string deep = m_key + "\\a\\b";
    m_app.WriteRegString(HKEY_USERS, deep.c_str(), "Name", "Zip \xE4");
    m_app.WriteRegString(HKEY_USERS, deep.c_str(), "Empty", "");
    m_app.WriteRegDword(HKEY_USERS, deep.c_str(), "Count", -2);
    ASSERT_NE(Get(deep, "Name"), nullptr);
    EXPECT_EQ(Get(deep, "Name")->type, uint32_t(REG_SZ));
    EXPECT_EQ(Get(deep, "Name")->data, Sz("Zip \xE4"));
    EXPECT_EQ(Get(deep, "Empty")->data, std::vector<uint8_t>{0});
    EXPECT_EQ(Get(deep, "Count")->type, uint32_t(REG_DWORD));
    EXPECT_EQ(Get(deep, "Count")->data, Dword(0xFFFFFFFE));

    // The configuration root with its final backslash is one key.
    m_app.WriteRegDword(HKEY_USERS, kConfigRoot, "Config Version", 0);
    EXPECT_EQ(SubkeyNames(Root("")), std::vector<std::string>{"Access"});
    ASSERT_NE(Get(Root(""), "Config Version"), nullptr);
    EXPECT_EQ(Get(Root(""), "Config Version")->data, Dword(0));
}

TEST_F(RegistryAccess, AWriteWhoseKeyCannotBeOpenedDoesNothing) {
    m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        return call.op == MemoryRegistry::Op::CreateKey ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    });
    m_app.WriteRegString(HKEY_USERS, m_key.c_str(), "Name", "x");
    m_app.WriteRegDword(HKEY_USERS, m_key.c_str(), "Count", 1);
    m_reg.SetFailure(nullptr);
    EXPECT_FALSE(Exists(m_key));
}

}  // namespace
