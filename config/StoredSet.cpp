// The tweak list's save: replace the stored set as one write.
#include "config/StoredSet.h"

#include <mutex>

#include "config/AppBase.h"
#include "config/HostWrite.h"
#include "config/SetParts.h"
#include "config/TweakConfig.h"
#include "config/TweakInfo.h"

namespace {

// What is stored must run as the record would: filters whose text would reload as other filters
// (a trailing blank, an empty item) are no save.
bool ReloadsAsItIs(const CTweakConfig& config) {
    std::lock_guard<std::mutex> guard(config.m_lock);
    for (const CTweakInfo* tweak : config.m_arrTweaks) {
        if (tweak != nullptr && !FiltersReloadAsThey(*tweak)) return false;
    }
    return true;
}

// Stores the sets with write, unless one of them would not reload as it is; then the sessions get
// what is stored, whatever the write achieved, outside the configuration's turn, which each
// reload takes anew.
template <typename Write>
SetWriteResult StoreSets(const std::vector<const CTweakConfig*>& sets, Write write) {
    CAppBase* app = AfxGetApp();
    if (app == nullptr) return SetWriteResult::kUnchanged;
    for (const CTweakConfig* config : sets) {
        if (!ReloadsAsItIs(*config)) return SetWriteResult::kUnchanged;
    }
    const SetWriteResult result = write();
    for (const CTweakConfig* config : sets) app->ReloadSessions(config->m_strProfile.c_str());
    return result;
}

}  // namespace

SetWriteResult ReplaceStoredSets(const std::vector<const CTweakConfig*>& sets) {
    return StoreSets(sets, [&] {
        std::vector<SetChange> changes;
        for (const CTweakConfig* config : sets) changes.push_back({config->GetKeyPath(0), true, SetPartsOf(*config)});
        return WriteStoredSets(changes);
    });
}

SetWriteResult ReplaceStoredSet(const CTweakConfig& config) { return ReplaceStoredSets({&config}); }

SetWriteResult SaveStoredSet(const CTweakConfig& config, std::vector<std::string>* notes, const KeySnapshot* loaded,
                             const std::string& takenFrom, const KeySnapshot& takenParts) {
    return SaveStoredSets({&config}, notes, loaded, takenFrom, takenParts);
}

SetWriteResult SaveStoredSets(const std::vector<const CTweakConfig*>& sets, std::vector<std::string>* notes,
                              const KeySnapshot* loaded, const std::string& takenFrom,
                              const KeySnapshot& takenParts) {
    return StoreSets(sets, [&] {
        WriteRequest request;
        for (const CTweakConfig* config : sets) {
            WriteStep step;
            step.keyPath = config->GetKeyPath(0);
            if (!IsSetKeyPath(step.keyPath)) return SetWriteResult::kUnchanged;
            step.parts = SetPartsOf(*config);
            step.checked = loaded != nullptr && sets.size() == 1;
            if (step.checked) step.before = *loaded;
            request.steps.push_back(std::move(step));
        }
        if (!takenFrom.empty()) {
            WriteStep remove;
            remove.kind = WriteStep::Kind::kDelete;
            remove.name = takenFrom;
            remove.checked = true;
            remove.before = takenParts;
            request.steps.push_back(std::move(remove));
        }
        HostWriteOutcome outcome = WriteAsHost(request);
        if (notes) *notes = std::move(outcome.notes);
        return outcome.result;
    });
}

bool LoadReplaceable(CTweakConfig& config, KeySnapshot* loaded) {
    // The tweaks and the parts from one state of the store: read again when a write landed between.
    bool read = false;
    return ReadConsistently([&](const ConfigurationView& view) {
        if (!config.Load()) return false;
        *loaded = KeySnapshot();
        read = ReadStoredSetParts(view, config.GetKeyPath(0), loaded);
        return true;
    }) && read;
}
