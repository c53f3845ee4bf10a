// Copying, moving and deleting whole registry keys, as the application object offers them.
#pragma once

#include <string>

#include "platform/WinTypes.h"

class IRegistry;

// Copies every subkey and value of hSource into hTarget. Returns true when nothing was left out.
bool CopyRegTree(HKEY hSource, HKEY hTarget);
// Moves the key oldPath below HKEY_USERS to newPath unless newPath exists already; a copy that
// is incomplete is taken back and the old key stays.
void MoveRegKey(const char* oldPath, const char* newPath);
// Deletes the key path below HKEY_USERS with all its subkeys and values. Does nothing for a
// path that does not lie strictly below the configuration root's "Configurations" key.
void DeleteRegTree(const char* path);
// Deletes path below HKEY_USERS with everything under it, wherever it lies; a subkey that
// cannot be deleted is stepped over and its parents stay. The result of deleting path itself.
long DeleteKeyTree(IRegistry& registry, const std::string& path);
