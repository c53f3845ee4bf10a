// Every write of stored sets, ended at each of its registry writes, and once more while the next
// reader completes it: a fresh application object then reads every set old or new, whole, and
// "Configurations" holds exactly the one layout or the other.
#include "CtlFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <functional>
#include <iostream>
#include <map>

#include "config/HostWrite.h"
#include "config/RegistryTree.h"
#include "config/SetParts.h"
#include "config/SetWrite.h"
#include "config/WriteRequest.h"
#include "config/StoredSet.h"
#include "config/TweakSetSource.h"

namespace {

const char* const kProfiles[] = {"", "Kunden", "Kunden\\M\xFCller", "Work", "Work\\Alt", "Privat", "Neu"};

class InterruptedWrite : public CtlTest {
protected:
    void StoreSet(const std::string& profile, const std::vector<std::string>& names) {
        const std::string key = profile.empty() ? GlobalKey() : ProfileKey(profile);
        PutDword(key, "Count", uint32_t(names.size()));
        for (size_t i = 0; i < names.size(); ++i) PutTweak(key, int(i), names[i], "C:\\" + names[i] + ".exe", "\"%LOCAL_FILE_PATH%\"", 1);
    }
    void StoreOld() {
        StoreSet("", {"g0", "g1"});
        StoreSet("Kunden", {"k0", "k1", "k2"});
        PutString(ProfileKey("Kunden"), "Note", "not the set's");
        StoreSet("Kunden\\M\xFCller", {"m0", "m1"});
        StoreSet("Work", {"w0"});
    }
    // What a fresh application object reads for each profile: whose set, and its tweaks.
    std::map<std::string, std::string> Observed() {
        RecordingApp fresh;
        std::map<std::string, std::string> seen;
        for (const char* profile : kProfiles) {
            CTweakConfig set(profile);
            set.Load();
            const ConfigurationView view;
            std::string text = FindTweakSetSource(set, &view).own ? "own:" : "global:";
            for (const CTweakInfo* tweak : set.m_arrTweaks) text += tweak->m_strName + "=" + tweak->m_strExe + ";";
            seen[profile] = text;
        }
        return seen;
    }
    // What export --all writes of every set.
    std::string Exported() {
        EXPECT_EQ(Run({"export", "--all", "C:\\all.reg"}).status, 0);
        std::vector<uint8_t> bytes;
        std::string error;
        m_files.ReadFile("C:\\all.reg", &bytes, &error);
        return std::string(bytes.begin(), bytes.end());
    }
    // The root's keys and values but the write generation, which every write moves.
    MemoryRegistry::Key Stored() {
        MemoryRegistry::Key root = m_reg.Snapshot(HKEY_USERS, Root("")).value_or(MemoryRegistry::Key{});
        root.values.erase(std::remove_if(root.values.begin(), root.values.end(),
                                         [](const MemoryRegistry::Value& v) { return v.name == kWriteGenerationValue; }),
                          root.values.end());
        return root;
    }
    // The set keys of a root as Stored gives it.
    static MemoryRegistry::Key Sets(const MemoryRegistry::Key& root) {
        for (const MemoryRegistry::Key& key : root.subkeys) {
            if (key.name == "Configurations") return key;
        }
        return MemoryRegistry::Key{};
    }
    // Puts the configuration root back as key holds it.
    void Restore(const MemoryRegistry::Key& key, const std::string& path) {
        for (const auto& value : key.values) Put(path, value.name.c_str(), value.type, value.data);
        if (key.values.empty()) {
            HKEY h;
            ASSERT_EQ(m_reg.CreateKey(HKEY_USERS, path.c_str(), &h), ERROR_SUCCESS);
            m_reg.CloseKey(h);
        }
        for (const auto& sub : key.subkeys) Restore(sub, path + "\\" + sub.name);
    }
    void Reset(const MemoryRegistry::Key& root) {
        m_reg.StopAtMutatingCall(std::nullopt);
        DeleteKeyTree(m_reg, Root(""));
        Restore(root, Root(""));
    }
};

std::string Names(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += name + "=C:\\" + name + ".exe;";
    return text;
}

TEST_F(InterruptedWrite, EveryStopLeavesTheOldOrTheNewSetsWhole) {
    std::unique_ptr<CTweakConfig> saved(new CTweakConfig("Kunden"));
    for (const char* name : {"s0", "s1"}) {
        saved->m_arrTweaks.push_back(new CTweakInfo);
        saved->m_arrTweaks.back()->m_strName = name;
        saved->m_arrTweaks.back()->m_strExe = std::string("C:\\") + name + ".exe";
    }
    const std::string file = "REGEDIT4\r\n\r\n"
        "[HKEY_USERS\\" + GlobalKey() + "]\r\n\"Count\"=dword:00000001\r\n"
        "[HKEY_USERS\\" + GlobalKey() + "\\Tweak 00]\r\n\"Name\"=\"i0\"\r\n\"Exe\"=\"C:\\\\i0.exe\"\r\n"
        "[HKEY_USERS\\" + ProfileKey("Kunden") + "]\r\n\"Count\"=dword:00000002\r\n"
        "[HKEY_USERS\\" + ProfileKey("Kunden") + "\\Tweak 01]\r\n\"Name\"=\"i1\"\r\n\"Exe\"=\"C:\\\\i1.exe\"\r\n"
        "[HKEY_USERS\\" + ProfileKey("Neu") + "]\r\n\"Count\"=dword:00000000\r\n";
    m_files.Put("C:\\sets.reg", std::vector<uint8_t>(file.begin(), file.end()));

    const std::string kunden = "Kunden", mueller = "Kunden\\M\xFCller", g = "", work = "Work";
    struct Operation {
        const char* what;
        std::function<void()> run;
        std::map<std::string, std::string> after;  // what is read once it is done, where it changes
    };
    const Operation operations[] = {
        {"the tweak list's save of Kunden", [&] { ReplaceStoredSet(*saved); }, {{kunden, "own:" + Names({"s0", "s1"})}}},
        {"the import of a file with three sets",
         [&] { Run({"import", "C:\\sets.reg"}); },
         {{g, "global:i0=C:\\i0.exe;"}, {kunden, "own:=;i1=C:\\i1.exe;"}, {"Neu", "own:"}, {"Privat", "global:i0=C:\\i0.exe;"},
          {"Work\\Alt", "global:i0=C:\\i0.exe;"}}},
        {"the rename of Kunden", [&] { RenameProfileKey(m_app, "Kunden", "Privat"); },
         {{kunden, "global:" + Names({"g0", "g1"})}, {"Privat", "own:" + Names({"k0", "k1", "k2"})}}},
        {"the rename of Work into itself", [&] { RenameProfileKey(m_app, "Work", "Work\\Alt"); },
         {{work, "global:" + Names({"g0", "g1"})}, {"Work\\Alt", "own:" + Names({"w0"})}}},
        {"the delete of Kunden", [&] { DeleteProfileKey(m_app, "Kunden"); }, {{kunden, "global:" + Names({"g0", "g1"})}}},
    };

    StoreOld();
    const MemoryRegistry::Key oldTree = Stored();
    const std::map<std::string, std::string> oldSeen = Observed();
    ASSERT_EQ(oldSeen.at(mueller), "own:" + Names({"m0", "m1"}));
    size_t stops = 0;
    for (const Operation& op : operations) {
        Reset(oldTree);
        m_reg.StopAtMutatingCall(std::nullopt);
        op.run();
        const size_t calls = m_reg.MutatingCallCount();
        const MemoryRegistry::Key newTree = Stored();
        std::map<std::string, std::string> newSeen = Observed();
        const std::string newExport = Exported();
        Reset(oldTree);
        const std::string oldExport = Exported();
        // Only what the write is about changes: the nested set and the note stay, always.
        std::map<std::string, std::string> expected = oldSeen;
        for (const auto& [profile, text] : op.after) expected[profile] = text;
        EXPECT_EQ(newSeen, expected) << op.what;
        EXPECT_EQ(Get(ProfileKey("Kunden"), "Note")->data, Sz("not the set's")) << op.what;

        for (size_t k = 0; k < calls; ++k) {
            Reset(oldTree);
            const ConfigurationView before;
            m_reg.StopAtMutatingCall(k);
            op.run();
            m_reg.StopAtMutatingCall(std::nullopt);
            const MemoryRegistry::Key stopped = Stored();
            // A reader that took its view before the write and reads the sets as they stand now
            // reads again, once any of them changed in place.
            if (!(Sets(stopped) == Sets(oldTree)))
                EXPECT_FALSE(before.Current()) << op.what << ", stopped at write " << k;
            // A reader writes nothing, and reads every set old or new all the same.
            m_reg.SetFailure([](const MemoryRegistry::Call& call) -> long {
                using Op = MemoryRegistry::Op;
                const bool change = call.op == Op::CreateKey || call.op == Op::SetValue || call.op == Op::DeleteKey ||
                                    call.op == Op::DeleteValue;
                return change ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
            });
            const std::map<std::string, std::string> unsettled = Observed();
            // A backup taken now holds the old sets or the new ones, as sessions read them.
            const std::string exported = Exported();
            m_reg.SetFailure(nullptr);
            EXPECT_TRUE(exported == oldExport || exported == newExport) << op.what << ", stopped at write " << k;
            EXPECT_TRUE(unsettled == oldSeen || unsettled == newSeen)
                << op.what << ", stopped at write " << k << ", read without the rights to complete it";
            // The next writer's completion, ended at each of its writes in turn, then one that ends.
            m_reg.StopAtMutatingCall(std::nullopt);
            { const ConfigurationTurn writer; }
            const size_t completion = m_reg.MutatingCallCount();
            for (size_t k2 = 0; k2 <= completion; ++k2) {
                Reset(stopped);
                if (k2 == completion) {
                    // Writers before it that meet an error (out of resources) at opening a set key
                    // once, or at one read of the journal each in turn, leave the write to it.
                    bool once = true;
                    m_reg.SetFailure([&](const MemoryRegistry::Call& call) -> long {
                        const bool refused = once && call.op == MemoryRegistry::Op::OpenKey &&
                                             call.keyPath.find("\\Configurations\\") != std::string::npos;
                        once = once && !refused;
                        return refused ? 1450L : ERROR_SUCCESS;  // ERROR_NO_SYSTEM_RESOURCES
                    });
                    { const ConfigurationTurn writer; }
                    m_reg.SetFailure(nullptr);
                    for (size_t n = 0;; ++n) {
                        size_t reads = 0;
                        m_reg.SetFailure([&](const MemoryRegistry::Call& call) -> long {
                            using Op = MemoryRegistry::Op;
                            const bool read = (call.op == Op::OpenKey || call.op == Op::QueryValue || call.op == Op::EnumKey) &&
                                              call.keyPath.find(kPendingWriteKey) != std::string::npos;
                            return read && reads++ == n ? 1450L : ERROR_SUCCESS;  // ERROR_NO_SYSTEM_RESOURCES
                        });
                        bool settled = false;
                        { const ConfigurationTurn writer; settled = writer.Settled(); }
                        m_reg.SetFailure(nullptr);
                        if (reads <= n) break;
                        const std::map<std::string, std::string> seen = Observed();
                        EXPECT_TRUE(seen == oldSeen || seen == newSeen) << op.what << ", stopped at write " << k
                                                                        << ", journal read " << n << " failed";
                        if (settled) break;
                    }
                }
                m_reg.StopAtMutatingCall(k2 < completion ? std::optional<size_t>(k2) : std::nullopt);
                { const ConfigurationTurn writer; }
                m_reg.StopAtMutatingCall(std::nullopt);
                ++stops;
                const std::map<std::string, std::string> seen = Observed();
                const std::string where = std::string(op.what) + ", stopped at write " + std::to_string(k) +
                                          ", completion stopped at " + std::to_string(k2);
                EXPECT_TRUE(seen == oldSeen || seen == newSeen) << where;
                // What a stopped completion leaves, the next writer finishes.
                { const ConfigurationTurn writer; }
                EXPECT_EQ(Observed(), seen) << where;
                const MemoryRegistry::Key tree = Stored();
                EXPECT_TRUE(tree == oldTree || tree == newTree) << where;
                if (HasFailure()) return;
            }
        }
    }
    std::cout << "stop points tried: " << stops << "\n";
}

// Readers take no lock: one that another holds (a process that may not write squats no turn of
// readers) keeps no reader waiting, and a reader during writes reads one whole set or the other.
TEST_F(InterruptedWrite, ReadersNeitherWaitForTheWritersTurnNorReadHalfAWrite) {
    StoreOld();
    std::promise<void> held, release;
    std::thread holder([&] {
        ASSERT_EQ(m_reg.BeginTurn(0), ERROR_SUCCESS);
        held.set_value();
        release.get_future().wait();
        m_reg.EndTurn();
    });
    held.get_future().wait();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Observed().at("Kunden"), "own:" + Names({"k0", "k1", "k2"}));
    EXPECT_EQ(Run({"list"}).status, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    release.set_value();
    holder.join();

    const auto set = [](const char* name, size_t count) {
        auto config = std::make_unique<CTweakConfig>("Kunden");
        for (size_t i = 0; i < count; ++i) {
            config->m_arrTweaks.push_back(new CTweakInfo);
            config->m_arrTweaks.back()->m_strName = name;
        }
        return config;
    };
    const auto two = set("a", 2), five = set("b", 5);
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 0; i < 300; ++i) ReplaceStoredSet(i % 2 ? *two : *five);
        writing = false;
    });
    size_t reads = 0;
    while (writing) {
        CTweakConfig read("Kunden");
        read.Load();
        std::string names;
        for (const CTweakInfo* tweak : read.m_arrTweaks) names += tweak->m_strName;
        EXPECT_TRUE(names == "aa" || names == "bbbbb" || names == "k0k1k2") << names;
        ++reads;
    }
    writer.join();
    EXPECT_GT(reads, 0u);

    // The configuration removed and written anew as often as before: a view taken before is stale.
    DeleteKeyTree(m_reg, Root(""));
    ReplaceStoredSet(*two);
    const ConfigurationView before;
    DeleteKeyTree(m_reg, Root(""));
    ReplaceStoredSet(*two);
    EXPECT_FALSE(before.Current());
}

