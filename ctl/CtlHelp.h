// The tool's help texts: for the program and for each command.
#pragma once

#include <string>

// The program's help when command is empty; null for a command that does not exist.
const char* CtlHelpText(const std::string& command);
