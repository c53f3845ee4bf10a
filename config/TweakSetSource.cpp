// The fall-back from a profile's own configuration to the global one.
#include "config/TweakSetSource.h"

#include "config/AppBase.h"
#include "config/TweakConfig.h"

TweakSetSource FindTweakSetSource(const CTweakConfig& set) {
    TweakSetSource source;
    const CAppBase* app = AfxGetApp();
    for (int pass = 0; pass < 2; ++pass) {
        source.keyPath = set.GetKeyPath(pass);
        source.own = pass == 0 && !set.m_strProfile.empty();
        source.count = app ? app->ReadRegDword(HKEY_USERS, source.keyPath.c_str(), "Count", -1) : -1;
        if (source.count >= 0) break;
    }
    return source;
}
