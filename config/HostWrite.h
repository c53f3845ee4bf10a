// The host's writes of the configuration: the tweak list's save and the profile rename and
// delete. Each is made in the host's own process first. Where the registry refuses it for want of
// rights (a standard user below HKEY_USERS\.DEFAULT on current Windows), the same request is
// handed to ZTTrevanelCtl.exe beside the add-on, started with the shell's "runas" verb: Windows
// asks for consent once, and the host itself never runs elevated. A machine whose registry lets
// the host write never sees a prompt.
#pragma once

#include <cstdint>
#include <string>

#include "config/SetWrite.h"
#include "config/WriteRequest.h"

// The helper's command that takes a request file, and its exit statuses that the host tells
// apart; any other means that nothing was written.
extern const char* const kApplyCommand;
const uint32_t kApplyWritten = 0;
const uint32_t kApplyInterrupted = 4;
const uint32_t kApplyChangedSince = 5;
// Where profile changes wait that neither road could make: REG_BINARY of WriteRequestBytes
// below HKEY_CURRENT_USER\<kUserKey>, for this Windows user.
extern const char* const kKeptChangesValue;

// Makes the profile changes kept earlier, then request, as one request: in this process, or
// where that is refused for want of rights, by the elevated helper, whose end the calling thread
// waits for. kWritten: the kept changes are forgotten. Otherwise the rename and delete steps that
// are still to be made (kept ones and request's) are kept for the next write, and the result is
// kDenied where neither road wrote for want of rights (the user declined the consent, the helper
// is missing or failed), else as ApplyWriteRequest's. The caller holds no configuration turn (the
// helper takes it).
SetWriteResult WriteAsHost(const WriteRequest& request);

// The profile changes kept for this Windows user, in their order; none when nothing is kept or
// what is kept cannot be read.
WriteRequest KeptProfileChanges();
// Forgets them. False when they stay.
bool ForgetKeptProfileChanges();
