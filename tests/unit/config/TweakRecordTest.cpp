// One tweak's key: what Load makes of it and what Save leaves in it.
#include "config/TweakInfo.h"
#include "tests/unit/config/ConfigFixture.h"

namespace {

class TweakRecord : public ConfigTest {
protected:
    const std::string m_key = GlobalKey() + "\\Tweak 00";
};

TEST_F(TweakRecord, AMissingKeyLoadsAsAFreshRecordThatNeverRuns) {
    CTweakInfo record;
    record.Load(m_key);
    EXPECT_EQ(record.GetName(), "");
    EXPECT_EQ(record.GetExe(), "");
    EXPECT_EQ(record.GetParameters(), "");
    EXPECT_EQ(record.m_bEnabled, 1);
    EXPECT_EQ(record.m_bIgnoreCase, 1);
    EXPECT_EQ(record.m_nApplyTo, 0u);
    EXPECT_TRUE(record.m_arrFilters.empty());
}

TEST_F(TweakRecord, SaveWritesSevenValuesThatLoadBackUnchanged) {
    CTweakInfo record;
    record.m_strName = "Packen";
    record.m_strExe = "C:\\Tools\\7z.exe";
    record.m_strParameters = std::string(3000, 'p') + " \"%LOCAL_FILE_PATH%\"";
    record.m_bEnabled = 0;
    record.m_bIgnoreCase = 0;
    record.m_nApplyTo = 0xFFFFFFC1;  // bits without a check box go through untouched
    record.m_arrFilters = {" *.txt ", "*.l;og"};
    record.Save(m_key);

    const auto key = m_reg.Snapshot(HKEY_USERS, m_key);
    ASSERT_TRUE(key);
    std::vector<std::string> names;
    for (const auto& value : key->values) names.push_back(value.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Exe", "Parameters", "Enabled", "Ignore Case",
                                               "Apply To", "Filter"}));
    EXPECT_EQ(key->FindValue("Enabled")->type, uint32_t(REG_DWORD));
    EXPECT_EQ(key->FindValue("Apply To")->data, Dword(0xFFFFFFC1));
    EXPECT_EQ(key->FindValue("Filter")->data, Sz(" *.txt ;*.l;og"));

    CTweakInfo loaded;
    loaded.Load(m_key);
    EXPECT_EQ(loaded.m_strName, record.m_strName);
    EXPECT_EQ(loaded.m_strExe, record.m_strExe);
    EXPECT_EQ(loaded.m_strParameters, record.m_strParameters);
    EXPECT_EQ(loaded.m_bEnabled, 0);
    EXPECT_EQ(loaded.m_bIgnoreCase, 0);
    EXPECT_EQ(loaded.m_nApplyTo, 0xFFFFFFC1u);
    EXPECT_EQ(loaded.m_arrFilters, (std::vector<std::string>{" *.txt ", "*.l", "og"}));
    // A key of the seven: the chain goes on after a failure, and no time limit ends the program.
    EXPECT_EQ(loaded.m_bStopOnFailure, 0);
    EXPECT_EQ(loaded.m_nTimeLimit, 0u);

    record.m_bStopOnFailure = 1;
    record.m_nTimeLimit = 30;
    record.Save(m_key);
    CTweakInfo later;
    later.Load(m_key);
    EXPECT_EQ(later.m_bStopOnFailure, 1);
    EXPECT_EQ(later.m_nTimeLimit, 30u);
    EXPECT_EQ(m_reg.Snapshot(HKEY_USERS, m_key)->FindValue("Time Limit")->data, Dword(30));
}

TEST_F(TweakRecord, EmptyStringsAreStoredAsATerminatingZeroAlone) {
    CTweakInfo record;
    record.Save(m_key);
    for (const char* name : {"Name", "Exe", "Parameters", "Filter"}) {
        ASSERT_NE(Get(m_key, name), nullptr) << name;
        EXPECT_EQ(Get(m_key, name)->type, uint32_t(REG_SZ));
        EXPECT_EQ(Get(m_key, name)->data, std::vector<uint8_t>{0}) << name;
    }
    EXPECT_EQ(Get(m_key, "Enabled")->data, Dword(1));
}

TEST_F(TweakRecord, ValuesThatCannotBeReadKeepTheirDefaults) {
    PutString(m_key, "Name", "Only a name");
    Put(m_key, "Enabled", REG_DWORD, {0, 0});           // too short for a number
    Put(m_key, "Apply To", REG_DWORD, {1, 0, 0, 0, 0});  // too long for one
    CTweakInfo record;
    record.Load(m_key);
    EXPECT_EQ(record.m_strName, "Only a name");
    EXPECT_EQ(record.m_bEnabled, 1);
    EXPECT_EQ(record.m_nApplyTo, 0u);
}

TEST_F(TweakRecord, AFailedWriteSkipsOnlyThatValue) {
    m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        const bool fails = call.op == MemoryRegistry::Op::SetValue &&
                           (call.valueName == "Exe" || call.valueName == "Apply To");
        return fails ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    });
    CTweakInfo record;
    record.m_strName = "n";
    record.m_nApplyTo = 1;
    record.m_arrFilters = {"*.x"};
    record.Save(m_key);
    m_reg.SetFailure(nullptr);
    EXPECT_EQ(Get(m_key, "Exe"), nullptr);
    EXPECT_EQ(Get(m_key, "Apply To"), nullptr);
    EXPECT_EQ(Get(m_key, "Name")->data, Sz("n"));
    EXPECT_EQ(Get(m_key, "Ignore Case")->data, Dword(1));
    EXPECT_EQ(Get(m_key, "Filter")->data, Sz("*.x"));
}

}  // namespace
