// A standard user's writes: the registry refuses them below HKEY_USERS, the host hands them to
// ZTTrevanelCtl started with "runas", which checks and makes them with administrator rights.
#include <algorithm>
#include <thread>

#include "config/AppBase.h"
#include "config/HostWrite.h"
#include "config/ProfileKeys.h"
#include "config/ProfileNotes.h"
#include "config/RegistryTree.h"
#include "config/SetParts.h"
#include "config/StoredSet.h"
#include "config/TweakConfig.h"
#include "config/TweakSetSource.h"
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
                                call.op == Op::DeleteValue || call.op == Op::OpenKeyToWrite;
            // The writers' turn too, as Windows refuses it to a process without the rights.
            const bool turn = call.op == Op::BeginTurn && !m_elevated;
            return turn || (writes && !m_elevated && call.keyPath.rfind("HKEY_USERS\\", 0) == 0) ? ERROR_ACCESS_DENIED
                                                                                                 : ERROR_SUCCESS;
        });
        // The consent prompt: accepted, the helper runs elevated in this process.
        m_launcher.SetOnExecuteEx([this](const MemoryLauncher::ExecuteExCall& call) {
            if (!m_consent || call.verb != "runas" || call.file != kHelper) return;
            const std::string parameters = call.parameters.value_or("");
            const size_t quote = parameters.find('"');
            if (m_beforeHelper) m_beforeHelper();
            m_elevated = true;
            if (m_killHelperAt) m_reg.StopAtMutatingCall(*m_killHelperAt);
            m_helper = Run({parameters.substr(0, quote - 1), parameters.substr(quote + 1, parameters.size() - quote - 2)});
            m_helperCalls = m_reg.MutatingCallCount();
            m_reg.StopAtMutatingCall(std::nullopt);
            if (m_afterHelper) m_afterHelper();
            m_elevated = false;
            // Killed, the helper says nothing of its own: a crash, TerminateProcess's 1, or the 3 of
            // its out-of-memory handler, whatever it had done.
            const uint32_t killed[] = {0xC0000005u, 1, 3};
            m_launcher.SetExitCode(kHelper, m_killHelperAt ? killed[*m_killHelperAt % 3] : uint32_t(m_helper.status));
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

    // The tweak names a fresh session of the profile runs, "global:" first where it runs the global set.
    std::string Runs(const char* profile) {
        CTweakConfig set(profile);
        set.Load();
        const ConfigurationView view;
        std::string names = FindTweakSetSource(set, &view).own ? "" : "global:";
        for (const CTweakInfo* tweak : set.m_arrTweaks) names += tweak->m_strName + ";";
        return names;
    }

    MemoryModule m_module;
    StandIns m_moduleStandIn{m_module};
    bool m_elevated = false;
    bool m_consent = true;
    std::function<void()> m_beforeHelper;
    std::optional<size_t> m_killHelperAt;
    // Another process's write that lands after the helper, before the host looks.
    std::function<void()> m_afterHelper;
    size_t m_helperCalls = 0;
    CtlResult m_helper;
};

TEST_F(ElevatedWrite, ARefusedSaveIsMadeByTheHelperAndADeclinedRenameWaitsForTheNextSave) {
    // An elevated writer that ended after its commit leaves what a standard user cannot complete:
    // the helper completes it first.
    m_elevated = true;
    m_reg.StopAtMutatingCall(6);
    ASSERT_EQ(Save("Work", "old"), SetWriteResult::kInterrupted);
    m_reg.StopAtMutatingCall(std::nullopt);
    m_elevated = false;
    m_app.m_reloads.clear();
    // The set only that write holds yet is a set all the same: its rename asks, and declined, is not made.
    Consent(false);
    EXPECT_FALSE(RenameProfileKey(m_app, "Work", "Elsewhere"));
    ASSERT_EQ(m_launcher.ExecuteExCalls().size(), 1u);

    Consent(true);
    EXPECT_EQ(Save("Work", "new"), SetWriteResult::kWritten);
    ASSERT_EQ(m_launcher.ExecuteExCalls().size(), 2u);
    const MemoryLauncher::ExecuteExCall start = m_launcher.ExecuteExCalls()[1];
    EXPECT_EQ(start.verb, "runas");
    EXPECT_EQ(start.file, kHelper);
    EXPECT_EQ(start.parameters, "apply \"C:\\Users\\Tester\\AppData\\Local\\Temp\\zt2.tmp\"");
    EXPECT_EQ(start.nShow, SW_HIDE);
    EXPECT_EQ(m_helper.status, 0) << m_helper.err;
    EXPECT_EQ(Name(ProfileKey("Work")), "new");
    EXPECT_FALSE(m_files.FileExists("C:\\Users\\Tester\\AppData\\Local\\Temp\\zt2.tmp"));
    EXPECT_EQ(m_app.m_reloads, std::vector<std::string>{"Work"});

    // Declined: nothing changes, and the rename says so (the renamed profile runs the global set)
    // and notes where the set stayed; a delete that finds no set asks nobody.
    Consent(false);
    DeleteProfileKey(m_app, "No Set");
    EXPECT_EQ(m_launcher.ExecuteExCalls().size(), 2u);
    EXPECT_FALSE(RenameProfileKey(m_app, "Work", "B\xFCro"));
    EXPECT_EQ(Save("Home", "h"), SetWriteResult::kDenied);
    EXPECT_EQ(Name(ProfileKey("Work")), "new");
    EXPECT_EQ(Runs("B\xFCro"), "global:");
    EXPECT_FALSE(Exists(ProfileKey("Home")));
    DeclinedRename declined;
    ASSERT_TRUE(LastDeclinedRename(&declined));
    EXPECT_EQ(declined.from + " -> " + declined.to, "Work -> B\xFCro");
    // Renamed back (nothing to move): the profile runs its own set once more, which never moved,
    // and a later profile named "Büro" is offered nothing.
    const size_t asked = m_launcher.ExecuteExCalls().size();
    EXPECT_TRUE(RenameProfileKey(m_app, "B\xFCro", "Work"));
    EXPECT_EQ(m_launcher.ExecuteExCalls().size(), asked);  // nothing to move, nobody asked
    EXPECT_EQ(Runs("Work"), "new;");
    EXPECT_FALSE(LastDeclinedRename(&declined));

    // The next save that is consented to moves no set it was not asked to.
    Consent(true);
    EXPECT_EQ(Save("Home", "h"), SetWriteResult::kWritten);
    EXPECT_EQ(Name(ProfileKey("Work")), "new");
    EXPECT_FALSE(Exists(ProfileKey("B\xFCro")));
    EXPECT_EQ(Name(ProfileKey("Home")), "h");

    // Through the helper too, the list's save replaces only what it loaded: a first set where none
    // was, and a taken-over set's removal only where that set still holds what was taken.
    CTweakConfig first("First"), office("Office");
    const KeySnapshot none;
    EXPECT_EQ(SaveStoredSet(first, nullptr, &none), SetWriteResult::kWritten);
    KeySnapshot taken;
    ASSERT_TRUE(ReadStoredParts(ProfileKey("Work"), &taken));
    ASSERT_EQ(Save("Work", "changed"), SetWriteResult::kWritten);
    EXPECT_EQ(SaveStoredSet(office, nullptr, &none, "Work", taken), SetWriteResult::kChangedSince);
    EXPECT_EQ(Name(ProfileKey("Work")), "changed");

    // Where the registry lets the host write, nobody is asked.
    m_reg.SetFailure(nullptr);
    const size_t starts = m_launcher.ExecuteExCalls().size();
    DeleteProfileKey(m_app, "Home");
    EXPECT_EQ(Save("Work", "again"), SetWriteResult::kWritten);
    EXPECT_FALSE(Exists(ProfileKey("Home")));
    EXPECT_EQ(m_launcher.ExecuteExCalls().size(), starts);
    // A set the registry answers an error for is no missing set: the rename is not made, and said.
    m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
        return call.op == MemoryRegistry::Op::QueryValue && call.valueName == "Count" ? 1450L : ERROR_SUCCESS;
    });
    EXPECT_FALSE(RenameProfileKey(m_app, "Work", "Elsewhere"));
}