// A committed write that is no journal of ours blocks no write: the next writer sets it aside, the
// sets keep what they held, the first write after it says so, and an administrator's finish
// --discard removes it. One of a newer layout is left alone and no write passes it.
TEST_F(InterruptedWrite, AMalformedCommittedWriteIsSetAsideAndANewerOneLeftAlone) {
    StoreOld();
    const std::map<std::string, std::string> before = Observed();
    PutString(Root(kPendingWriteKey) + "\\Set 00", "Key", "no set key");
    PutDword(Root(kPendingWriteKey), "Complete", 1);
    EXPECT_EQ(Observed(), before);
    CTweakConfig saved("Work");
    WriteRequest request;
    request.steps.resize(1);
    request.steps[0].keyPath = ProfileKey("Work");
    request.steps[0].parts = SetPartsOf(saved);
    m_files.Put("C:\\r.tmp", WriteRequestBytes(request));
    for (int time = 0; time < 2; ++time) {
        const CtlResult result = Run({"apply", "C:\\r.tmp"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out.find(kSetAsideWriteNote) != std::string::npos, time == 0) << result.out;
    }
    EXPECT_FALSE(Exists(Root(kPendingWriteKey)));
    EXPECT_EQ(Get(Root(kSetAsideWriteKey) + "\\Set 00", "Key")->data, Sz("no set key"));
    EXPECT_EQ(Observed().at("Work"), "own:");
    EXPECT_EQ(Observed().at("Kunden"), before.at("Kunden"));
    // A "Format" of a size no writer stores, and bytes that are no set, are set aside too, never
    // applied in part nor left to block every write.
    PutString(Root(kPendingWriteKey) + "\\Set 00", "Key", ProfileKey("Kunden"));
    Put(Root(kPendingWriteKey), "Format", REG_BINARY, {1, 0, 0, 0, 0, 0, 0, 0});
    PutDword(Root(kPendingWriteKey), "Complete", 1);
    EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, 0);
    PutString(Root(kPendingWriteKey) + "\\Set 00", "Key", ProfileKey("Kunden"));
    Put(Root(kPendingWriteKey) + "\\Set 00", "New 0", REG_BINARY, {1, 0, 0, 0, 'C'});
    PutDword(Root(kPendingWriteKey), "Complete", 1);
    EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, 0);
    // A key path with a zero inside, which cut there would name Kunden's set.
    const std::string zeroInside = ProfileKey("Kunden") + std::string("\0x", 3);
    Put(Root(kPendingWriteKey) + "\\Set 00", "Key", REG_SZ, std::vector<uint8_t>(zeroInside.begin(), zeroInside.end()));
    Put(Root(kPendingWriteKey) + "\\Set 00", "New 0", REG_BINARY, KeySnapshotBytes(SetPartsOf(saved)));
    PutDword(Root(kPendingWriteKey), "Complete", 1);
    EXPECT_EQ(Run({"apply", "C:\\r.tmp"}).status, 0);
    EXPECT_EQ(Observed().at("Kunden"), before.at("Kunden"));
    EXPECT_EQ(Run({"finish", "--discard"}).out, "Set-aside writes removed: 4\n");
    EXPECT_FALSE(Exists(Root(kSetAsideWriteKey)));

    PutString(Root(kPendingWriteKey) + "\\Set 00", "Key", ProfileKey("Work"));
    PutDword(Root(kPendingWriteKey), "Format", 2);
    PutDword(Root(kPendingWriteKey), "Complete", 1);
    const CtlResult newer = Run({"apply", "C:\\r.tmp"});
    EXPECT_NE(newer.status, 0);
    EXPECT_NE(newer.out.find(kNewerWriteNote), std::string::npos) << newer.out;
    EXPECT_TRUE(Exists(Root(kPendingWriteKey) + "\\Set 00"));
}

