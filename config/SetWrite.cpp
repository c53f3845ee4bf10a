// The pending write: staged whole, committed by one value, applied, removed.
#include "config/SetWrite.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <thread>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/RegistryEnum.h"
#include "config/RegistryTree.h"
#include "config/SetParts.h"
#include "config/StoreAccess.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

const char* const kPendingWriteKey = "Pending Write";
const char* const kWriteGenerationValue = "Write Generation";
const char* const kSetAsideWriteKey = "Set Aside Write";

namespace {

// Journal layout: "Pending Write" holds "Set 00", "Set 01", ... with the set key's path below
// HKEY_USERS in "Key" and, for a set that is stored, its parts as bytes (KeySnapshotBytes) in the
// REG_BINARY values "New 0", "New 1", ... of at most kChunk bytes each; "Complete" (REG_DWORD 1),
// written last, makes it count. A few values whatever the set's size: the staging costs little.
// "Format" (REG_DWORD, written first; none before it was written) is the layout's version.
const char* const kComplete = "Complete";
const char* const kFormat = "Format";
const uint32_t kJournalFormat = 1;
const char* const kKey = "Key";
// The name of the write, for the process that handed it to another (IsWritePending).
const char* const kRequest = "Request";
const size_t kChunk = 256 * 1024;

enum class Applied { kAll, kRefused, kPart };

// A committed journal as a reader or writer finds it: read whole; not readable now (the registry
// answered an error other than "not found"), or of a newer layout: kept, untouched; its bytes read
// whole and no journal of ours (changed after its commit): set aside by the next writer.
enum class Journal { kWhole, kError, kNewer, kMalformed };

// The registry as completing a pending write uses it, remembering the answer to the first change
// that it refused: so a reader knows whether it lacks the rights to complete what it found.
class RefusalWatch : public IRegistry {
public:
    explicit RefusalWatch(IRegistry& registry) : m_registry(registry) {}
    long Refusal() const { return m_refusal; }

    long CreateKey(HKEY parent, const char* subKey, HKEY* result) override {
        return Watch(m_registry.CreateKey(parent, subKey, result));
    }
    long OpenKey(HKEY parent, const char* subKey, HKEY* result) override {
        return m_registry.OpenKey(parent, subKey, result);
    }
    long OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) override {
        return Watch(m_registry.OpenKeyToWrite(parent, subKey, result));
    }
    long QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data, uint32_t* size) override {
        return m_registry.QueryValue(key, name, type, data, size);
    }
    long SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) override {
        return Watch(m_registry.SetValue(key, name, type, data, size));
    }
    long EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) override {
        return m_registry.EnumKey(key, index, name, nameSize);
    }
    long EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen, uint32_t* type, uint8_t* data,
                   uint32_t* dataSize) override {
        return m_registry.EnumValue(key, index, name, nameLen, type, data, dataSize);
    }
    long DeleteKey(HKEY parent, const char* subKey) override { return Watch(m_registry.DeleteKey(parent, subKey)); }
    long DeleteValue(HKEY key, const char* name) override { return Watch(m_registry.DeleteValue(key, name)); }
    long CloseKey(HKEY key) override { return m_registry.CloseKey(key); }
    long FlushKey(HKEY key) override { return m_registry.FlushKey(key); }
    long BeginTurn(uint32_t timeoutMs) override { return m_registry.BeginTurn(timeoutMs); }
    void EndTurn() override { m_registry.EndTurn(); }
    long NotifyChange(HKEY key, void* event) override { return m_registry.NotifyChange(key, event); }
    void* CreateChangeEvent() override { return m_registry.CreateChangeEvent(); }
    bool TakeChangeSignal(void* event) override { return m_registry.TakeChangeSignal(event); }
    void CloseChangeEvent(void* event) override { m_registry.CloseChangeEvent(event); }

private:
    long Watch(long error) {
        if (m_refusal == ERROR_SUCCESS && error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) m_refusal = error;
        return error;
    }
    IRegistry& m_registry;
    long m_refusal = ERROR_SUCCESS;
};

std::string JournalPath() { return std::string(kConfigRoot) + kPendingWriteKey; }

std::string RootPath() {
    std::string root = kConfigRoot;
    while (!root.empty() && root.back() == '\\') root.pop_back();
    return root;
}

