// The write request's layout and its steps.
#include "config/WriteRequest.h"

#include <algorithm>
#include <cstdio>

#include "config/KeyPath.h"
#include "config/ProfileKeys.h"
#include "config/SetParts.h"
#include "platform/RegistryNames.h"

namespace {

// Layout: the top key holds kMark; its subkeys "000", "001", ... are the steps in their order,
// each with "Do" (the kind), its names, and for a store "Key" and the subkey "Set".
const char* const kMark = "ZTTrevanel Write Request";
const char* const kDo = "Do";
const char* const kKey = "Key";
const char* const kName = "Name";
const char* const kNewName = "New Name";
const char* const kSet = "Set";
const char* const kId = "Id";
const char* const kChecked = "Checked";
const char* const kBefore = "Before";

const KeySnapshot::Value* Find(const KeySnapshot& key, const char* name) {
    for (const KeySnapshot::Value& value : key.values) {
        if (value.name == name) return &value;
    }
    return nullptr;
}

bool ReadDword(const KeySnapshot& key, const char* name, uint32_t* number) {
    const KeySnapshot::Value* value = Find(key, name);
    if (value == nullptr || value->type != REG_DWORD || value->data.size() != 4) return false;
    *number = uint32_t(value->data[0]) | uint32_t(value->data[1]) << 8 | uint32_t(value->data[2]) << 16 |
              uint32_t(value->data[3]) << 24;
    return true;
}

// A text of exactly one terminating zero.
bool ReadText(const KeySnapshot& key, const char* name, std::string* text) {
    const KeySnapshot::Value* value = Find(key, name);
    if (value == nullptr || value->type != REG_SZ || value->data.empty() || value->data.back() != 0) return false;
    text->assign(value->data.begin(), value->data.end() - 1);
    return text->find('\0') == std::string::npos;
}

std::string StepName(size_t index) {
    char name[16];
    std::snprintf(name, sizeof name, "%03u", static_cast<unsigned>(index));
    return name;
}

// "Checked" 1 with a "Before" that existed, "Checked" 0 for a set that was not there; the step's
// own subkeys (a store's "Set", own of them) come first.
bool ReadChecked(const KeySnapshot& key, size_t own, WriteStep* step) {
    uint32_t existed = 0;
    step->checked = Find(key, kChecked) != nullptr;
    if (step->checked && (!ReadDword(key, kChecked, &existed) || existed > 1)) return false;
    const size_t subkeys = own + (existed == 1 ? 1 : 0);
    if (key.subkeys.size() != subkeys || (subkeys > own && key.subkeys[own].first != kBefore)) return false;
    if (subkeys > own) step->before = key.subkeys[own].second;
    step->before.exists = subkeys > own;
    return true;
}

bool ReadStep(const KeySnapshot& key, WriteStep* step) {
    uint32_t kind = 0;
    if (!ReadDword(key, kDo, &kind)) return false;
    step->kind = static_cast<WriteStep::Kind>(kind);
    switch (step->kind) {
    case WriteStep::Kind::kStore:
        if (!ReadText(key, kKey, &step->keyPath) || !IsSetKeyPath(step->keyPath)) return false;
        if (key.subkeys.empty() || key.subkeys[0].first != kSet) return false;
        step->parts = key.subkeys[0].second;
        step->parts.exists = true;
        return ReadChecked(key, 1, step);
    case WriteStep::Kind::kRename:
    case WriteStep::Kind::kDelete:
        if (!ReadText(key, kName, &step->name)) return false;
        if (step->kind == WriteStep::Kind::kRename && !ReadText(key, kNewName, &step->newName)) return false;
        return ReadChecked(key, 0, step);
    }
    return false;
}

// The key with its values and subkeys (all the way down) in name order: the registry lists
// subkeys so ("Tweak 100" before "Tweak 11"), and Wine values too, where a set's parts list them
// as they are stored.
KeySnapshot InNameOrder(KeySnapshot key) {
    std::stable_sort(key.values.begin(), key.values.end(), [](const KeySnapshot::Value& a, const KeySnapshot::Value& b) {
        return CompareRegistryNames(a.name, b.name) < 0;
    });
    for (auto& subkey : key.subkeys) subkey.second = InNameOrder(std::move(subkey.second));
    std::stable_sort(key.subkeys.begin(), key.subkeys.end(), [](const auto& a, const auto& b) {
        return CompareRegistryNames(a.first, b.first) < 0;
    });
    return key;
}

bool SameParts(const KeySnapshot& a, const KeySnapshot& b) {
    return a.exists == b.exists && KeySnapshotBytes(a) == KeySnapshotBytes(b);
}

}  // namespace

std::vector<uint8_t> WriteRequestBytes(const WriteRequest& request) {
    KeySnapshot top;
    top.exists = true;
    top.values.push_back(DwordValue(kMark, 1));
    if (!request.id.empty()) top.values.push_back(TextValue(kId, request.id));
    for (size_t i = 0; i < request.steps.size(); ++i) {
        const WriteStep& step = request.steps[i];
        KeySnapshot key;
        key.exists = true;
        key.values.push_back(DwordValue(kDo, static_cast<uint32_t>(step.kind)));
        if (step.kind == WriteStep::Kind::kStore) {
            key.values.push_back(TextValue(kKey, step.keyPath));
            key.subkeys.emplace_back(kSet, step.parts);
        } else {
            key.values.push_back(TextValue(kName, step.name));
            if (step.kind == WriteStep::Kind::kRename) key.values.push_back(TextValue(kNewName, step.newName));
        }
        if (step.checked) {
            key.values.push_back(DwordValue(kChecked, step.before.exists ? 1 : 0));
            if (step.before.exists) key.subkeys.emplace_back(kBefore, step.before);
        }
        top.subkeys.emplace_back(StepName(i), std::move(key));
    }
    return KeySnapshotBytes(top);
}

