// What this Windows user's host could not do to a profile's set (a rename or delete that the
// registry or the user's consent refused): noted below HKEY_CURRENT_USER\<kUserKey>, so that the
// renamed profile's tweak list can offer the set once and `ZTTrevanelCtl list` can mark sets no
// profile uses. Notes only: no reader of sets looks at them.
#pragma once

#include <string>
#include <vector>

// The last rename whose set stayed under the old name: REG_SZ "Declined Rename From" and
// "Declined Rename To". One step; a later one replaces it.
extern const char* const kDeclinedRenameFromValue;
extern const char* const kDeclinedRenameToValue;
// Profiles whose delete left their set: one value each, named as the profile, in this key.
extern const char* const kDeclinedDeletesKey;

struct DeclinedRename {
    std::string from;
    std::string to;
};

// Writes the note, replacing the one before; nothing when the registry refuses (said nowhere:
// the set stays where it was, which the message at the rename tells).
void NoteDeclinedRename(const std::string& from, const std::string& to);
// The note, or false when there is none (or it cannot be read).
bool LastDeclinedRename(DeclinedRename* rename);
void ForgetDeclinedRename();
// Forgets the note when profileName is the name it renamed to: that profile was renamed again or
// deleted, so a later profile of its name must not be offered the set.
void ForgetDeclinedRenameTo(const std::string& profileName);

void NoteDeclinedDelete(const std::string& profileName);
// The noted names, in the registry's order; a name that has a profile set again (a write made
// there since) is still listed: the caller tells.
std::vector<std::string> DeclinedDeletes();
