// A write of the configuration held as data: the steps that the tweak list's save and the host's
// profile rename and delete ask for, in their order. It is what the host hands to the elevated
// ZTTrevanelCtl when the registry refuses the host's own write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/KeySnapshot.h"
#include "config/SetWrite.h"

struct WriteStep {
    enum class Kind : uint32_t { kStore = 1, kRename = 2, kDelete = 3 };
    Kind kind = Kind::kStore;
    std::string keyPath;  // kStore: the set key below HKEY_USERS (IsSetKeyPath)
    KeySnapshot parts;    // kStore: the set's parts, as SetPartsOf gives them
    std::string name;     // kRename: the old profile name; kDelete: the profile's name
    std::string newName;  // kRename: the new profile name
    // With checked: made only where the set (a store's, or the named profile's) still holds
    // before, as ReadStoredSetParts finds it under the configuration's turn (a set that was not
    // there: before does not exist);
    // else no step of the request is made from here on, and the result is kChangedSince.
    bool checked = false;
    KeySnapshot before;
};

struct WriteRequest {
    std::vector<WriteStep> steps;
    // Names the write for whoever hands it to another process: the write's journal carries it
    // while it is committed and not in place (FindRequestOutcome). Empty: unnamed.
    std::string id;
};

// The largest request file the helper reads: far above what the tweak list can hand over.
const uint64_t kMaxRequestBytes = 64u * 1024 * 1024;

// The request as bytes (a KeySnapshot's), and back. False, *request empty, for bytes that are no
// whole request: another layout, an unknown step, a store whose key cannot hold a set.
std::vector<uint8_t> WriteRequestBytes(const WriteRequest& request);
bool ReadWriteRequest(const std::vector<uint8_t>& bytes, WriteRequest* request);

// Makes the steps in their order as one write (WriteStoredSets): a rename finds the sets as the
// steps before it left them, and readers find all steps or none. A rename or delete that finds
// nothing to move or remove is done. What the writers' turn found pending and did not simply
// complete goes to *notes (may be null; AddTurnNotes). Sessions are not told.
SetWriteResult ApplyWriteRequest(const WriteRequest& request, std::vector<std::string>* notes = nullptr);

// What became of a request that another process was to write, read from the store without any
// lock: kInterrupted while its journal is committed and not in place; kWritten when the sets hold
// what it asked for (a stored set its parts, a deleted profile no set, a renamed one no set at the
// old name unless the new name had one; so a request the store already held counts as written);
// else kUnchanged.
SetWriteResult FindRequestOutcome(const WriteRequest& request);

// What a writer found pending and did not simply complete, told once by the writer that found it:
// a committed write set aside, or kept because it cannot be read now or is of a newer layout.
extern const char* const kSetAsideWriteNote;
extern const char* const kUnreadableWriteNote;
extern const char* const kNewerWriteNote;
void AddTurnNotes(const ConfigurationTurn& turn, std::vector<std::string>* notes);

// The step as the user reads it: "Work -> Privat", "delete Work", "store HKEY_USERS\...".
std::string DescribeWriteStep(const WriteStep& step);