bool ReadWriteRequest(const std::vector<uint8_t>& bytes, WriteRequest* request) {
    *request = WriteRequest();
    KeySnapshot top;
    uint32_t mark = 0;
    if (!ReadKeySnapshotBytes(bytes, &top) || !ReadDword(top, kMark, &mark) || mark != 1) return false;
    WriteRequest read;
    if (Find(top, kId) != nullptr && !ReadText(top, kId, &read.id)) return false;
    for (size_t i = 0; i < top.subkeys.size(); ++i) {
        WriteStep step;
        if (top.subkeys[i].first != StepName(i) || !ReadStep(top.subkeys[i].second, &step)) return false;
        read.steps.push_back(std::move(step));
    }
    *request = std::move(read);
    return true;
}

const char* const kSetAsideWriteNote =
    "A committed write of the configuration that is no write of this add-on (changed after it was made) was set "
    "aside as \"Set Aside Write\"; the sets keep what they held. An administrator removes it with "
    "ZTTrevanelCtl finish --discard.";
const char* const kUnreadableWriteNote =
    "A committed write of the configuration could not be read now (the registry answered an error); it is kept, "
    "and nothing was changed. ZTTrevanelCtl finish puts it in place once the registry answers.";
const char* const kNewerWriteNote =
    "A committed write of the configuration was made by a newer version of the add-on; it is left alone, and "
    "nothing was changed. That version's ZTTrevanelCtl finish puts it in place.";

void AddTurnNotes(const ConfigurationTurn& turn, std::vector<std::string>* notes) {
    if (notes == nullptr) return;
    if (turn.SetAsideMalformed()) notes->push_back(kSetAsideWriteNote);
    if (turn.PendingUnreadable()) notes->push_back(kUnreadableWriteNote);
    if (turn.PendingNewer()) notes->push_back(kNewerWriteNote);
}

SetWriteResult FindRequestOutcome(const WriteRequest& request) {
    if (IsWritePending(request.id)) return SetWriteResult::kInterrupted;
    bool holds = false;
    const bool read = ReadConsistently([&](const ConfigurationView& view) {
        holds = true;
        for (const WriteStep& step : request.steps) {
            KeySnapshot at, to;
            const std::string from = step.kind == WriteStep::Kind::kStore ? step.keyPath : ProfileKeyPath(step.name.c_str());
            if (from.empty()) continue;
            if (!ReadStoredSetParts(view, from, &at)) return false;
            if (step.kind == WriteStep::Kind::kStore) {
                holds = holds && SameParts(InNameOrder(at), InNameOrder(step.parts));
            } else if (step.kind == WriteStep::Kind::kDelete) {
                holds = holds && !at.exists;
            } else {
                // A rename onto a name with a set of its own moves nothing, and is done so.
                const std::string target = ProfileKeyPath(step.newName.c_str());
                if (!target.empty() && !ReadStoredSetParts(view, target, &to)) return false;
                holds = holds && (!at.exists || to.exists);
            }
        }
        return true;
    });
    return read && holds ? SetWriteResult::kWritten : SetWriteResult::kUnchanged;
}

SetWriteResult ApplyWriteRequest(const WriteRequest& request, std::vector<std::string>* notes) {
    const ConfigurationTurn turn;
    AddTurnNotes(turn, notes);
    if (!turn.Settled()) return turn.Failure();
    // Read under the turn and written unchanged: no other writer comes between.
    std::vector<SetChange> all;
    const SetPartsReader read = [&](const std::string& keyPath, KeySnapshot* parts) {
        for (auto change = all.rbegin(); change != all.rend(); ++change) {
            if (!IsSameKeyPath(change->keyPath, keyPath)) continue;
            *parts = change->store ? change->parts : KeySnapshot();
            return true;
        }
        return ReadStoredParts(keyPath, parts);
    };
    for (const WriteStep& step : request.steps) {
        // The tweak list replaces, and removes, only the set it loaded: checked here, under the turn.
        const std::string checked = step.kind == WriteStep::Kind::kStore ? step.keyPath : ProfileKeyPath(step.name.c_str());
        KeySnapshot now;
        if (step.checked && !checked.empty() && !read(checked, &now)) return SetWriteResult::kUnchanged;
        if (step.checked && !SameParts(now, step.before)) return SetWriteResult::kChangedSince;
        if (step.kind == WriteStep::Kind::kStore) {
            all.push_back({step.keyPath, true, step.parts});
            continue;
        }
        std::vector<SetChange> changes;
        const bool found = step.kind == WriteStep::Kind::kRename
                               ? ProfileRenameChanges(step.name.c_str(), step.newName.c_str(), read, &changes)
                               : ProfileDeleteChanges(step.name.c_str(), read, &changes);
        if (!found) return SetWriteResult::kUnchanged;
        all.insert(all.end(), changes.begin(), changes.end());
    }
    return all.empty() ? SetWriteResult::kWritten : WriteStoredSets(all, request.id);
}
