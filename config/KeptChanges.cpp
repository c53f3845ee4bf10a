// Kept profile changes: folded, each with the parts of the set it moves, read again and written
// under the user's own lock.
#include "config/KeptChanges.h"

#include "config/AppBase.h"
#include "config/KeyPath.h"
#include "config/OpenKeys.h"
#include "config/ProfileKeys.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/RegistryNames.h"

const char* const kKeptChangesValue = "Profile Changes";

namespace {

// Held for one read and write of the value by another host of the user: a short wait is enough.
const uint32_t kKeptLockWaitMs = 5000;

// The user's lock on the kept changes: a file in the user's own folder, which no other user can
// open, so none can hold it; a host that ends holding it gives it back with its handles. A registry
// key offers no lock, and a named mutex a name that any user of the session could take first.
class KeptChangesLock {
public:
    KeptChangesLock() {
        const std::string folder = UserDataFolder();
        IFileSystem& files = GetFileSystem();
        if (!folder.empty() && files.CreateFolders(folder)) {
            m_lock = files.LockFile(folder + "\\Profile Changes.lock", kKeptLockWaitMs);
        }
    }
    ~KeptChangesLock() { GetFileSystem().UnlockFile(m_lock); }
    KeptChangesLock(const KeptChangesLock&) = delete;
    KeptChangesLock& operator=(const KeptChangesLock&) = delete;

    bool Held() const { return m_lock != nullptr; }

private:
    void* m_lock = nullptr;
};

bool SameBytes(const KeySnapshot& a, const KeySnapshot& b) {
    return a.exists == b.exists && KeySnapshotBytes(a) == KeySnapshotBytes(b);
}

bool SameStep(const WriteStep& a, const WriteStep& b) {
    return a.kind == b.kind && a.name == b.name && a.newName == b.newName && SameBytes(a.parts, b.parts);
}

bool SameProfile(const std::string& a, const std::string& b) {
    const std::string pathA = ProfileKeyPath(a.c_str()), pathB = ProfileKeyPath(b.c_str());
    return !pathA.empty() && IsSameKeyPath(pathA, pathB);
}

bool StoreKept(const WriteRequest& kept) {
    IRegistry& registry = GetRegistry();
    OpenKeys key(registry);
    if (registry.CreateKey(HKEY_CURRENT_USER, kUserKey, key.Out()) != ERROR_SUCCESS) return false;
    if (kept.steps.empty()) {
        const long error = registry.DeleteValue(key.Get(), kKeptChangesValue);
        return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
    }
    const std::vector<uint8_t> bytes = WriteRequestBytes(kept);
    return registry.SetValue(key.Get(), kKeptChangesValue, REG_BINARY, bytes.data(),
                             static_cast<uint32_t>(bytes.size())) == ERROR_SUCCESS;
}

// The kept rename that ends at name, or null.
WriteStep* RenameEndingAt(WriteRequest& kept, const std::string& name) {
    for (WriteStep& step : kept.steps) {
        if (step.kind == WriteStep::Kind::kRename && SameProfile(step.newName, name)) return &step;
    }
    return nullptr;
}

bool TakenAway(const WriteRequest& kept, const std::string& name) {
    for (const WriteStep& step : kept.steps) {
        if (SameProfile(step.name, name)) return true;
    }
    return false;
}

// Whether the profile's set holds exactly parts (none: no set of its own).
bool Holds(const std::string& profileName, const KeySnapshot& parts) {
    const std::string path = ProfileKeyPath(profileName.c_str());
    KeySnapshot now;
    return !path.empty() && ReadStoredParts(path, &now) && SameBytes(now, parts);
}

// Whether the next write makes the kept step as it stands now: its set still holds the parts
// kept, and a rename's new name has no set of its own.
bool WillBeMade(const WriteStep& step) {
    if (!Holds(step.name, step.parts)) return false;
    if (step.kind != WriteStep::Kind::kRename) return true;
    const std::string target = ProfileKeyPath(step.newName.c_str());
    KeySnapshot there;
    return !target.empty() && ReadStoredParts(target, &there) && !there.exists;
}

}  // namespace

