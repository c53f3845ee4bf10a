// Starting a program as the user signed in at the desktop, from a process that runs elevated
// (the setup): through the desktop's own shell, which runs with that user's rights.
#pragma once

#include <cstdint>

// Whether the process runs with an elevated token. False where the system knows no elevation.
bool RunsElevated();

// Asks the desktop's shell (Explorer's IShellDispatch2::ShellExecute, reached through the shell
// window of the desktop) to open file with verb, parameters and directory. True when the shell
// took the request; the program then runs as the desktop's user, and whether it started is not
// known here. False, nothing started, when no desktop shell answers (no Explorer, another shell,
// a session without a desktop). The calling thread must not be in a multithreaded apartment of
// its own making; it may pump messages while COM waits.
bool ExecuteThroughDesktopShell(const char* verb, const char* file, const char* parameters,
                                const char* directory, int show);

// Opens file with verb as the user signed in at the desktop, never elevated: the process's own
// ShellExecuteA where it does not run elevated or file is not there (only that call's error can
// say so: the desktop's shell reports none); else, for a program opened with "open" where no
// desktop shell window exists, the program started at once with this process's token as a
// standard user's (no administrators, medium integrity); else the desktop's shell. True with
// *result set to the
// shell's result (greater than 32 when opened or taken). False, nothing opened and *result
// untouched, when the process runs elevated and none of these roads is open. Threads as for
// ExecuteThroughDesktopShell.
bool ExecuteAsDesktopUser(const char* verb, const char* file, const char* parameters,
                          const char* directory, int show, intptr_t* result);
