// Writing stored sets so that whatever moment the writing process ends at, every reader in any
// process finds each set as it was or as it was written, whole. A write goes first, whole, into
// the key "Pending Write" beside "Configurations", is then committed by one value ("Complete"),
// applied to the set keys and removed. Whoever takes the configuration's turn next completes a
// committed write that a process left behind and discards an uncommitted one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/KeySnapshot.h"

class IRegistry;

// The key of a write under way, below the configuration root.
extern const char* const kPendingWriteKey;

// The value beside "Pending Write" that every writer counts up before each change a reader could
// see mixed (a set key's parts, a committed write's removal): a reader that finds it moved while
// it read reads again.
extern const char* const kWriteGenerationValue;
// Beside "Pending Write": a committed write whose bytes are no journal of ours, kept by the writer
// that found it ("Set Aside Write", then "Set Aside Write 2", ...) until DiscardSetAsideWrites.
extern const char* const kSetAsideWriteKey;

// How long a writer waits for the writers' turn: after that it changes nothing and says so.
// Readers never wait for it.
const uint32_t kTurnWaitMs = 30000;

// One change of a stored set.
struct SetChange {
    std::string keyPath;  // the set key below HKEY_USERS; IsSetKeyPath must hold
    bool store = true;    // false: the set's parts are removed, and the key when nothing is left in it
    KeySnapshot parts;    // with store, what the set key then holds of its own (see SetParts.h)
};

enum class SetWriteResult {
    kWritten,      // every change is in place
    kUnchanged,    // nothing changed: the registry refused a write, or the turn did not come in time
    kDenied,       // nothing changed: the registry refused the first write for want of rights,
                   // or refused to complete a write that another process left pending, or this
                   // process may not take the writers' turn
    kInterrupted,  // committed, but not in place yet: readers find it as written, and the next
                   // writer puts it in place; saved
    kNoTurn,       // nothing changed: the writers' turn could not be had (its name is taken by
                   // something that is no turn of ours, or the system offers no such turn)
    kChangedSince,  // nothing changed: the set no longer holds what the write expected of it
};

// Whether the write counts: readers find it, whether in place or committed and finished later.
inline bool IsSaved(SetWriteResult result) {
    return result == SetWriteResult::kWritten || result == SetWriteResult::kInterrupted;
}

// Makes all changes, in their order, as one: every reader in any process finds all of them or
// none. Takes the writers' turn for the time of the write (the same thread may hold it already).
// A kWritten write is flushed to disk before this returns. Readers of the changed sets are not
// told (the callers reload the sessions).
// requestId, when not empty, names the write (see IsWritePending).
SetWriteResult WriteStoredSets(const std::vector<SetChange>& changes, const std::string& requestId = std::string());

// Deletes every set-aside write (kSetAsideWriteKey) under the writers' turn. Their number in
// *count; false, with the turn's failure in *failure, when the turn could not be had, or the
// registry refused to delete one (those left stay).
bool DiscardSetAsideWrites(size_t* count, SetWriteResult* failure);

// Writes the configuration's hive to disk (RegFlushKey). False when the registry refused.
bool FlushConfiguration();

// Whether the write named requestId is committed and not yet in place (saved; the next writer puts
// it in place), read without any lock.
bool IsWritePending(const std::string& requestId);

// The writers' turn, held for the object's life, after completing a write that a process left
// committed, or discarding one it left uncommitted or that cannot be read. Only writers take it:
// readers read through a ConfigurationView. The same thread may hold several.
class ConfigurationTurn {
public:
    ConfigurationTurn();
    ~ConfigurationTurn();
    ConfigurationTurn(const ConfigurationTurn&) = delete;
    ConfigurationTurn& operator=(const ConfigurationTurn&) = delete;

    // False when the turn is not held: the wait ran out, or it could not be had (Refusal tells).
    bool Held() const { return m_bHeld; }
    // True when the turn is held and no write is left pending.
    bool Settled() const { return m_bSettled; }
    // True when a write is left pending because the registry refused to complete it for want of
    // rights (a standard user finding what an elevated writer left), or the turn was refused for
    // want of rights.
    bool Denied() const { return m_bDenied; }
    // True when this turn found a committed write whose bytes are no journal of ours, and set it
    // aside: the sets stay as they were before it. Told once, by whoever took this turn.
    bool SetAsideMalformed() const { return m_bSetAside; }
    // True when a committed write is left pending, untouched, because the registry answered an
    // error while it was read (Unreadable) or a newer version of the add-on wrote it (Newer).
    bool PendingUnreadable() const { return m_bUnreadable; }
    bool PendingNewer() const { return m_bNewer; }
    // What a writer that could not write because of this turn reports.
    SetWriteResult Failure() const;

private:
    IRegistry& m_registry;
    long m_begun;
    bool m_bHeld;
    bool m_bSettled = false;
    bool m_bDenied = false;
    bool m_bSetAside = false;
    bool m_bUnreadable = false;
    bool m_bNewer = false;
};

// What a reader finds of the write road, read without any lock and without writing: the write
// generation, and a committed write that is not yet in place (its staged parts). Readers take one,
// read, and read again with a new one when Current turns false.
class ConfigurationView {
public:
    ConfigurationView();
    ConfigurationView(const ConfigurationView&) = delete;
    ConfigurationView& operator=(const ConfigurationView&) = delete;

    // What a committed write that is not in place makes the set at keyPath hold of its own (a
    // removed set's parts do not exist), so that a reader finds the set as written; null for a set
    // no such write changes (the registry holds it as it is). Valid for the view's life.
    const KeySnapshot* StagedParts(const std::string& keyPath) const;
    // True when a committed write is pending (finished by the next writer).
    bool WritePending() const { return m_bPending; }
    // That write's changes, in their order; none when no write is pending.
    const std::vector<SetChange>& PendingChanges() const { return m_pending; }
    // False when a committed write is pending that cannot be read (an error of the registry, or a
    // newer layout): no set read with this view is known to be whole.
    bool Readable() const { return m_bReadable; }
    // True while no writer has changed anything a reader could see since the view was taken: what
    // was read after it is one state of the configuration.
    bool Current() const;

private:
    uint32_t m_generation = 0;
    bool m_bPending = false;
    bool m_bReadable = true;
    std::vector<SetChange> m_pending;
};

// Calls read with a new view until what it read is one state (the view still Current afterwards)
// and whole (the view Readable, and read returned true: the registry answered no error but "not
// found"). False when
// writes kept landing for kReadTries reads, or read failed kReadErrorTries times: what read left is
// then of no account.
const int kReadTries = 60;
const int kReadErrorTries = 3;
bool ReadConsistently(const std::function<bool(const ConfigurationView&)>& read);