// A standard user's import in a console is asked before any prompt, and a script is never asked;
// neither hears of an interrupted write, since none was begun.
TEST_F(ElevatedWrite, ARefusedImportSaysThatRightsAreNeededAndAsksOnlyInAConsole) {
    m_elevated = true;
    PutDword(GlobalKey(), "Count", 1);
    PutTweak(GlobalKey(), 0, "checksum", "C:\\sum.exe", "\"%LOCAL_FILE_PATH%\"", 1);
    ASSERT_EQ(Run({"export", "C:\\global.reg"}).status, 0);
    m_elevated = false;
    const struct {
        const char* answers;  // null: no console
        int status;
        size_t prompts;
        const char* said;
    } cases[] = {
        {nullptr, kCtlRights, 0, "in a console window, where it offers to ask"},
        {"n\n", kCtlRights, 0, "write it so? [y/N] "},
        {"j\n", kCtlOk, 1, "write it so? [y/N] "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answers ? c.answers : "no console");
        const size_t starts = m_launcher.ExecuteExCalls().size();
        const CtlResult r = Run({"import", "C:\\global.reg", "--profile", "Home"}, c.answers);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find("administrator rights are needed to write the configuration"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("interrupted"), std::string::npos) << r.err;
        EXPECT_EQ(m_launcher.ExecuteExCalls().size(), starts + c.prompts);
        EXPECT_EQ(Name(ProfileKey("Home")), c.prompts ? "checksum" : "<none>");
    }
}