uint32_t ReadGeneration(IRegistry& registry) {
    OpenKeys root(registry);
    uint8_t data[4] = {};
    uint32_t size = sizeof data;
    if (registry.OpenKey(HKEY_USERS, RootPath().c_str(), root.Out()) != ERROR_SUCCESS ||
        registry.QueryValue(root.Get(), kWriteGenerationValue, nullptr, data, &size) != ERROR_SUCCESS || size != 4) {
        return 0;
    }
    return uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
}

// Counted up by the writer before each change a reader could see mixed; a reader that finds it
// moved reads again. False when it could not be counted: the change must not be made then. A
// configuration without one (its root removed and written anew) starts at a chance value, not at
// 1: a reader that took its view before the removal must not find the generation it read again.
bool NextGeneration(IRegistry& registry) {
    uint32_t next = ReadGeneration(registry) + 1;
    if (next == 1) {
        std::random_device device;
        do next = device(); while (next == 0);
    }
    const uint8_t data[4] = {uint8_t(next), uint8_t(next >> 8), uint8_t(next >> 16), uint8_t(next >> 24)};
    OpenKeys root(registry);
    // The root is there but for the first write: opened, it is no change of the registry's.
    long opened = registry.OpenKeyToWrite(HKEY_USERS, RootPath().c_str(), root.Out());
    if (opened == ERROR_FILE_NOT_FOUND) opened = registry.CreateKey(HKEY_USERS, RootPath().c_str(), root.Out());
    return opened == ERROR_SUCCESS &&
           registry.SetValue(root.Get(), kWriteGenerationValue, REG_DWORD, data, sizeof data) == ERROR_SUCCESS;
}

// The configuration's hive written to disk. False when the registry refused.
bool Flush(IRegistry& registry) {
    OpenKeys root(registry);
    return registry.OpenKey(HKEY_USERS, RootPath().c_str(), root.Out()) == ERROR_SUCCESS &&
           registry.FlushKey(root.Get()) == ERROR_SUCCESS;
}

std::string EntryName(size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "Set %02u", static_cast<unsigned>(index));
    return name;
}

std::string ChunkName(size_t index) { return "New " + std::to_string(index); }

// ERROR_SUCCESS with *text, or the registry's answer. A zero inside stays in *text: cut there, the
// text would name another key.
long ReadTextValue(IRegistry& registry, HKEY key, const char* name, std::string* text) {
    uint32_t size = 0;
    long error = registry.QueryValue(key, name, nullptr, nullptr, &size);
    std::vector<char> data(size + 1, '\0');
    if (error == ERROR_SUCCESS) error = registry.QueryValue(key, name, nullptr, reinterpret_cast<uint8_t*>(data.data()), &size);
    if (error == ERROR_SUCCESS) text->assign(data.data(), size > 0 && data[size - 1] == '\0' ? size - 1 : size);
    return error;
}

bool ReadText(IRegistry& registry, HKEY key, const char* name, std::string* text) {
    return ReadTextValue(registry, key, name, text) == ERROR_SUCCESS;
}

// ERROR_SUCCESS, or the registry's answer to the first write it refused.
long WriteJournal(IRegistry& registry, const std::vector<SetChange>& changes, const std::string& requestId) {
    OpenKeys open(registry);
    long error = registry.CreateKey(HKEY_USERS, JournalPath().c_str(), open.Out());
    if (error != ERROR_SUCCESS) return error;
    const HKEY journal = open.Get();
    const uint8_t format[4] = {uint8_t(kJournalFormat), 0, 0, 0};
    error = registry.SetValue(journal, kFormat, REG_DWORD, format, sizeof format);
    if (error == ERROR_SUCCESS && !requestId.empty()) {
        error = registry.SetValue(journal, kRequest, REG_SZ, reinterpret_cast<const uint8_t*>(requestId.c_str()),
                                  static_cast<uint32_t>(requestId.size() + 1));
    }
    for (size_t i = 0; error == ERROR_SUCCESS && i < changes.size(); ++i) {
        OpenKeys created(registry);
        error = registry.CreateKey(journal, EntryName(i).c_str(), created.Out());
        if (error != ERROR_SUCCESS) break;
        const HKEY entry = created.Get();
        const std::string& path = changes[i].keyPath;
        error = registry.SetValue(entry, kKey, REG_SZ, reinterpret_cast<const uint8_t*>(path.c_str()),
                                  static_cast<uint32_t>(path.size() + 1));
        if (changes[i].store) {
            const std::vector<uint8_t> bytes = KeySnapshotBytes(changes[i].parts);
            for (size_t at = 0, n = 0; error == ERROR_SUCCESS && at < bytes.size(); at += kChunk, ++n) {
                const size_t size = std::min(kChunk, bytes.size() - at);
                error = registry.SetValue(entry, ChunkName(n).c_str(), REG_BINARY, bytes.data() + at,
                                          static_cast<uint32_t>(size));
            }
        }
    }
    // The commit: from here on the write counts, and is completed by whoever comes next.
    const uint8_t one[4] = {1, 0, 0, 0};
    if (error == ERROR_SUCCESS) error = registry.SetValue(journal, kComplete, REG_DWORD, one, sizeof one);
    return error;
}

