// The module service in memory: the module file path and string table that a test gives it.
#pragma once

#include <map>
#include <string>

#include "platform/Module.h"

class MemoryModule : public IModule {
public:
    // Empty, like a module whose path the loader does not report, until SetFileName.
    std::string GetModuleFileName() override;
    // The text set for id, or empty when there is none.
    std::string LoadString(unsigned id) override;

    void SetFileName(const std::string& path);
    void SetString(unsigned id, const std::string& text);
    void SetStrings(const std::map<unsigned, std::string>& strings);
    void RemoveString(unsigned id);

private:
    std::string m_strFileName;
    std::map<unsigned, std::string> m_mapStrings;
};
