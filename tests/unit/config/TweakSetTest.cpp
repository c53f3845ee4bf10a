// A tweak set's registry layout: key paths, load with fall-back, "Count", save and reload.
#include <cstdio>

#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"
#include "tests/unit/config/ConfigFixture.h"

namespace {

class TweakSet : public ConfigTest {
protected:
    void StoreTweak(const std::string& setKey, int index, const std::string& name) {
        char tweak[32];
        std::snprintf(tweak, sizeof tweak, "Tweak %02d", index);
        PutString(setKey + "\\" + tweak, "Name", name);
        PutDword(setKey + "\\" + tweak, "Apply To", TWEAK_APPLY_DOWNLOAD);
    }
    static std::vector<std::string> Names(const CTweakConfig& set) {
        std::vector<std::string> names;
        for (const CTweakInfo* tweak : set.m_arrTweaks) names.push_back(tweak->GetName());
        return names;
    }
};

TEST_F(TweakSet, KeyPathsFollowTheProfileName) {
    EXPECT_EQ(CTweakConfig(nullptr).GetKeyPath(0), GlobalKey());
    EXPECT_EQ(CTweakConfig("").GetKeyPath(0), GlobalKey());
    EXPECT_EQ(CTweakConfig("Work").GetKeyPath(0), ProfileKey("Work"));
    EXPECT_EQ(CTweakConfig("Work").GetKeyPath(1), GlobalKey());
    EXPECT_EQ(CTweakConfig("Kunden\\Ost ").GetKeyPath(0), ProfileKey("Kunden\\Ost "));
}

TEST_F(TweakSet, AProfileWithoutCountOfItsOwnFallsBackToTheGlobalTweaks) {
    PutDword(GlobalKey(), "Count", 2);
    StoreTweak(GlobalKey(), 0, "global 0");
    StoreTweak(GlobalKey(), 1, "global 1");
    StoreTweak(ProfileKey("Work"), 0, "ignored without a Count");

    struct Case {
        const char* description;
        std::optional<uint32_t> count;
        std::vector<std::string> names;
        uint32_t type = REG_DWORD;
    };
    const Case cases[] = {
        {"no Count", std::nullopt, {"global 0", "global 1"}},
        {"negative Count", uint32_t(-5), {"global 0", "global 1"}},
        // Typed by hand as a string, whose four bytes would read as 3,355,185.
        {"Count as the text \"123\"", 0x00333231u, {"global 0", "global 1"}, REG_SZ},
        {"Count 0", 0u, {}},
        {"Count 3 with one key", 3u, {"ignored without a Count", "", ""}},
    };
    for (const Case& c : cases) {
        if (c.count) Put(ProfileKey("Work"), "Count", c.type, Dword(*c.count));
        CTweakConfig set("Work");
        set.Load();
        EXPECT_EQ(Names(set), c.names) << c.description;
    }
    // The fresh records of missing keys never run: they have no transfer type.
    CTweakConfig set("Work");
    set.Load();
    ASSERT_EQ(set.m_arrTweaks.size(), 3u);
    EXPECT_EQ(set.m_arrTweaks[2]->m_nApplyTo, 0u);
    EXPECT_EQ(set.m_arrTweaks[0]->m_nApplyTo, uint32_t(TWEAK_APPLY_DOWNLOAD));
    // Data no Count holds reads as none, not as an error; a profile name as long as a key's may be
    // has its set, a longer one names no key.
    Put(ProfileKey("Work"), "Count", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0});
    for (const std::string profile : {std::string("Work"), std::string(255, 'p'), std::string(256, 'p')}) {
        if (profile != "Work") PutDword(ProfileKey(profile), "Count", 0);
        // As Wine answers for a name longer than a key's: no "not found".
        m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
            return call.op == MemoryRegistry::Op::OpenKey && call.keyPath.find(std::string(256, 'p')) != std::string::npos
                       ? ERROR_MORE_DATA : ERROR_SUCCESS;
        });
        CTweakConfig odd(profile.c_str());
        KeySnapshot parts;
        EXPECT_TRUE(LoadReplaceable(odd, &parts));
        m_reg.SetFailure(nullptr);
        EXPECT_EQ(odd.m_arrTweaks.size(), profile.size() == 255 ? 0u : 2u) << profile.size();
    }
}

TEST_F(TweakSet, WithoutAnyConfigurationTheSetIsEmpty) {
    CTweakConfig set("Work");
    set.m_arrTweaks.push_back(new CTweakInfo);
    set.Load();
    EXPECT_TRUE(set.m_arrTweaks.empty());
    PutDword(GlobalKey(), "Count", uint32_t(-1));
    set.Load();
    EXPECT_TRUE(set.m_arrTweaks.empty());
}

TEST_F(TweakSet, AFallenBackSetSavesUnderItsOwnProfile) {
    PutDword(GlobalKey(), "Count", 2);
    StoreTweak(GlobalKey(), 0, "a");
    StoreTweak(GlobalKey(), 1, "b");
    CTweakConfig set("Work");
    set.Load();
    set.Save();
    EXPECT_EQ(Get(ProfileKey("Work"), "Count")->data, Dword(2));
    EXPECT_EQ(SubkeyNames(ProfileKey("Work")), (std::vector<std::string>{"Tweak 00", "Tweak 01"}));
    EXPECT_EQ(Get(ProfileKey("Work") + "\\Tweak 01", "Name")->data, Sz("b"));
    EXPECT_EQ(m_app.m_reloads, std::vector<std::string>{"Work"});
}