Journal ReadJournal(IRegistry& registry, HKEY journal, std::vector<SetChange>* changes) {
    uint8_t format[4] = {};
    uint32_t formatSize = sizeof format;
    const long formatError = registry.QueryValue(journal, kFormat, nullptr, format, &formatSize);
    // A value no writer of ours stores (not four bytes) is bytes changed after the commit.
    if (formatError == ERROR_MORE_DATA || (formatError == ERROR_SUCCESS && formatSize != 4)) return Journal::kMalformed;
    if (formatError != ERROR_SUCCESS && formatError != ERROR_FILE_NOT_FOUND) return Journal::kError;
    if (formatError == ERROR_SUCCESS && (format[0] > kJournalFormat || format[1] || format[2] || format[3]))
        return Journal::kNewer;
    for (size_t i = 0;; ++i) {
        OpenKeys open(registry);
        const long error = registry.OpenKey(journal, EntryName(i).c_str(), open.Out());
        if (error == ERROR_FILE_NOT_FOUND) return Journal::kWhole;
        if (error != ERROR_SUCCESS) return Journal::kError;
        const HKEY entry = open.Get();
        SetChange change;
        const long keyError = ReadTextValue(registry, entry, kKey, &change.keyPath);
        if (keyError != ERROR_SUCCESS && keyError != ERROR_FILE_NOT_FOUND) return Journal::kError;
        if (keyError != ERROR_SUCCESS || !IsSetKeyPath(change.keyPath)) return Journal::kMalformed;
        std::vector<uint8_t> bytes;
        for (size_t n = 0;; ++n) {
            uint32_t size = 0;
            long chunk = registry.QueryValue(entry, ChunkName(n).c_str(), nullptr, nullptr, &size);
            if (chunk == ERROR_FILE_NOT_FOUND) break;
            bytes.resize(bytes.size() + size);
            if (chunk == ERROR_SUCCESS) {
                chunk = registry.QueryValue(entry, ChunkName(n).c_str(), nullptr, bytes.data() + bytes.size() - size, &size);
            }
            if (chunk != ERROR_SUCCESS) return Journal::kError;
        }
        change.store = !bytes.empty();
        if (change.store && !ReadKeySnapshotBytes(bytes, &change.parts)) return Journal::kMalformed;
        changes->push_back(std::move(change));
    }
}

// ERROR_SUCCESS with *committed, or the registry's error: a "Complete" that cannot be read now
// may still be one.
long ReadCommitted(IRegistry& registry, HKEY journal, bool* committed) {
    uint8_t data[4] = {};
    uint32_t size = sizeof data;
    const long error = registry.QueryValue(journal, kComplete, nullptr, data, &size);
    *committed = error == ERROR_SUCCESS && size == 4 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0;
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_MORE_DATA ? ERROR_SUCCESS : error;
}

bool IsCommitted(IRegistry& registry, HKEY journal) {
    bool committed = false;
    return ReadCommitted(registry, journal, &committed) == ERROR_SUCCESS && committed;
}

