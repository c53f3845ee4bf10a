// A write of the configuration held as data: the steps that the tweak list's save and the host's
// profile rename and delete ask for, in their order. It is what the host hands to the elevated
// ZTTrevanelCtl when the registry refuses the host's own write, and how a profile change that
// could not be made waits for the next write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/KeySnapshot.h"
#include "config/SetWrite.h"

struct WriteStep {
    enum class Kind : uint32_t { kStore = 1, kRename = 2, kDelete = 3 };
    Kind kind = Kind::kStore;
    std::string keyPath;  // kStore: the set key below HKEY_USERS (IsSetKeyPath)
    KeySnapshot parts;    // kStore: the set's parts, as SetPartsOf gives them
    std::string name;     // kRename: the old profile name; kDelete: the profile's name
    std::string newName;  // kRename: the new profile name
    // kStore with checked: made only where the set still holds before, as ReadStoredSetParts
    // finds it under the configuration's turn (a set that was not there: before does not exist);
    // else no step of the request is made from here on, and the result is kChangedSince.
    bool checked = false;
    KeySnapshot before;
};

struct WriteRequest {
    std::vector<WriteStep> steps;
};

// The request as bytes (a KeySnapshot's), and back. False, *request empty, for bytes that are no
// whole request: another layout, an unknown step, a store whose key cannot hold a set.
std::vector<uint8_t> WriteRequestBytes(const WriteRequest& request);
bool ReadWriteRequest(const std::vector<uint8_t>& bytes, WriteRequest* request);

// Makes the steps in their order, each as one write (WriteStoredSets), holding the
// configuration's turn throughout, so that a rename finds the sets as the steps before it left
// them. A rename or delete that finds nothing to move or remove is done. Stops at the first step
// that is not written and returns its result; kWritten when every step is. Sessions are not told.
SetWriteResult ApplyWriteRequest(const WriteRequest& request);
