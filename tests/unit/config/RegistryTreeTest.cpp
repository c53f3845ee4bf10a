// Copying, moving and deleting whole keys, with chosen registry calls failing.
#include "tests/unit/config/ConfigFixture.h"

namespace {

class RegistryTree : public ConfigTest {
protected:
    const std::string m_old = ProfileKey("Old");
    const std::string m_new = ProfileKey("New");

    // A profile key with everything the copy must carry: long data, a long value name, a value
    // without terminating zero, the default value, other types and a deep subkey.
    void StoreProfile(const std::string& key) {
        PutDword(key, "Count", 2);
        PutString(key + "\\Tweak 00", "Parameters", std::string(5000, 'p'));
        PutString(key + "\\Tweak 00", "Name", "Packen");
        Put(key + "\\Tweak 00", std::string(600, 'n').c_str(), REG_BINARY, {0, 1, 2, 0xFF});
        Put(key + "\\Tweak 01", "Unterminated", REG_SZ, {'a', 'b'});
        Put(key + "\\Tweak 01", "", REG_EXPAND_SZ, {'%', 'x', '%', 0});
        Put(key + "\\Tweak 01", "Short", REG_DWORD, {1, 2});
        Put(key + "\\Tweak 01\\a\\b\\c\\d", "Deep", REG_MULTI_SZ, {'x', 0, 'y', 0, 0});
        PutDword(key + "\\Tweak 01\\a\\empty sibling", "v", 7);
    }
    MemoryRegistry::Key Tree(const std::string& key) {
        auto tree = m_reg.Snapshot(HKEY_USERS, key);
        EXPECT_TRUE(tree) << key;
        return tree ? *tree : MemoryRegistry::Key{};
    }
    static MemoryRegistry::FailurePredicate FailOn(MemoryRegistry::Op op, std::string pathEnd,
                                                   std::string valueName = "") {
        return [=](const MemoryRegistry::Call& call) -> long {
            const bool pathMatches = call.keyPath.size() >= pathEnd.size() &&
                                     call.keyPath.compare(call.keyPath.size() - pathEnd.size(),
                                                          pathEnd.size(), pathEnd) == 0;
            const bool fails = call.op == op && pathMatches &&
                               (valueName.empty() || call.valueName == valueName);
            return fails ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        };
    }
};

TEST_F(RegistryTree, MoveCarriesEveryValueAndSubkeyByteForByte) {
    StoreProfile(m_old);
    const MemoryRegistry::Key before = Tree(m_old);
    m_app.MoveRegKey(m_old.c_str(), m_new.c_str());
    EXPECT_FALSE(Exists(m_old));
    ExpectSameTree(before, Tree(m_new));
}

TEST_F(RegistryTree, MoveChangesNothingWhenTheNewKeyExistsOrTheOldOneIsMissing) {
    StoreProfile(m_old);
    PutDword(m_new, "Count", 0);
    const MemoryRegistry::Key oldBefore = Tree(m_old), newBefore = Tree(m_new);
    m_app.MoveRegKey(m_old.c_str(), m_new.c_str());
    ExpectSameTree(oldBefore, Tree(m_old));
    ExpectSameTree(newBefore, Tree(m_new));

    // A new name that differs only in letter case names the same key.
    m_app.MoveRegKey(m_old.c_str(), ProfileKey("OLD").c_str());
    EXPECT_EQ(SubkeyNames(Root("Configurations")), (std::vector<std::string>{"New", "Old"}));

    m_app.MoveRegKey(ProfileKey("Missing").c_str(), ProfileKey("Other").c_str());
    EXPECT_FALSE(Exists(ProfileKey("Other")));
}

TEST_F(RegistryTree, AnIncompleteCopyKeepsTheOldKeyAndRemovesTheNewOne) {
    struct Case {
        const char* description;
        MemoryRegistry::FailurePredicate failure;
    };
    const Case cases[] = {
        {"a subkey cannot be created", FailOn(MemoryRegistry::Op::CreateKey, "New\\Tweak 01\\a\\b")},
        {"a subkey cannot be opened", FailOn(MemoryRegistry::Op::OpenKey, "Old\\Tweak 01\\a")},
        {"a value cannot be written", FailOn(MemoryRegistry::Op::SetValue, "New\\Tweak 00", "Name")},
        {"a value cannot be enumerated", FailOn(MemoryRegistry::Op::EnumValue, "Old\\Tweak 01")},
        {"subkeys cannot be enumerated", FailOn(MemoryRegistry::Op::EnumKey, "Old\\Tweak 01\\a")},
    };
    for (const Case& c : cases) {
        StoreProfile(m_old);
        const MemoryRegistry::Key before = Tree(m_old);
        m_reg.SetFailure(c.failure);
        m_app.MoveRegKey(m_old.c_str(), m_new.c_str());
        m_reg.SetFailure(nullptr);
        EXPECT_FALSE(Exists(m_new)) << c.description;
        ExpectSameTree(before, Tree(m_old), c.description);
    }
}

TEST_F(RegistryTree, CopyReportsWhetherItIsComplete) {
    StoreProfile(m_old);
    HKEY source, target;
    ASSERT_EQ(m_reg.OpenKey(HKEY_USERS, m_old.c_str(), &source), ERROR_SUCCESS);
    ASSERT_EQ(m_reg.CreateKey(HKEY_USERS, m_new.c_str(), &target), ERROR_SUCCESS);
    EXPECT_TRUE(m_app.CopyRegTree(source, target));
    m_reg.SetFailure(FailOn(MemoryRegistry::Op::SetValue, "New\\Tweak 01", "Short"));
    EXPECT_FALSE(m_app.CopyRegTree(source, target));
    m_reg.SetFailure(nullptr);
    m_reg.CloseKey(source);
    m_reg.CloseKey(target);
}

TEST_F(RegistryTree, MovingAKeyIntoItsOwnSubtreeChangesNothing) {
    StoreProfile(m_old);
    const MemoryRegistry::Key before = Tree(m_old);
    m_app.MoveRegKey(m_old.c_str(), (m_old + "\\Inner").c_str());
    ExpectSameTree(before, Tree(m_old));
}

TEST_F(RegistryTree, DeleteRemovesTheWholeTree) {
    StoreProfile(m_old);
    PutDword(m_new, "Count", 1);
    m_app.DeleteRegTree(m_old.c_str());
    EXPECT_FALSE(Exists(m_old));
    EXPECT_TRUE(Exists(m_new));
    m_app.DeleteRegTree(ProfileKey("Missing").c_str());
    EXPECT_EQ(SubkeyNames(Root("Configurations")), std::vector<std::string>{"New"});
}

TEST_F(RegistryTree, DeleteTouchesNothingOutsideTheSetsOfTheAddOn) {
    StoreProfile(m_old);
    PutDword(Root(""), "Config Version", 0);
    PutDword(".DEFAULT\\Software\\Other Vendor", "Keep", 1);
    PutDword(Root("Configurations2\\x"), "Keep", 1);
    const MemoryRegistry::Key before = Tree("");
    for (const std::string path : {std::string(), std::string(".DEFAULT"), Root(""), Root("Configurations"),
                                   Root("Configurations\\"), Root("configurations\\\\"),
                                   Root("Configurations2"), Root("Configurations2\\x"),
                                   std::string(".DEFAULT\\Software\\Other Vendor")}) {
        m_app.DeleteRegTree(path.c_str());
        ExpectSameTree(before, Tree(""), "'" + path + "'");
    }
    m_app.DeleteRegTree(ProfileKey("\\Old").c_str());
    EXPECT_FALSE(Exists(m_old));
}

TEST_F(RegistryTree, AnUndeletableSubkeyStaysWithItsParentsAndTheRestGoes) {
    StoreProfile(m_old);
    PutDword(m_old + "\\Tweak 02", "v", 1);
    m_reg.SetFailure(FailOn(MemoryRegistry::Op::DeleteKey, "Old\\Tweak 01\\a\\b\\c"));
    m_app.DeleteRegTree(m_old.c_str());
    m_reg.SetFailure(nullptr);
    EXPECT_EQ(SubkeyNames(m_old), std::vector<std::string>{"Tweak 01"});
    EXPECT_EQ(SubkeyNames(m_old + "\\Tweak 01\\a"), std::vector<std::string>{"b"});
    EXPECT_TRUE(Exists(m_old + "\\Tweak 01\\a\\b\\c"));
    EXPECT_FALSE(Exists(m_old + "\\Tweak 01\\a\\b\\c\\d"));
    // The values of the keys that stay are gone only with their keys.
    EXPECT_NE(Get(m_old, "Count"), nullptr);
}

}  // namespace