// "Complete" goes first: a journal that is only partly removed must never be applied again. A
// reader may be reading a committed one's staged parts: the generation moves before.
bool RemoveJournal(IRegistry& registry) {
    HKEY journal;
    const long opened = registry.OpenKey(HKEY_USERS, JournalPath().c_str(), &journal);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    if (IsCommitted(registry, journal) && !NextGeneration(registry)) {
        registry.CloseKey(journal);
        return false;
    }
    const long error = registry.DeleteValue(journal, kComplete);
    registry.CloseKey(journal);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) return false;
    const long deleted = DeleteKeyTree(registry, JournalPath());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool IsEmptyKey(IRegistry& registry, const std::string& path) {
    OpenKeys key(registry);
    if (registry.OpenKey(HKEY_USERS, path.c_str(), key.Out()) != ERROR_SUCCESS) return false;
    std::string name;
    EnumeratedValue value;
    return EnumKeyName(registry, key.Get(), 0, &name) == ERROR_NO_MORE_ITEMS &&
           EnumValueWhole(registry, key.Get(), 0, &value) == ERROR_NO_MORE_ITEMS;
}

// Opens or makes every set key first: a refusal there has changed nothing that a reader sees
// (the keys made so far, listed in *made, are taken back by the caller). Then replaces the parts.
Applied ApplyParts(IRegistry& registry, const std::vector<SetChange>& changes, std::vector<std::string>* made) {
    OpenKeys keys(registry, changes.size());
    for (size_t i = 0; i < changes.size(); ++i) {
        const char* path = changes[i].keyPath.c_str();
        long error = registry.OpenKey(HKEY_USERS, path, keys.Out(i));
        if (error == ERROR_FILE_NOT_FOUND && changes[i].store) {
            error = registry.CreateKey(HKEY_USERS, path, keys.Out(i));
            if (error == ERROR_SUCCESS) made->push_back(path);
        }
        if (error == ERROR_FILE_NOT_FOUND) continue;
        if (error != ERROR_SUCCESS) return Applied::kRefused;
    }
    for (size_t i = 0; i < changes.size(); ++i) {
        if (keys.Get(i) == nullptr) continue;
        if (!RemoveSetParts(registry, keys.Get(i), changes[i].keyPath) ||
            (changes[i].store && !WriteSetParts(registry, keys.Get(i), changes[i].parts))) {
            return Applied::kPart;
        }
    }
    return Applied::kAll;
}

// Puts every change in place. Applying again after any part of it gives the same end.
Applied Apply(IRegistry& registry, const std::vector<SetChange>& changes) {
    if (!NextGeneration(registry)) return Applied::kRefused;
    std::vector<std::string> made;
    const Applied result = ApplyParts(registry, changes, &made);
    if (result == Applied::kRefused) {
        for (auto path = made.rbegin(); path != made.rend(); ++path) registry.DeleteKey(HKEY_USERS, path->c_str());
    }
    if (result != Applied::kAll) return result;
    // A removed set's key goes when nothing else is left in it.
    for (const SetChange& change : changes) {
        if (!change.store && IsEmptyKey(registry, change.keyPath)) {
            if (registry.DeleteKey(HKEY_USERS, change.keyPath.c_str()) != ERROR_SUCCESS) return Applied::kPart;
        }
    }
    return Applied::kAll;
}

// A journal that is no write of ours, copied whole under the first free name "Set Aside Write",
// "Set Aside Write 2", ... beside it (for an administrator's finish --discard), then removed.
bool SetAside(IRegistry& registry, HKEY journal) {
    KeySnapshot copy;
    if (!TakeKeySnapshotOf(registry, journal, &copy)) return false;
    for (int n = 1; n <= 100; ++n) {
        const std::string path = RootPath() + "\\" + kSetAsideWriteKey + (n == 1 ? "" : " " + std::to_string(n));
        OpenKeys taken(registry);
        const long error = registry.OpenKey(HKEY_USERS, path.c_str(), taken.Out());
        if (error == ERROR_SUCCESS) continue;
        if (error != ERROR_FILE_NOT_FOUND) return false;
        OpenKeys made(registry);
        return registry.CreateKey(HKEY_USERS, path.c_str(), made.Out()) == ERROR_SUCCESS &&
               WriteKeySnapshotTo(registry, made.Get(), copy);
    }
    return false;
}

