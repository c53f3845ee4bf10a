// The host's rename and delete of a profile: the profile's key follows, the global one never.
#include "config/HostWrite.h"
#include "tests/unit/config/ConfigFixture.h"

namespace {

class ProfileKeys : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        PutDword(GlobalKey(), "Count", 1);
        PutString(GlobalKey() + "\\Tweak 00", "Name", "global");
        PutDword(ProfileKey("Work"), "Count", 1);
        PutString(ProfileKey("Work") + "\\Tweak 00", "Name", "work");
    }
    MemoryRegistry::Key Configurations() { return *m_reg.Snapshot(HKEY_USERS, Root("Configurations")); }
};

TEST_F(ProfileKeys, RenameMovesTheProfilesKey) {
    RenameProfileKey(m_app, "Work", "B\xFCro");
    EXPECT_EQ(SubkeyNames(Root("Configurations")),
              (std::vector<std::string>{"B\xFCro", "ZTTrevanelAddon Global Configuration"}));
    EXPECT_EQ(Get(ProfileKey("B\xFCro") + "\\Tweak 00", "Name")->data, Sz("work"));
}

TEST_F(ProfileKeys, DeleteRemovesTheProfilesKey) {
    DeleteProfileKey(m_app, "WORK");
    EXPECT_EQ(SubkeyNames(Root("Configurations")),
              std::vector<std::string>{"ZTTrevanelAddon Global Configuration"});
}

TEST_F(ProfileKeys, RenamesThatChangeNothing) {
    PutDword(ProfileKey("Home"), "Count", 0);
    const MemoryRegistry::Key before = Configurations();
    const std::pair<const char*, const char*> renames[] = {
        {"Work", "Home"}, {"Work", "WORK"}, {"Nowhere", "Else"},
    };
    for (const auto& rename : renames) {
        RenameProfileKey(m_app, rename.first, rename.second);
        ExpectSameTree(before, Configurations(), std::string(rename.first) + " to " + rename.second);
    }
    EXPECT_EQ(SubkeyNames(Root("Configurations"))[1], "Work");
}

TEST_F(ProfileKeys, TheGlobalConfigurationIsNeverMovedOrDeleted) {
    const MemoryRegistry::Key before = Configurations();
    const char* const globalNames[] = {
        nullptr, "", "ZTTrevanelAddon Global Configuration", "ztTREVANELaddon global configuration",
        "ZTTrevanelAddon Global Configuration\\", "\\", "\\\\",
        "ZTTrevanelAddon Global Configuration\\Tweak 00", "zttrevanelADDON global configuration\\Tweak 05",
    };
    for (const char* name : globalNames) {
        const std::string shown = name ? name : "(null)";
        RenameProfileKey(m_app, name, "Moved");
        RenameProfileKey(m_app, "Work", name);
        DeleteProfileKey(m_app, name);
        ExpectSameTree(before, Configurations(), shown);
        EXPECT_FALSE(Exists(ProfileKey("Moved"))) << shown;
    }
    // With the global key missing, a rename onto its name must not make a profile global.
    DeleteProfileKey(m_app, "Work");
    m_app.DeleteRegTree(GlobalKey().c_str());
    PutDword(ProfileKey("Work"), "Count", 3);
    RenameProfileKey(m_app, "Work", kGlobalSetName);
    EXPECT_FALSE(Exists(GlobalKey()));
    EXPECT_TRUE(Exists(ProfileKey("Work")));
}

}  // namespace
