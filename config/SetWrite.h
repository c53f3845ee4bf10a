// Writing stored sets so that whatever moment the writing process ends at, every reader in any
// process finds each set as it was or as it was written, whole. A write goes first, whole, into
// the key "Pending Write" beside "Configurations", is then committed by one value ("Complete"),
// applied to the set keys and removed. Whoever takes the configuration's turn next completes a
// committed write that a process left behind and discards an uncommitted one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/KeySnapshot.h"

class IRegistry;

// The key of a write under way, below the configuration root.
extern const char* const kPendingWriteKey;

// How long a reader or writer waits for the configuration's turn: a writer that waited that long
// changes nothing and says so; a reader reads what is there.
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
                   // or refused to complete a write that another process left pending
    kInterrupted,  // committed, but not in place yet: the next reader or writer completes it
    kChangedSince,  // nothing changed: the set no longer holds what the write expected of it
};

// Makes all changes, in their order, as one: every reader in any process finds all of them or
// none. Takes the configuration's turn for the time of the write. Readers of the changed sets
// are not told (the callers reload the sessions).
SetWriteResult WriteStoredSets(const std::vector<SetChange>& changes);

// Holds the configuration's turn for its life, after completing a write that a process left
// committed, or discarding one it left uncommitted. Every reader of stored sets holds one while
// it reads; writers hold one through WriteStoredSets. The same thread may hold several.
class ConfigurationTurn {
public:
    ConfigurationTurn();
    ~ConfigurationTurn();
    ConfigurationTurn(const ConfigurationTurn&) = delete;
    ConfigurationTurn& operator=(const ConfigurationTurn&) = delete;

    // False when the wait ran out: the turn is not held.
    bool Held() const { return m_bHeld; }
    // True when the turn is held and no write is left pending.
    bool Settled() const { return m_bSettled; }
    // True when a write is left pending because the registry refused to complete it for want of
    // rights (a standard user finding what an elevated writer left).
    bool Denied() const { return m_bDenied; }
    // When a committed write is left pending (not Settled), which may be applied in part: what it
    // makes the set at keyPath hold of its own (a removed set's parts do not exist), so that a
    // reader finds the set as written; null for a set the write does not change (the registry
    // holds it as it was), and always when nothing is pending. Valid for the turn's life.
    const KeySnapshot* StagedParts(const std::string& keyPath) const;

private:
    IRegistry& m_registry;
    bool m_bHeld;
    bool m_bSettled;
    bool m_bDenied = false;
    std::vector<SetChange> m_pending;
};
