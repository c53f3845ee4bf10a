// The fall-back from a profile's own configuration to the global one.
#include "config/TweakSetSource.h"

#include "config/AppBase.h"
#include "config/KeptChanges.h"
#include "config/RegistryValues.h"
#include "config/SetWrite.h"
#include "config/TweakConfig.h"

TweakSetSource FindTweakSetSource(const CTweakConfig& set, const ConfigurationView* view) {
    TweakSetSource source;
    const CAppBase* app = AfxGetApp();
    // This user's sessions read as if the profile changes kept for them were made.
    bool kept = false;
    const std::string keptPath = KeptSetKeyPath(set.m_strProfile, &kept);
    for (int pass = kept && keptPath.empty() ? 1 : 0; pass < 2; ++pass) {
        source.keyPath = pass == 0 && kept ? keptPath : set.GetKeyPath(pass);
        source.own = pass == 0 && !set.m_strProfile.empty();
        source.staged = view ? view->StagedParts(source.keyPath) : nullptr;
        if (source.staged != nullptr) {
            source.count = KeyValueReader(source.staged).Dword("Count", -1);
        } else if (app != nullptr) {
            KeyValueReader reader(HKEY_USERS, source.keyPath.c_str());
            source.count = reader.Dword("Count", -1);
            source.readable = !reader.Failed();
        } else {
            source.count = -1;
        }
        if (source.count >= 0 || !source.readable) break;
    }
    return source;
}
