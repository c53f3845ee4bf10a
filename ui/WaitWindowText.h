// The texts of the long-wait window, from the module's string table.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WaitWindow.h"

// For the tweak's name and the local path (ANSI), after seconds of running: the running time as
// minutes and seconds ("0:07", "12:30"), with hours once it reaches an hour ("1:02:03"). The
// names are inserted as text, never used as a format.
WaitWindowText MakeWaitWindowText(const std::string& tweakName, const std::string& file, uint64_t seconds);
