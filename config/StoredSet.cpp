// The tweak list's save: replace the stored set as one write.
#include "config/StoredSet.h"

#include "config/AppBase.h"
#include "config/SetParts.h"
#include "config/TweakConfig.h"

SetWriteResult ReplaceStoredSets(const std::vector<const CTweakConfig*>& sets) {
    CAppBase* app = AfxGetApp();
    if (app == nullptr) return SetWriteResult::kUnchanged;
    std::vector<SetChange> changes;
    for (const CTweakConfig* config : sets) changes.push_back({config->GetKeyPath(0), true, SetPartsOf(*config)});
    const SetWriteResult result = WriteStoredSets(changes);
    // Whatever the write achieved, the sessions get what is stored; outside the configuration's
    // turn, which each reload takes anew.
    for (const CTweakConfig* config : sets) app->ReloadSessions(config->m_strProfile.c_str());
    return result;
}

SetWriteResult ReplaceStoredSet(const CTweakConfig& config) { return ReplaceStoredSets({&config}); }
