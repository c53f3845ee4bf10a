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

// Makes the profile changes kept for this Windows user, as the host makes its writes, and forgets
// them. Where the registry refuses them for want of rights, asks Windows for an administrator's
// consent only when the user says so in console (OfferConsent); with none kept, finishes a write
// that a writer left. 0, 3 when they were not made (they stay kept), 4 when interrupted, 5 when
// rights were needed and not given.
int FinishKeptChanges(std::istream* console, bool discard, std::ostream& out, std::ostream& err);
