// The fall-back from a profile's own configuration to the global one.
#include "config/TweakSetSource.h"

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "config/SetWrite.h"
#include "config/TweakConfig.h"

TweakSetSource FindTweakSetSource(const CTweakConfig& set, const ConfigurationView* view) {
    TweakSetSource source;
    const CAppBase* app = AfxGetApp();
    for (int pass = 0; pass < 2; ++pass) {
        source.keyPath = set.GetKeyPath(pass);
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