// True when no write is left pending afterwards. A committed write is only ever completed, never
// dropped: the process that left it may have applied part of it, so a refusal now (a key that
// cannot be opened this once, a writer without the rights, an error reading it) keeps it for the
// next one (*kept). One whose bytes were read whole and are no journal of ours is set aside, not
// deleted (*setAside), and the sets keep what the registry holds (a writer applies only what it
// read whole, so nothing of it is applied unless the journal was changed after its commit).
bool CompletePendingWrite(IRegistry& registry, bool* setAside, Journal* kept) {
    std::vector<SetChange> changes;
    bool committed = false;
    Journal read = Journal::kWhole;
    {
        OpenKeys journal(registry);
        const long opened = registry.OpenKey(HKEY_USERS, JournalPath().c_str(), journal.Out());
        if (opened == ERROR_FILE_NOT_FOUND) return true;
        if (opened != ERROR_SUCCESS || ReadCommitted(registry, journal.Get(), &committed) != ERROR_SUCCESS) {
            *kept = Journal::kError;
            return false;
        }
        if (committed) read = ReadJournal(registry, journal.Get(), &changes);
        if (read == Journal::kError || read == Journal::kNewer) {
            *kept = read;
            return false;
        }
        if (read == Journal::kMalformed && !SetAside(registry, journal.Get())) return false;
    }
    if (read == Journal::kWhole && committed && Apply(registry, changes) != Applied::kAll) return false;
    // An uncommitted write never happened.
    const bool removed = RemoveJournal(registry);
    *setAside = removed && read == Journal::kMalformed;
    return removed;
}

// A committed write that is not in place, read as a reader reads it: kWhole with no changes when
// there is none.
Journal ReadCommittedWrite(IRegistry& registry, std::vector<SetChange>* changes) {
    OpenKeys journal(registry);
    const long opened = registry.OpenKey(HKEY_USERS, JournalPath().c_str(), journal.Out());
    if (opened == ERROR_FILE_NOT_FOUND) return Journal::kWhole;
    bool committed = false;
    if (opened != ERROR_SUCCESS || ReadCommitted(registry, journal.Get(), &committed) != ERROR_SUCCESS) return Journal::kError;
    return committed ? ReadJournal(registry, journal.Get(), changes) : Journal::kWhole;
}

}  // namespace

ConfigurationTurn::ConfigurationTurn()
    : m_registry(GetRegistry()), m_begun(m_registry.BeginTurn(kTurnWaitMs)), m_bHeld(m_begun == ERROR_SUCCESS) {
    if (!m_bHeld) {
        // Whatever the system answers for the turn, a process that the registry does not let write
        // the configuration goes the elevated road.
        m_bDenied = m_begun == ERROR_ACCESS_DENIED || (m_begun != ERROR_TIMEOUT && !MayWriteStore());
        return;
    }
    // Completing may run out of memory; the turn must not stay taken when it does.
    try {
        RefusalWatch watch(m_registry);
        Journal kept = Journal::kWhole;
        m_bSettled = CompletePendingWrite(watch, &m_bSetAside, &kept);
        m_bUnreadable = kept == Journal::kError;
        m_bNewer = kept == Journal::kNewer;
        m_bDenied = !m_bSettled && watch.Refusal() == ERROR_ACCESS_DENIED;
    } catch (...) {
        m_registry.EndTurn();
        throw;
    }
}

ConfigurationTurn::~ConfigurationTurn() {
    if (m_bHeld) m_registry.EndTurn();
}

SetWriteResult ConfigurationTurn::Failure() const {
    if (m_bDenied) return SetWriteResult::kDenied;
    if (!m_bHeld && m_begun != ERROR_TIMEOUT) return SetWriteResult::kNoTurn;
    return SetWriteResult::kUnchanged;
}

ConfigurationView::ConfigurationView() {
    IRegistry& registry = GetRegistry();
    m_generation = ReadGeneration(registry);
    const Journal read = ReadCommittedWrite(registry, &m_pending);
    // A journal that is no write of ours is set aside by the next writer: the registry holds the sets.
    if (read != Journal::kWhole) m_pending.clear();
    m_bPending = !m_pending.empty();
    m_bReadable = read == Journal::kWhole || read == Journal::kMalformed;
}

const KeySnapshot* ConfigurationView::StagedParts(const std::string& keyPath) const {
    const KeySnapshot* staged = nullptr;
    for (const SetChange& change : m_pending) {
        if (IsSameKeyPath(change.keyPath, keyPath)) staged = &change.parts;
    }
    return staged;
}

