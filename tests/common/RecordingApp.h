// An application object that records, in order, which profiles' sessions were told to reload.
#pragma once

#include <string>
#include <vector>

#include "config/AppBase.h"

class RecordingApp : public CAppBase {
public:
    void ReloadSessions(const char* profileName) override { m_reloads.push_back(profileName); }
    std::vector<std::string> m_reloads;
};
