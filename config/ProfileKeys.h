// What the host's rename and delete of a server profile do to the profile's stored set.
#pragma once

#include <vector>

#include "config/SetWrite.h"

class CAppBase;

// Moves the set of profile oldName (its "Count" and "Tweak %02d" keys) to newName as one write,
// unless newName has a set of its own; the sets of profiles nested in oldName's key stay where
// they are, and newName may lie below oldName ("Work" to "Work\Alt"). Nothing happens for a null
// or empty name, for a name whose key is, holds, or lies inside the global configuration's key,
// or for one whose key cannot hold a set: a profile's rename never moves any of the global
// configuration.
// The write goes as the host's other writes do (WriteAsHost): elevated where the registry
// refuses it for want of rights, kept for the next write where that is declined.
void RenameProfileKey(const CAppBase& app, const char* oldName, const char* newName);

// Removes the set of profileName as one write, and its key when nothing else is left in it. As
// for the rename, the global configuration is never touched.
void DeleteProfileKey(const CAppBase& app, const char* profileName);

// The writes themselves, in this process: kWritten also when there is nothing to move or remove
// (and for the names that never touch a set, above).
SetWriteResult RenameStoredSet(const char* oldName, const char* newName);
SetWriteResult DeleteStoredSet(const char* profileName);

// The changes the rename or the delete would make now, as read from the registry: none when there
// is nothing to move or remove. False when the sets cannot be read. The caller holds the
// configuration's turn.
bool ProfileRenameChanges(const char* oldName, const char* newName, std::vector<SetChange>* changes);
bool ProfileDeleteChanges(const char* profileName, std::vector<SetChange>* changes);