// A write refused at its first step whose journal will not go whole: nothing changed where the
// journal lost its "Complete" (the next writer discards it), saved where it kept it (the next
// writer puts it in place).
TEST_F(InterruptedWrite, ARefusedWriteIsSavedOnlyWhileItsJournalStaysCommitted) {
    for (const bool completeStays : {false, true}) {
        SCOPED_TRACE(completeStays);
        DeleteKeyTree(m_reg, Root(""));
        StoreOld();
        const std::string before = Observed().at("Work");
        m_reg.SetFailure([completeStays](const MemoryRegistry::Call& call) -> long {
            using Op = MemoryRegistry::Op;
            const bool setKey = call.op == Op::OpenKey && call.keyPath == "HKEY_USERS\\" + ProfileKey("Work");
            const bool journal = call.keyPath.find(kPendingWriteKey) != std::string::npos &&
                                 (call.op == Op::DeleteKey || (completeStays && call.op == Op::DeleteValue));
            return setKey || journal ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        });
        CTweakConfig work("Work");
        work.m_arrTweaks.push_back(new CTweakInfo);
        work.m_arrTweaks[0]->m_strName = "new";
        EXPECT_EQ(ReplaceStoredSet(work), completeStays ? SetWriteResult::kInterrupted : SetWriteResult::kUnchanged);
        m_reg.SetFailure(nullptr);
        { const ConfigurationTurn writer; }
        EXPECT_EQ(Observed().at("Work"), completeStays ? "own:new=;" : before);
    }
}

