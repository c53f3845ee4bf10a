// A standard user's writes: the registry refuses them below HKEY_USERS, the host hands them to
// ZTTrevanelCtl started with "runas", which checks and makes them with administrator rights.
#include "config/HostWrite.h"
#include "config/ProfileKeys.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "platform/memory/MemoryModule.h"
#include "tests/unit/ctl/CtlFixture.h"

namespace {

const char* const kHelper = "C:\\Tools\\Trevanel\\ZTTrevanelCtl.exe";

class ElevatedWrite : public CtlTest {
protected:
    void SetUp() override {
        m_module.SetFileName("C:\\Tools\\Trevanel\\ZTTrevanelAddon.dll");
        m_files.Put(kHelper, {});
        // Users may read the configuration and write below HKEY_CURRENT_USER only.
        m_reg.SetFailure([this](const MemoryRegistry::Call& call) -> long {
            using Op = MemoryRegistry::Op;
            const bool writes = call.op == Op::CreateKey || call.op == Op::SetValue || call.op == Op::DeleteKey ||
                                call.op == Op::DeleteValue;
            return writes && !m_elevated && call.keyPath.rfind("HKEY_USERS\\", 0) == 0 ? ERROR_ACCESS_DENIED
                                                                                       : ERROR_SUCCESS;
        });
        // The consent prompt: accepted, the helper runs elevated in this process.
        m_launcher.SetOnExecuteEx([this](const MemoryLauncher::ExecuteExCall& call) {
            if (!m_consent || call.verb != "runas" || call.file != kHelper) return;
            const std::string parameters = call.parameters.value_or("");
            const size_t quote = parameters.find('"');
            m_elevated = true;
            m_helper = Run({parameters.substr(0, quote - 1), parameters.substr(quote + 1, parameters.size() - quote - 2)});
            m_elevated = false;
            m_launcher.SetExitCode(kHelper, uint32_t(m_helper.status));
        });
    }
    void TearDown() override {
        m_reg.SetFailure(nullptr);
        CtlTest::TearDown();
    }
    void Consent(bool given) {
        m_consent = given;
        m_launcher.SetOutcome(kHelper, given ? MemoryLauncher::Outcome::SucceedsProcess : MemoryLauncher::Outcome::Fails);
    }
    SetWriteResult Save(const char* profile, const std::string& name) {
        CTweakConfig set(profile);
        set.m_arrTweaks.push_back(new CTweakInfo);
        set.m_arrTweaks[0]->m_strName = name;
        return SaveStoredSet(set);
    }
    std::string Name(const std::string& setKey) {
        const MemoryRegistry::Value* value = Get(TweakKey(setKey, 0), "Name");
        return value ? std::string(value->data.begin(), value->data.end() - 1) : "<none>";
    }

