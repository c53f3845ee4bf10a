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

SetWriteResult SaveStoredSet(const CTweakConfig& config, const KeySnapshot* loaded) {
    return StoreSets({&config}, [&] {
        WriteStep step;
        step.keyPath = config.GetKeyPath(0);
        step.parts = SetPartsOf(config);
        step.checked = loaded != nullptr;
        if (loaded != nullptr) step.before = *loaded;
        return IsSetKeyPath(step.keyPath) ? WriteAsHost({{step}}) : SetWriteResult::kUnchanged;
    });
}

bool LoadReplaceable(CTweakConfig& config, KeySnapshot* loaded) {
    const ConfigurationTurn turn;
    config.Load();
    return turn.Held() && ReadStoredSetParts(turn, config.GetKeyPath(0), loaded);
}
