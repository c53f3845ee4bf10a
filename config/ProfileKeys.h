// What the host's rename and delete of a server profile do to the profile's configuration key.
#pragma once

class CAppBase;
class CTweakConfig;

// Moves the configuration of profile oldName to newName, unless newName has one already.
// Nothing happens for a null or empty name, or for a name whose key is, holds, or lies inside the
// global configuration's key: a profile's rename never moves any of the global configuration.
void RenameProfileKey(const CAppBase& app, const char* oldName, const char* newName);

// Deletes the configuration of profileName with everything below it. As for the rename, the
// global configuration is never touched.
void DeleteProfileKey(const CAppBase& app, const char* profileName);

// Whether the tweak list may delete config's key before it saves the set anew. Not when a
// profile's key would hold the global configuration's key or lie inside it (a name of
// backslashes, or one that continues the global key): the delete would take other sets with it.
bool CanReplaceSetKey(const CTweakConfig& config);