bool ConfigurationView::Current() const { return ReadGeneration(GetRegistry()) == m_generation; }

bool ReadConsistently(const std::function<bool(const ConfigurationView&)>& read) {
    int errors = 0;
    for (int attempt = 0; attempt < kReadTries; ++attempt) {
        // A write in its course takes milliseconds: the later tries leave it some.
        if (attempt > 2) std::this_thread::sleep_for(std::chrono::milliseconds(attempt < 20 ? 1 : 20));
        const ConfigurationView view;
        if (view.Readable() && read(view)) {
            if (view.Current()) return true;
        } else if (view.Current() && ++errors == kReadErrorTries) {
            // A failure while a write landed (a key deleted under the reader) is that write's, and
            // is read again; one without is the registry's, which no writer ends: the caller keeps
            // what it has and reads later.
            return false;
        }
    }
    return false;
}

bool FlushConfiguration() { return Flush(GetRegistry()); }

bool DiscardSetAsideWrites(size_t* count, SetWriteResult* failure) {
    *count = 0;
    const ConfigurationTurn turn;
    *failure = turn.Failure();
    if (!turn.Held()) return false;
    IRegistry& registry = GetRegistry();
    std::vector<std::string> names;
    {
        OpenKeys root(registry);
        if (registry.OpenKey(HKEY_USERS, RootPath().c_str(), root.Out()) != ERROR_SUCCESS) return true;
        std::string name;
        for (uint32_t i = 0; EnumKeyName(registry, root.Get(), i, &name) == ERROR_SUCCESS; ++i) {
            if (name.compare(0, std::strlen(kSetAsideWriteKey), kSetAsideWriteKey) == 0) names.push_back(name);
        }
    }
    for (const std::string& name : names) {
        if (DeleteKeyTree(registry, RootPath() + "\\" + name) != ERROR_SUCCESS) return false;
        ++*count;
    }
    return true;
}

bool IsWritePending(const std::string& requestId) {
    IRegistry& registry = GetRegistry();
    std::string name;
    OpenKeys journal(registry);
    return !requestId.empty() && registry.OpenKey(HKEY_USERS, JournalPath().c_str(), journal.Out()) == ERROR_SUCCESS &&
           IsCommitted(registry, journal.Get()) && ReadText(registry, journal.Get(), kRequest, &name) &&
           name == requestId;
}

SetWriteResult WriteStoredSets(const std::vector<SetChange>& changes, const std::string& requestId) {
    for (const SetChange& change : changes) {
        if (!IsSetKeyPath(change.keyPath)) return SetWriteResult::kUnchanged;
    }
    const ConfigurationTurn turn;
    if (!turn.Settled()) return turn.Failure();
    IRegistry& registry = GetRegistry();
    const long journal = WriteJournal(registry, changes, requestId);
    if (journal != ERROR_SUCCESS) {
        RemoveJournal(registry);
        // Whether the writer lacks the rights is what the registry says, not a guess from groups.
        return journal == ERROR_ACCESS_DENIED ? SetWriteResult::kDenied : SetWriteResult::kUnchanged;
    }
    switch (Apply(registry, changes)) {
    case Applied::kAll:
        // A journal that stays is applied once more by the next writer, to the same end.
        RemoveJournal(registry);
        // Done means on disk, as far as the registry lets us make sure.
        Flush(registry);
        return SetWriteResult::kWritten;
    case Applied::kRefused: {
        // A journal that stays committed is put in place by the next writer; one that lost its
        // "Complete" before the rest of it would not go is discarded by the next writer.
        // What cannot be read counts as committed.
        if (RemoveJournal(registry)) return SetWriteResult::kUnchanged;
        OpenKeys left(registry);
        long error = registry.OpenKey(HKEY_USERS, JournalPath().c_str(), left.Out());
        uint32_t size = 0;
        if (error == ERROR_SUCCESS) error = registry.QueryValue(left.Get(), kComplete, nullptr, nullptr, &size);
        return error == ERROR_FILE_NOT_FOUND ? SetWriteResult::kUnchanged : SetWriteResult::kInterrupted;
    }
    case Applied::kPart:
        break;
    }
    return SetWriteResult::kInterrupted;
}