// A helper that ends at any of its writes: the host calls the save saved exactly when sessions
// then run the new set, whether or not the write is in place yet.
TEST_F(ElevatedWrite, AHelperEndedAfterItsCommitHasSaved) {
    Consent(true);
    std::string current = "global:";
    int saved = 0, failed = 0;
    for (size_t k = 0; k < 200; ++k) {
        m_killHelperAt = k;
        const std::string name = "new" + std::to_string(k);
        const SetWriteResult result = Save("Work", name);
        const std::string runs = Runs("Work");
        EXPECT_TRUE(runs == name + ";" || runs == current) << "killed at write " << k << ": " << runs;
        EXPECT_EQ(IsSaved(result), runs == name + ";") << "killed at write " << k << ": " << runs;
        if (runs == name + ";") current = runs;
        (IsSaved(result) ? saved : failed)++;
        if (m_helperCalls <= k) break;
        // What the killed helper left, the next writer finishes.
        m_elevated = true;
        { const ConfigurationTurn writer; }
        m_elevated = false;
    }
    EXPECT_LE(m_helperCalls, 200u);
    EXPECT_GT(saved, 1);
    EXPECT_GT(failed, 1);

    // The helper's registry refuses the set after the commit and the helper says so (exit 3): not
    // saved, although its write was committed and then removed.
    m_killHelperAt.reset();
    m_reg.SetFailure([this](const MemoryRegistry::Call& call) -> long {
        using Op = MemoryRegistry::Op;
        const bool writes = call.op == Op::CreateKey || call.op == Op::SetValue || call.op == Op::DeleteKey ||
                            call.op == Op::DeleteValue || call.op == Op::OpenKeyToWrite;
        const bool refused = call.op == Op::CreateKey && call.keyPath.find("\\Refused") != std::string::npos;
        return refused || (writes && !m_elevated && call.keyPath.rfind("HKEY_USERS\\", 0) == 0)
                   ? ERROR_ACCESS_DENIED
                   : ERROR_SUCCESS;
    });
    CTweakConfig made("Neu"), refused("Refused");
    EXPECT_FALSE(IsSaved(SaveStoredSets({&made, &refused})));
    EXPECT_EQ(m_helper.status, 3) << m_helper.err;
    // The key it made for the first set is taken back.
    EXPECT_FALSE(Exists(ProfileKey("Neu")));
    // The same helper ending without a word after it: the sets do not hold what it was asked.
    m_killHelperAt = 100000;
    EXPECT_FALSE(IsSaved(Save("Refused", "x")));
    EXPECT_EQ(Runs("Refused").rfind("global:", 0), 0u) << Runs("Refused");
    // A helper ending without a word after its write is in place, while another's named write
    // lands before the host looks: saved, as the sets say.
    m_afterHelper = [this] {
        CTweakConfig home("Home");
        WriteRequest other{{WriteStep()}, "another host's"};
        other.steps[0].keyPath = ProfileKey("Home");
        other.steps[0].parts = SetPartsOf(home);
        m_files.Put("C:\\other.tmp", WriteRequestBytes(other));
        EXPECT_EQ(Run({"apply", "C:\\other.tmp"}).status, 0);
    };
    EXPECT_TRUE(IsSaved(Save("Work", "beside")));
    EXPECT_EQ(Runs("Work"), "beside;");
    // The registry lists "Tweak 100" before "Tweak 11": a large set is found saved all the same.
    CTweakConfig large("Large");
    for (int i = 0; i < 101; ++i) large.m_arrTweaks.push_back(new CTweakInfo);
    EXPECT_TRUE(IsSaved(SaveStoredSet(large)));
    // A delete the helper made before it ended without a word is found done: nothing noted.
    DeleteProfileKey(m_app, "Large");
    EXPECT_TRUE(DeclinedDeletes().empty());
    // Another's write left pending is no outcome of this request: only its own name is.
    m_elevated = true;
    m_reg.StopAtMutatingCall(7);  // after "Complete"
    CTweakConfig other("Other");
    WriteStoredSets({{ProfileKey("Other"), true, SetPartsOf(other)}}, "another");
    m_reg.StopAtMutatingCall(std::nullopt);
    m_elevated = false;
    WriteRequest mine{{WriteStep()}, "mine"};
    mine.steps[0].keyPath = ProfileKey("Mine");
    mine.steps[0].parts = SetPartsOf(large);
    EXPECT_EQ(FindRequestOutcome(mine), SetWriteResult::kUnchanged);
    mine.id = "another";
    EXPECT_EQ(FindRequestOutcome(mine), SetWriteResult::kInterrupted);
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
        {"a value of no set after a rename", [&] {
             WriteRequest both;
             ReadWriteRequest(with([](KeySnapshot& s) { s.values.push_back({"Evil", REG_SZ, Sz("x")}); }), &both);
             both.steps.insert(both.steps.begin(), WriteStep{WriteStep::Kind::kRename, "", KeySnapshot(), "A", "B", false, KeySnapshot()});
             return WriteRequestBytes(both);
         }()},
        {"bytes of no request", {1, 2, 3, 4}},
    };
    // Bytes the reader itself refuses: they never reach the check of what a request may write.
    const auto patched = [&](const std::function<void(std::vector<uint8_t>&)>& change, const std::string& key = ProfileKey("P")) {
        std::vector<uint8_t> bytes = with([](KeySnapshot&) {}, key);
        change(bytes);
        return bytes;
    };
    const auto at = [](std::vector<uint8_t>& bytes, const std::string& text) {
        return std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    };
    // Keys nested far deeper than a registry holds them, and a name with a zero inside, which would
    // name another profile's key.
    std::vector<uint8_t> deep;
    for (int level = 0; level < 200000; ++level) deep.insert(deep.end(), {0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 'k'});
    deep.resize(deep.size() + 8, 0);
    WriteRequest zero{{{WriteStep::Kind::kRename, "", KeySnapshot(), std::string("P\0x", 3), "Q", false, KeySnapshot()}}};
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } unreadable[] = {
        {"keys nested deeper than a registry holds", deep},
        {"a name with a zero inside", WriteRequestBytes(zero)},
        {"a key outside Configurations", patched([](std::vector<uint8_t>&) {}, ".DEFAULT\\Software\\Run")},
        {"a key path without its terminating zero",
         patched([&](std::vector<uint8_t>& b) { at(b, ProfileKey("P"))[static_cast<long>(ProfileKey("P").size())] = 'x'; })},
        {"a step out of order", patched([&](std::vector<uint8_t>& b) { at(b, std::string("\3\0\0\0" "000", 7))[6] = '1'; })},
        {"a length past the end", patched([](std::vector<uint8_t>& b) { b[4] = 0xF0, b[5] = b[6] = b[7] = 0xFF; })},
        {"a byte after the end", patched([](std::vector<uint8_t>& b) { b.push_back(0); })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_files.Put("C:\\r.tmp", c.bytes);
        const CtlResult result = Run({"apply", "C:\\r.tmp"});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_NE(result.err.find("Nothing was written."), std::string::npos) << result.err;
        EXPECT_TRUE(m_reg.Snapshot(HKEY_USERS, ".DEFAULT") == before);
    }
    for (const auto& c : unreadable) {
        SCOPED_TRACE(c.what);
        m_files.Put("C:\\r.tmp", c.bytes);
        const CtlResult result = Run({"apply", "C:\\r.tmp"});
        EXPECT_NE(result.err.find("it is no write request of the add-on"), std::string::npos) << result.err;
        EXPECT_TRUE(m_reg.Snapshot(HKEY_USERS, ".DEFAULT") == before);
    }
    // Only a plain file on a local drive is read: a share would be asked with the administrator's sign-in.
    for (const char* path : {"\\\\server\\share\\r.tmp", "\\\\?\\UNC\\server\\share\\r.tmp", "C:r.tmp"}) {
        m_files.Put(path, with([](KeySnapshot&) {}));
        EXPECT_EQ(Run({"apply", path}).status, 3) << path;
    }
    std::vector<uint8_t> large = with([](KeySnapshot&) {});
    large.resize(kMaxRequestBytes + 1);
    m_files.Put("C:\\large.tmp", large);
    EXPECT_NE(Run({"apply", "C:\\large.tmp"}).err.find("larger than"), std::string::npos);
    EXPECT_TRUE(m_reg.Snapshot(HKEY_USERS, ".DEFAULT") == before);
    m_files.Put("C:\\r.tmp", with([](KeySnapshot& s) { s.subkeys[0].second.values.push_back({"Filter", REG_SZ, Sz("a; b")}); }));
    EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, 0);
    // What is stored is the record the check read, as the list's own save stores it.
    CTweakConfig listSave("Q");
    listSave.m_arrTweaks.push_back(new CTweakInfo);
    listSave.m_arrTweaks[0]->m_strExe = "C:\\x.exe";
    listSave.m_arrTweaks[0]->ParseFilters("a; b");
    ASSERT_EQ(ReplaceStoredSet(listSave), SetWriteResult::kWritten);
    EXPECT_TRUE(m_reg.Snapshot(HKEY_USERS, TweakKey(ProfileKey("P"), 0)) == m_reg.Snapshot(HKEY_USERS, TweakKey(ProfileKey("Q"), 0)));

    // A store made for the set as the list loaded it is made only where the set still holds that.
    WriteRequest checked{{{WriteStep::Kind::kStore, ProfileKey("P"), set, "", "", true, KeySnapshot()}}};
    CTweakConfig list("P");
    ASSERT_TRUE(LoadReplaceable(list, &checked.steps[0].before));
    for (const int status : {kCtlOk, kCtlChangedSince}) {
        m_files.Put("C:\\r.tmp", WriteRequestBytes(checked));
        EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, status);
        checked.steps[0].before = KeySnapshot();
    }

    // The store's writer itself refuses a key outside the sets, whoever hands it one.
    SetChange outside;
    outside.keyPath = ".DEFAULT\\Software\\Run";
    outside.store = true;
    outside.parts = set;
    EXPECT_EQ(WriteStoredSets({outside}, ""), SetWriteResult::kUnchanged);
    EXPECT_FALSE(m_reg.Snapshot(HKEY_USERS, outside.keyPath.c_str()).has_value());
}

}  // namespace
