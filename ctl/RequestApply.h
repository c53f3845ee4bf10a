// The elevated side of the host's writes: ZTTrevanelCtl apply FILE, which the add-on starts with
// the shell's "runas" verb when the registry refuses the host's own write, and finish, which
// makes the profile changes the host kept because that was declined.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "config/WriteRequest.h"

// Checks every set of request as import checks a file's sets, and replaces its parts by what the
// add-on itself stores for the records read (so that nothing but the add-on's own layout below
// "Configurations" can be written). False with *problem, request partly checked, otherwise.
bool CheckWriteRequest(WriteRequest* request, std::string* problem);

// Reads the request from path once, checks it and makes it. The exit status: 0 written, 1 the
// request was refused (nothing written), 3 the file could not be read or the registry refused
// the write, 4 written but not yet in place.
int ApplyRequestFile(const std::string& path, std::ostream& out, std::ostream& err);

// Finishes a write that a writer left (completes a committed one, discards an uncommitted one),
// or with discard deletes the set-aside writes. 0, 3 when the registry refused, 5 when rights were
// needed.
int Finish(bool discard, std::ostream& out, std::ostream& err);
