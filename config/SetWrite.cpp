// The pending write: staged whole, committed by one value, applied, removed.
#include "config/SetWrite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/RegistryEnum.h"
#include "config/RegistryTree.h"
#include "config/SetParts.h"
#include "platform/Platform.h"
#include "platform/Registry.h"

const char* const kPendingWriteKey = "Pending Write";

namespace {

// Journal layout: "Pending Write" holds "Set 00", "Set 01", ... with the set key's path below
// HKEY_USERS in "Key" and, for a set that is stored, its parts as bytes (KeySnapshotBytes) in the
// REG_BINARY values "New 0", "New 1", ... of at most kChunk bytes each; "Complete" (REG_DWORD 1),
// written last, makes it count. A few values whatever the set's size: the staging costs little.
const char* const kComplete = "Complete";
const char* const kKey = "Key";
const size_t kChunk = 256 * 1024;

enum class Applied { kAll, kRefused, kPart };

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
        return m_registry.OpenKeyToWrite(parent, subKey, result);
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

std::string EntryName(size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "Set %02u", static_cast<unsigned>(index));
    return name;
}

std::string ChunkName(size_t index) { return "New " + std::to_string(index); }

bool ReadText(IRegistry& registry, HKEY key, const char* name, std::string* text) {
    uint32_t size = 0;
    if (registry.QueryValue(key, name, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<char> data(size + 1, '\0');
    if (registry.QueryValue(key, name, nullptr, reinterpret_cast<uint8_t*>(data.data()), &size) != ERROR_SUCCESS) {
        return false;
    }
    text->assign(data.data());
    return true;
}

// ERROR_SUCCESS, or the registry's answer to the first write it refused.
long WriteJournal(IRegistry& registry, const std::vector<SetChange>& changes) {
    OpenKeys open(registry);
    long error = registry.CreateKey(HKEY_USERS, JournalPath().c_str(), open.Out());
    if (error != ERROR_SUCCESS) return error;
    const HKEY journal = open.Get();
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

// False when the journal cannot be read whole; a committed journal is then kept for later.
bool ReadJournal(IRegistry& registry, HKEY journal, std::vector<SetChange>* changes) {
    for (size_t i = 0;; ++i) {
        OpenKeys open(registry);
        const long error = registry.OpenKey(journal, EntryName(i).c_str(), open.Out());
        if (error == ERROR_FILE_NOT_FOUND) return true;
        if (error != ERROR_SUCCESS) return false;
        const HKEY entry = open.Get();
        SetChange change;
        bool whole = ReadText(registry, entry, kKey, &change.keyPath) && IsSetKeyPath(change.keyPath);
        std::vector<uint8_t> bytes;
        for (size_t n = 0; whole; ++n) {
            uint32_t size = 0;
            const long error = registry.QueryValue(entry, ChunkName(n).c_str(), nullptr, nullptr, &size);
            if (error == ERROR_FILE_NOT_FOUND) break;
            bytes.resize(bytes.size() + size);
            whole = error == ERROR_SUCCESS && registry.QueryValue(entry, ChunkName(n).c_str(), nullptr,
                                                                  bytes.data() + bytes.size() - size, &size) == ERROR_SUCCESS;
        }
        change.store = !bytes.empty();
        if (whole && change.store) whole = ReadKeySnapshotBytes(bytes, &change.parts);
        if (!whole) return false;
        changes->push_back(std::move(change));
    }
}

bool IsCommitted(IRegistry& registry, HKEY journal) {
    uint8_t data[4] = {};
    uint32_t size = sizeof data;
    return registry.QueryValue(journal, kComplete, nullptr, data, &size) == ERROR_SUCCESS && size == 4 &&
           data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0;
}

// "Complete" goes first: a journal that is only partly removed must never be applied again.
bool RemoveJournal(IRegistry& registry) {
    HKEY journal;
    const long opened = registry.OpenKey(HKEY_USERS, JournalPath().c_str(), &journal);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
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

// True when no write is left pending afterwards. A committed write is only ever completed, never
// dropped: the process that left it may have applied part of it, so a refusal now (a key that
// cannot be opened this once, a reader without the rights) keeps it for the next one.
// *left receives a committed write that stays pending, read whole.
bool CompletePendingWrite(IRegistry& registry, std::vector<SetChange>* left) {
    std::vector<SetChange> changes;
    bool committed = false, read = false;
    {
        OpenKeys journal(registry);
        const long opened = registry.OpenKey(HKEY_USERS, JournalPath().c_str(), journal.Out());
        if (opened == ERROR_FILE_NOT_FOUND) return true;
        if (opened != ERROR_SUCCESS) return false;
        committed = IsCommitted(registry, journal.Get());
        read = committed && ReadJournal(registry, journal.Get(), &changes);
    }
    if (committed && (!read || Apply(registry, changes) != Applied::kAll)) {
        if (read) left->swap(changes);
        return false;
    }
    // An uncommitted write never happened.
    return RemoveJournal(registry);
}

}  // namespace

ConfigurationTurn::ConfigurationTurn()
    : m_registry(GetRegistry()), m_bHeld(m_registry.BeginTurn(kTurnWaitMs) == ERROR_SUCCESS), m_bSettled(false) {
    if (!m_bHeld) return;
    // Completing may run out of memory; the turn must not stay taken when it does.
    try {
        RefusalWatch watch(m_registry);
        m_bSettled = CompletePendingWrite(watch, &m_pending);
        m_bDenied = !m_bSettled && watch.Refusal() == ERROR_ACCESS_DENIED;
    } catch (...) {
        m_registry.EndTurn();
        throw;
    }
}

const KeySnapshot* ConfigurationTurn::StagedParts(const std::string& keyPath) const {
    const KeySnapshot* staged = nullptr;
    for (const SetChange& change : m_pending) {
        if (IsSameKeyPath(change.keyPath, keyPath)) staged = &change.parts;
    }
    return staged;
}

ConfigurationTurn::~ConfigurationTurn() {
    if (m_bHeld) m_registry.EndTurn();
}

SetWriteResult WriteStoredSets(const std::vector<SetChange>& changes) {
    for (const SetChange& change : changes) {
        if (!IsSetKeyPath(change.keyPath)) return SetWriteResult::kUnchanged;
    }
    const ConfigurationTurn turn;
    if (!turn.Settled()) return turn.Denied() ? SetWriteResult::kDenied : SetWriteResult::kUnchanged;
    IRegistry& registry = GetRegistry();
    const long journal = WriteJournal(registry, changes);
    if (journal != ERROR_SUCCESS) {
        RemoveJournal(registry);
        // Whether the writer lacks the rights is what the registry says, not a guess from groups.
        return journal == ERROR_ACCESS_DENIED ? SetWriteResult::kDenied : SetWriteResult::kUnchanged;
    }
    switch (Apply(registry, changes)) {
    case Applied::kAll:
        // A journal that stays is applied once more by the next reader, to the same end.
        RemoveJournal(registry);
        return SetWriteResult::kWritten;
    case Applied::kRefused:
        // A journal that stays committed would be tried again by the next reader.
        return RemoveJournal(registry) ? SetWriteResult::kUnchanged : SetWriteResult::kInterrupted;
    case Applied::kPart:
        break;
    }
    return SetWriteResult::kInterrupted;
}
