// The variables of the calling process's own environment, as the system keeps them: the add-on
// reads there what the program that loaded it set after its start, which the C runtime's copy
// (getenv) misses. Names and values in the ANSI code page; a name holds no "=". No function
// throws; any thread may call them, and since the environment is the process's, what another
// thread sets in between is what the next read sees.
#pragma once

#include <string>

// True and *value set when name is set (also to the empty text); false, *value untouched, when
// it is not.
bool ReadProcessVariable(const std::string& name, std::string* value);

// Sets name to value, replacing what it held.
void WriteProcessVariable(const std::string& name, const std::string& value);

// Removes name; nothing happens when it is not set.
void RemoveProcessVariable(const std::string& name);
