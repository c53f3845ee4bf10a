// The fall-back from a profile's own configuration to the global one.
#include "config/TweakSetSource.h"

#include <memory>

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "config/SetWrite.h"
#include "config/TweakConfig.h"

TweakSetSource FindTweakSetSource(const CTweakConfig& set, const ConfigurationTurn* turn) {
    std::unique_ptr<ConfigurationTurn> own;
    if (turn == nullptr) {
        own = std::make_unique<ConfigurationTurn>();
        turn = own.get();
    }
    TweakSetSource source;
    const CAppBase* app = AfxGetApp();
    for (int pass = 0; pass < 2; ++pass) {
        source.keyPath = set.GetKeyPath(pass);
        source.own = pass == 0 && !set.m_strProfile.empty();
        // Staged parts live only as long as the turn: none from a turn that ends here.
        source.staged = own ? nullptr : turn->StagedParts(source.keyPath);
        if (source.staged != nullptr) {
            source.count = KeyValueReader(source.staged).Dword("Count", -1);
        } else {
            source.count = app ? app->ReadRegDword(HKEY_USERS, source.keyPath.c_str(), "Count", -1) : -1;
        }
        if (source.count >= 0) break;
    }
    return source;
}
