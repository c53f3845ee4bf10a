// The tweak list's save: replace the stored set as one write.
#include "config/StoredSet.h"

#include <mutex>

#include "config/AppBase.h"
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

}  // namespace

SetWriteResult ReplaceStoredSets(const std::vector<const CTweakConfig*>& sets) {
    CAppBase* app = AfxGetApp();
    if (app == nullptr) return SetWriteResult::kUnchanged;
    std::vector<SetChange> changes;
    for (const CTweakConfig* config : sets) {
        if (!ReloadsAsItIs(*config)) return SetWriteResult::kUnchanged;
        changes.push_back({config->GetKeyPath(0), true, SetPartsOf(*config)});
    }
    const SetWriteResult result = WriteStoredSets(changes);
    // Whatever the write achieved, the sessions get what is stored; outside the configuration's
    // turn, which each reload takes anew.
    for (const CTweakConfig* config : sets) app->ReloadSessions(config->m_strProfile.c_str());
    return result;
}

SetWriteResult ReplaceStoredSet(const CTweakConfig& config) { return ReplaceStoredSets({&config}); }