TEST_F(TweakSet, HundredAndOneTweaksAreNumberedWithAtLeastTwoDigits) {
    CTweakConfig set(nullptr);
    for (int i = 0; i < 101; ++i) {
        set.m_arrTweaks.push_back(new CTweakInfo);
        set.m_arrTweaks.back()->m_strName = "t" + std::to_string(i);
    }
    set.Save();
    const std::vector<std::string> keys = SubkeyNames(GlobalKey());
    ASSERT_EQ(keys.size(), 101u);
    EXPECT_EQ(Get(GlobalKey() + "\\Tweak 00", "Name")->data, Sz("t0"));
    EXPECT_EQ(Get(GlobalKey() + "\\Tweak 09", "Name")->data, Sz("t9"));
    EXPECT_EQ(Get(GlobalKey() + "\\Tweak 99", "Name")->data, Sz("t99"));
    EXPECT_EQ(Get(GlobalKey() + "\\Tweak 100", "Name")->data, Sz("t100"));

    CTweakConfig loaded("");
    loaded.Load();
    ASSERT_EQ(loaded.m_arrTweaks.size(), 101u);
    EXPECT_EQ(loaded.m_arrTweaks[100]->m_strName, "t100");
    // The global configuration's save reloads every session.
    EXPECT_EQ(m_app.m_reloads, std::vector<std::string>{""});
}

// A save stores the set whole: what stood above the new "Count" goes with the rest of the old set,
// subkeys a hand edit put into its tweak keys included.
TEST_F(TweakSet, SavingFewerTweaksLeavesNoKeysAboveCount) {
    CTweakConfig five("Work");
    for (int i = 0; i < 5; ++i) {
        five.m_arrTweaks.push_back(new CTweakInfo);
        five.m_arrTweaks.back()->m_strName = "old " + std::to_string(i);
    }
    five.Save();
    for (const char* tweak : {"\\Tweak 00\\Hand", "\\Tweak 04\\Hand\\Deeper"}) PutString(ProfileKey("Work") + tweak, "x", "y");
    CTweakConfig two("Work");
    two.m_arrTweaks = {new CTweakInfo, new CTweakInfo};
    two.m_arrTweaks[0]->m_strName = "new 0";
    two.m_arrTweaks[1]->m_strName = "new 1";
    two.Save();

    EXPECT_EQ(Get(ProfileKey("Work"), "Count")->data, Dword(2));
    EXPECT_EQ(SubkeyNames(ProfileKey("Work")), (std::vector<std::string>{"Tweak 00", "Tweak 01"}));
    EXPECT_TRUE(SubkeyNames(ProfileKey("Work") + "\\Tweak 00").empty());
    CTweakConfig loaded("Work");
    loaded.Load();
    EXPECT_EQ(Names(loaded), (std::vector<std::string>{"new 0", "new 1"}));
}

TEST_F(TweakSet, AHugeCountReadsNoMoreThanTheBound) {
    PutDword(ProfileKey("Work"), "Count", 0x7FFFFFFF);
    StoreTweak(ProfileKey("Work"), 0, "first");
    CTweakConfig set("Work");
    set.Load();
    ASSERT_EQ(set.m_arrTweaks.size(), size_t(CTweakConfig::kMaxTweaks));
    EXPECT_EQ(set.m_arrTweaks[0]->m_strName, "first");
}

TEST_F(TweakSet, SaveReloadsTheSessionsEvenWhenNothingCouldBeWritten) {
    m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        return call.op == MemoryRegistry::Op::CreateKey ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    });
    CTweakConfig set("Alpha");
    set.m_arrTweaks.push_back(new CTweakInfo);
    set.Save();
    m_reg.SetFailure(nullptr);
    EXPECT_FALSE(Exists(ProfileKey("Alpha")));
    EXPECT_EQ(m_app.m_reloads, std::vector<std::string>{"Alpha"});
}

TEST_F(TweakSet, ASaveThatReloadsTheSameSetDoesNotDeadlock) {
    struct ReloadingApp : RecordingApp {
        CTweakConfig* set = nullptr;
        void ReloadSessions(const char* profileName) override {
            RecordingApp::ReloadSessions(profileName);
            set->Load();
        }
    } app;
    CTweakConfig set("Work");
    app.set = &set;
    set.m_arrTweaks.push_back(new CTweakInfo);
    set.m_arrTweaks[0]->m_strName = "kept";
    set.Save();
    EXPECT_EQ(Names(set), std::vector<std::string>{"kept"});
    EXPECT_EQ(app.m_reloads, std::vector<std::string>{"Work"});
}

TEST_F(TweakSet, TheListsSaveHoldsOnlyFiltersThatReloadAsTheyRun) {
    using Items = std::vector<std::string>;
    const std::pair<Items, bool> cases[] = {
        {{"*.tmp "}, true}, {{"a", " b"}, false}, {{"", "a"}, false}, {{"x;y"}, false}};
    for (const auto& [filters, kept] : cases) {
        CTweakConfig set("Work");
        set.m_arrTweaks.push_back(new CTweakInfo);
        set.m_arrTweaks[0]->m_arrFilters = filters;
        EXPECT_EQ(ReplaceStoredSet(set) == SetWriteResult::kWritten, kept) << filters.back();
        CTweakConfig reloaded("Work");
        reloaded.Load();
        if (kept) EXPECT_EQ(reloaded.m_arrTweaks[0]->m_arrFilters, filters);
    }
}

}  // namespace
