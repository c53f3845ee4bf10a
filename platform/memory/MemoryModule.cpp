// The module service in memory.
#include "platform/memory/MemoryModule.h"

#include "platform/Platform.h"

std::string MemoryModule::GetModuleFileName() { return m_strFileName; }

std::string MemoryModule::LoadString(unsigned id) {
    const auto it = m_mapStrings.find(id);
    return it == m_mapStrings.end() ? std::string() : it->second;
}

void MemoryModule::SetFileName(const std::string& path) { m_strFileName = path; }

void MemoryModule::SetString(unsigned id, const std::string& text) { m_mapStrings[id] = text; }

void MemoryModule::SetStrings(const std::map<unsigned, std::string>& strings) {
    m_mapStrings = strings;
}

void MemoryModule::RemoveString(unsigned id) { m_mapStrings.erase(id); }

IModule& DefaultModule() {
    static MemoryModule module;
    return module;
}