WriteRequest KeptProfileChanges() {
    WriteRequest kept;
    IRegistry& registry = GetRegistry();
    std::vector<uint8_t> bytes;
    {
        OpenKeys key(registry);
        if (registry.OpenKey(HKEY_CURRENT_USER, kUserKey, key.Out()) != ERROR_SUCCESS) return kept;
        uint32_t type = 0, size = 0;
        if (registry.QueryValue(key.Get(), kKeptChangesValue, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
            bytes.resize(size);
            if (registry.QueryValue(key.Get(), kKeptChangesValue, &type, bytes.data(), &size) != ERROR_SUCCESS) size = 0;
            bytes.resize(size);
        }
    }
    // Only profile changes are kept; anything else in the value is no change of the host's.
    WriteRequest read;
    if (!bytes.empty() && ReadWriteRequest(bytes, &read)) {
        for (WriteStep& step : read.steps) {
            if (step.kind != WriteStep::Kind::kStore) kept.steps.push_back(std::move(step));
        }
    }
    return kept;
}

bool KeepProfileChange(const WriteStep& step) {
    // Without the lock the value is not written: another host's change could be lost unseen.
    const KeptChangesLock lock;
    if (!lock.Held()) return false;
    WriteRequest kept = KeptProfileChanges();
    if (WriteStep* chain = RenameEndingAt(kept, step.name)) {
        // The set that reaches step.name came from chain->name: the step moves that one.
        if (step.kind == WriteStep::Kind::kDelete) {
            chain->kind = WriteStep::Kind::kDelete;
            chain->newName.clear();
        } else if (SameProfile(chain->name, step.newName)) {
            kept.steps.erase(kept.steps.begin() + (chain - kept.steps.data()));
        } else {
            chain->newName = step.newName;
        }
        return StoreKept(kept);
    }
    if (TakenAway(kept, step.name)) return true;
    // The set as it is stored: nothing kept touches it.
    WriteStep added = step;
    const std::string path = ProfileKeyPath(step.name.c_str());
    if (path.empty() || !ReadStoredParts(path, &added.parts) || !added.parts.exists) return true;
    if (step.kind == WriteStep::Kind::kRename) {
        // A profile that has a set of its own takes none from a rename.
        const std::string target = ProfileKeyPath(step.newName.c_str());
        KeySnapshot there;
        if (target.empty() || IsSameKeyPath(target, path) || !ReadStoredParts(target, &there) || there.exists) return true;
    }
    kept.steps.push_back(std::move(added));
    return StoreKept(kept);
}

bool ForgetKeptProfileChanges(const WriteRequest& made) {
    const KeptChangesLock lock;
    if (!lock.Held()) return false;
    WriteRequest now = KeptProfileChanges();
    WriteRequest left;
    bool changed = false;
    for (const WriteStep& step : now.steps) {
        bool done = false;
        for (const WriteStep& old : made.steps) done = done || SameStep(step, old);
        changed = changed || done;
        if (done) continue;
        // Another host folded its change onto a rename this write made (A -> B made, A -> C kept
        // meanwhile): the set is at B now, so the step goes on from there (B -> C).
        WriteStep rest = step;
        for (const WriteStep& old : made.steps) {
            const bool moved = old.kind == WriteStep::Kind::kRename && SameProfile(old.name, step.name) &&
                               SameBytes(old.parts, step.parts);
            if (moved && Holds(old.newName, step.parts)) rest.name = old.newName;
        }
        changed = changed || rest.name != step.name;
        if (rest.kind == WriteStep::Kind::kRename && SameProfile(rest.name, rest.newName)) continue;
        left.steps.push_back(std::move(rest));
    }
    return !changed || StoreKept(left);
}

std::string KeptSetKeyPath(const std::string& profileName, bool* found) {
    *found = false;
    if (profileName.empty()) return std::string();
    WriteRequest kept = KeptProfileChanges();
    if (kept.steps.empty()) return std::string();
    if (const WriteStep* chain = RenameEndingAt(kept, profileName)) {
        if (WillBeMade(*chain)) {
            *found = true;
            return ProfileKeyPath(chain->name.c_str());
        }
    }
    for (const WriteStep& step : kept.steps) {
        if (SameProfile(step.name, profileName) && WillBeMade(step)) {
            *found = true;
            return std::string();
        }
    }
    return std::string();
}