// A set larger than one piece of the journal, its writer ended right after the commit: the next
// writer puts all of it in place. A write that ends is on disk: flushed after its last change.
TEST_F(InterruptedWrite, ALargeSetEndedAfterItsCommitIsCompletedWholeAndAFinishedOneFlushedLast) {
    CTweakConfig large("Work");
    for (int i = 0; i < 1500; ++i) {
        large.m_arrTweaks.push_back(new CTweakInfo);
        large.m_arrTweaks.back()->m_strName = "t" + std::to_string(i);
        large.m_arrTweaks.back()->m_strParameters = std::string(200, 'p');
    }
    StoreOld();
    const MemoryRegistry::Key oldTree = Stored();
    size_t changes = 0, commit = 0, pieces = 0;
    bool flushedLast = false;
    m_reg.SetFailure([&](const MemoryRegistry::Call& call) -> long {
        using Op = MemoryRegistry::Op;
        const bool change = call.op == Op::CreateKey || call.op == Op::SetValue || call.op == Op::DeleteKey ||
                            call.op == Op::DeleteValue;
        if (call.op == Op::SetValue && call.valueName == "Complete") commit = changes;
        pieces += call.op == Op::SetValue && call.valueName.rfind("New ", 0) == 0;
        changes += change;
        if (change || call.op == Op::FlushKey) flushedLast = call.op == Op::FlushKey;
        return ERROR_SUCCESS;
    });
    ASSERT_EQ(ReplaceStoredSet(large), SetWriteResult::kWritten);
    m_reg.SetFailure(nullptr);
    EXPECT_GT(pieces, 1u);
    EXPECT_TRUE(flushedLast);
    const std::map<std::string, std::string> written = Observed();

    Reset(oldTree);
    m_reg.StopAtMutatingCall(commit + 1);
    EXPECT_EQ(ReplaceStoredSet(large), SetWriteResult::kInterrupted);
    m_reg.StopAtMutatingCall(std::nullopt);
    { const ConfigurationTurn writer; }
    EXPECT_EQ(Observed(), written);
}

}  // namespace
