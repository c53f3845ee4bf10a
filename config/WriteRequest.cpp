// The write request's layout and its steps.
#include "config/WriteRequest.h"

#include <cstdio>

#include "config/ProfileKeys.h"
#include "config/SetParts.h"

namespace {

// Layout: the top key holds kMark; its subkeys "000", "001", ... are the steps in their order,
// each with "Do" (the kind), its names, and for a store "Key" and the subkey "Set".
const char* const kMark = "ZTTrevanel Write Request";
const char* const kDo = "Do";
const char* const kKey = "Key";
const char* const kName = "Name";
const char* const kNewName = "New Name";
const char* const kSet = "Set";
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
        {
            // "Checked" 1 with a "Before" that existed, "Checked" 0 for a set that was not there.
            uint32_t existed = 0;
            step->checked = Find(key, kChecked) != nullptr;
            if (step->checked && (!ReadDword(key, kChecked, &existed) || existed > 1)) return false;
            const size_t subkeys = 1 + (existed == 1 ? 1 : 0);
            if (key.subkeys.size() != subkeys || (subkeys == 2 && key.subkeys[1].first != kBefore)) return false;
            if (subkeys == 2) step->before = key.subkeys[1].second;
            step->before.exists = subkeys == 2;
        }
        return true;
    case WriteStep::Kind::kRename:
        return ReadText(key, kName, &step->name) && ReadText(key, kNewName, &step->newName);
    case WriteStep::Kind::kDelete:
        return ReadText(key, kName, &step->name);
    }
    return false;
}

// Whether the set at step's key still holds what step expects, under turn: kWritten when it does.
SetWriteResult StillStored(const ConfigurationTurn& turn, const WriteStep& step) {
    KeySnapshot now;
    if (!ReadStoredSetParts(turn, step.keyPath, &now)) return SetWriteResult::kUnchanged;
    return IsSameSetParts(now, step.before) ? SetWriteResult::kWritten : SetWriteResult::kChangedSince;
}

}  // namespace

std::vector<uint8_t> WriteRequestBytes(const WriteRequest& request) {
    KeySnapshot top;
    top.exists = true;
    top.values.push_back(DwordValue(kMark, 1));
    for (size_t i = 0; i < request.steps.size(); ++i) {
        const WriteStep& step = request.steps[i];
        KeySnapshot key;
        key.exists = true;
        key.values.push_back(DwordValue(kDo, static_cast<uint32_t>(step.kind)));
        if (step.kind == WriteStep::Kind::kStore) {
            key.values.push_back(TextValue(kKey, step.keyPath));
            key.subkeys.emplace_back(kSet, step.parts);
            if (step.checked) {
                key.values.push_back(DwordValue(kChecked, step.before.exists ? 1 : 0));
                if (step.before.exists) key.subkeys.emplace_back(kBefore, step.before);
            }
        } else {
            key.values.push_back(TextValue(kName, step.name));
            if (step.kind == WriteStep::Kind::kRename) key.values.push_back(TextValue(kNewName, step.newName));
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
    for (size_t i = 0; i < top.subkeys.size(); ++i) {
        WriteStep step;
        if (top.subkeys[i].first != StepName(i) || !ReadStep(top.subkeys[i].second, &step)) return false;
        read.steps.push_back(std::move(step));
    }
    *request = std::move(read);
    return true;
}

SetWriteResult ApplyWriteRequest(const WriteRequest& request) {
    const ConfigurationTurn turn;
    if (!turn.Held()) return SetWriteResult::kUnchanged;
    for (const WriteStep& step : request.steps) {
        SetWriteResult result = SetWriteResult::kWritten;
        switch (step.kind) {
        case WriteStep::Kind::kStore:
            result = step.checked ? StillStored(turn, step) : SetWriteResult::kWritten;
            if (result == SetWriteResult::kWritten) result = WriteStoredSets({{step.keyPath, true, step.parts}});
            break;
        case WriteStep::Kind::kRename: result = RenameStoredSet(step.name.c_str(), step.newName.c_str()); break;
        case WriteStep::Kind::kDelete: result = DeleteStoredSet(step.name.c_str()); break;
        }
        if (result != SetWriteResult::kWritten) return result;
    }
    return SetWriteResult::kWritten;
}
