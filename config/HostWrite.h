// The host's writes of the configuration: the tweak list's save and the profile rename and
// delete. Each is made in the host's own process first. Where the registry or the writers' turn
// refuses it for want of rights (a standard user below HKEY_USERS\.DEFAULT on current Windows),
// the same request is handed to ZTTrevanelCtl.exe beside the add-on, started with the shell's
// "runas" verb: Windows asks for consent once, and the host itself never runs elevated. A machine
// whose registry lets the host write never sees a prompt. The top of the write road: it uses
// WriteRequest, which uses ProfileKeys and SetWrite, never the other way round.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/SetWrite.h"
#include "config/WriteRequest.h"

class CAppBase;

// The helper's command that takes a request file, and its exit statuses that the host tells
// apart; for any other, what the configuration says of the request (FindRequestOutcome) counts.
extern const char* const kApplyCommand;
const uint32_t kApplyWritten = 0;
const uint32_t kApplyInterrupted = 4;
// apply's own refusals, after which nothing it was handed is written: its check, the registry.
const uint32_t kApplyRefused = 1;
const uint32_t kApplyRegistryRefused = 3;
// apply's status when a set no longer holds what the request expected of it: nothing written.
const uint32_t kApplyChangedSince = 6;

// What a host write came to: the result, and what the user is to be told once (ApplyWriteRequest's
// notes: a write found pending that was set aside or kept).
struct HostWriteOutcome {
    SetWriteResult result = SetWriteResult::kUnchanged;
    std::vector<std::string> notes;
};

// Makes request as one write: in this process, or where that is refused for want of rights, by
// the elevated helper, whose end the calling thread waits for. Saved: IsSaved (kWritten, or
// kInterrupted: committed, finished by the next writer; also when the helper ended after its
// commit). kDenied where neither road wrote for want of rights (the user declined the consent,
// the helper is missing or failed), else as ApplyWriteRequest's. The caller holds no writers'
// turn (the helper takes it).
HostWriteOutcome WriteAsHost(const WriteRequest& request);

// The host's rename and delete of a server profile: the profile's set moves to newName (unless
// that has a set of its own) or goes, as one write made as WriteAsHost makes it. The global
// configuration is never touched (see ProfileKeyPath). A write that is not saved leaves the set
// where it is and notes so for this user (ProfileNotes.h); the rename then returns false, so that
// the user can be told which set the renamed profile runs now. True otherwise.
bool RenameProfileKey(const CAppBase& app, const char* oldName, const char* newName);
void DeleteProfileKey(const CAppBase& app, const char* profileName);
