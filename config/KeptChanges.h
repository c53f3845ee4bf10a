// The host's profile renames and deletes that no write could make yet (the user declined the
// consent): kept per Windows user in "Profile Changes" below HKEY_CURRENT_USER\<kUserKey>, as the
// bytes of a WriteRequest, folded (A -> B -> C is A -> C; A -> B then delete B is delete A), each
// step carrying the parts its set had when the host made it.
#pragma once

#include "config/WriteRequest.h"

extern const char* const kKeptChangesValue;

// The kept changes, in their order; none when nothing is kept or what is kept cannot be read.
WriteRequest KeptProfileChanges();

// Adds the host's rename or delete step, folded into what is kept, with the parts of the set it
// moves as this user's sessions see it (the kept changes made). A step that moves no set keeps
// nothing. Reads and writes the value under the user's lock (a file in UserDataFolder(), waited
// for at most 5 s), so that two hosts of the user keeping changes at once lose neither. False,
// with nothing written, when the lock cannot be had or the value could not be written.
bool KeepProfileChange(const WriteStep& step);

// Forgets the kept steps that a write made or dropped (made: the steps as KeptProfileChanges gave
// them before the write), keeping those another host added since, under the same lock. False when
// they stay.
bool ForgetKeptProfileChanges(const WriteRequest& made);

// The set key a profile's sessions read as if the kept changes were made, counting only the steps
// the next write will make (the set still holds the parts kept, a rename's new name has no set of
// its own): the key of the profile whose kept rename ends at profileName (*found true); an empty
// path where a kept rename or delete takes profileName's set away (*found true); else *found false.
std::string KeptSetKeyPath(const std::string& profileName, bool* found);