    MemoryModule m_module;
    StandIns m_moduleStandIn{m_module};
    bool m_elevated = false;
    bool m_consent = true;
    CtlResult m_helper;
};

TEST_F(ElevatedWrite, ARefusedSaveIsMadeByTheHelperAndADeclinedRenameWaitsForTheNextSave) {
    // An elevated writer that ended after its commit leaves what a standard user cannot complete:
    // the helper completes it first.
    m_elevated = true;
    m_reg.StopAtMutatingCall(5);
    ASSERT_EQ(Save("Work", "old"), SetWriteResult::kInterrupted);
    m_reg.StopAtMutatingCall(std::nullopt);
    m_elevated = false;
    m_app.m_reloads.clear();

    Consent(true);
    EXPECT_EQ(Save("Work", "new"), SetWriteResult::kWritten);
    ASSERT_EQ(m_launcher.ExecuteExCalls().size(), 1u);
    const MemoryLauncher::ExecuteExCall start = m_launcher.ExecuteExCalls()[0];
    EXPECT_EQ(start.verb, "runas");
    EXPECT_EQ(start.file, kHelper);
    EXPECT_EQ(start.parameters, "apply \"C:\\Users\\Tester\\AppData\\Local\\Temp\\zt1.tmp\"");
    EXPECT_EQ(start.nShow, SW_HIDE);
    EXPECT_EQ(m_helper.status, 0) << m_helper.err;
    EXPECT_EQ(Name(ProfileKey("Work")), "new");
    EXPECT_FALSE(m_files.FileExists("C:\\Users\\Tester\\AppData\\Local\\Temp\\zt1.tmp"));
    EXPECT_EQ(m_app.m_reloads, std::vector<std::string>{"Work"});

    // Declined: nothing changes, the host's rename is kept for this user; a delete that finds no
    // set asks nobody and is not kept.
    Consent(false);
    DeleteProfileKey(m_app, "No Set");
    EXPECT_EQ(m_launcher.ExecuteExCalls().size(), 1u);
    RenameProfileKey(m_app, "Work", "B\xFCro");
    EXPECT_EQ(Save("Home", "h"), SetWriteResult::kDenied);
    EXPECT_EQ(Name(ProfileKey("Work")), "new");
    EXPECT_FALSE(Exists(ProfileKey("B\xFCro")));
    EXPECT_FALSE(Exists(ProfileKey("Home")));
    ASSERT_EQ(KeptProfileChanges().steps.size(), 1u);
    EXPECT_EQ(KeptProfileChanges().steps[0].newName, "B\xFCro");

    // The next save that is consented to makes the rename first.
    Consent(true);
    EXPECT_EQ(Save("Home", "h"), SetWriteResult::kWritten);
    EXPECT_FALSE(Exists(ProfileKey("Work")));
    EXPECT_EQ(Name(ProfileKey("B\xFCro")), "new");
    EXPECT_EQ(Name(ProfileKey("Home")), "h");
    EXPECT_TRUE(KeptProfileChanges().steps.empty());

    // Where the registry lets the host write, nobody is asked.
    m_reg.SetFailure(nullptr);
    const size_t starts = m_launcher.ExecuteExCalls().size();
    DeleteProfileKey(m_app, "Home");
    EXPECT_EQ(Save("Work", "again"), SetWriteResult::kWritten);
    EXPECT_FALSE(Exists(ProfileKey("Home")));
    EXPECT_EQ(m_launcher.ExecuteExCalls().size(), starts);
}

// What a standard user could hand the elevated helper: only the add-on's own sets get through.
TEST_F(ElevatedWrite, TheHelperWritesNothingButTheAddonsSets) {
    m_elevated = true;
    const auto before = m_reg.Snapshot(HKEY_USERS, ".DEFAULT");
    KeySnapshot set;
    set.exists = true;
    set.values.push_back({"Count", REG_DWORD, Dword(1)});
    KeySnapshot tweak;
    tweak.exists = true;
    tweak.values.push_back({"Exe", REG_SZ, Sz("C:\\x.exe")});
    set.subkeys.emplace_back("Tweak 00", tweak);
    const auto with = [&](const std::function<void(KeySnapshot&)>& change, const std::string& key = ProfileKey("P")) {
        WriteRequest request;
        request.steps.resize(1);
        request.steps[0].keyPath = key;
        request.steps[0].parts = set;
        change(request.steps[0].parts);
        return WriteRequestBytes(request);
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"a key outside Configurations", with([](KeySnapshot&) {}, ".DEFAULT\\Software\\Run")},
        {"a value of no set", with([](KeySnapshot& s) { s.values.push_back({"Evil", REG_SZ, Sz("x")}); })},
        {"a tweak value of another type", with([](KeySnapshot& s) { s.subkeys[0].second.values[0].type = REG_EXPAND_SZ; })},
        {"a key below a tweak key", with([](KeySnapshot& s) {
             KeySnapshot below;
             below.values.push_back({"Exe", REG_SZ, Sz("y")});
             s.subkeys[0].second.subkeys.emplace_back("Deeper", below);
         })},
        {"a Count out of range", with([](KeySnapshot& s) { s.values[0].data = Dword(10001); })},
        {"bytes of no request", {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_files.Put("C:\\r.tmp", c.bytes);
        const CtlResult result = Run({"apply", "C:\\r.tmp"});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find("Nothing was written."), std::string::npos) << result.err;
        EXPECT_TRUE(m_reg.Snapshot(HKEY_USERS, ".DEFAULT") == before);
    }
    m_files.Put("C:\\r.tmp", with([](KeySnapshot&) {}));
    EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, 0);
    EXPECT_EQ(Get(TweakKey(ProfileKey("P"), 0), "Exe")->data, Sz("C:\\x.exe"));

    // A store made for the set as the list loaded it is made only where the set still holds that.
    WriteRequest checked{{{WriteStep::Kind::kStore, ProfileKey("P"), set, "", "", true, KeySnapshot()}}};
    CTweakConfig list("P");
    ASSERT_TRUE(LoadReplaceable(list, &checked.steps[0].before));
    for (const int status : {0, 5}) {
        m_files.Put("C:\\r.tmp", WriteRequestBytes(checked));
        EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, status);
        checked.steps[0].before = KeySnapshot();
    }
}

}  // namespace
