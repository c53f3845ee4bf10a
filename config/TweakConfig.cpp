// The tweak set of a profile or of the global configuration: its key, load with fall-back, save.
#include "config/TweakConfig.h"

#include <cstdio>
#include <memory>

#include "config/AppBase.h"
#include "config/KeySnapshot.h"
#include "config/RegistryValues.h"
#include "config/SetParts.h"
#include "config/SetWrite.h"
#include "config/TweakInfo.h"
#include "config/TweakSetSource.h"

namespace {

const char* const kGlobalConfiguration = "Configurations\\ZTTrevanelAddon Global Configuration";

}  // namespace

// The records that left the list while snapshots may still read them; deleted with the last.
class CTweakConfig::Records {
public:
    ~Records() {
        for (CTweakInfo* record : m_retired) delete record;
    }
    std::vector<CTweakInfo*> m_retired;
};

std::string TweakKeyName(size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "Tweak %02d", static_cast<int>(index));
    return name;
}

CTweakConfig::CTweakConfig(const char* profile)
    : m_strProfile(profile ? profile : ""), m_records(std::make_shared<Records>()) {}

CTweakConfig::~CTweakConfig() {
    // No allocation here: the records go with the owner of the last snapshot, or now.
    m_records->m_retired.swap(m_arrTweaks);
}

std::string CTweakConfig::GetKeyPath(int bGlobal) const {
    const std::string relative = (m_strProfile.empty() || bGlobal != 0)
                                     ? std::string(kGlobalConfiguration)
                                     : "Configurations\\" + m_strProfile;
    const CAppBase* app = AfxGetApp();
    return app ? app->GetRegistryPath(relative) : kConfigRoot + relative;
}

bool CTweakConfig::Load() {
    // The records are read into a list of their own, so that the set's list changes, under the
    // lock, only in one step; until then they are owned here, so that a failed allocation
    // anywhere in between loses none.
    std::vector<std::unique_ptr<CTweakInfo>> loaded;
    // No lock: the set is read again when a write changed what a reader sees while it read. Where
    // writes kept landing the records stay as they were: never a set mixed from two writes.
    const bool read = ReadConsistently([&](const ConfigurationView& view) {
        loaded.clear();
        const TweakSetSource source = FindTweakSetSource(*this, &view);
        if (!source.readable) return false;
        const int32_t count = source.count > kMaxTweaks ? kMaxTweaks : source.count;
        if (count > 0) loaded.reserve(static_cast<size_t>(count));
        for (int32_t j = 0; j < count; ++j) {
            loaded.push_back(std::make_unique<CTweakInfo>());
            const std::string name = TweakKeyName(static_cast<size_t>(j));
            if (source.staged != nullptr) {
                KeyValueReader reader(StagedSubkey(*source.staged, name));
                LoadTweakValues(*loaded.back(), reader);
            } else if (!loaded.back()->Load(source.keyPath + "\\" + name)) {
                // An error read as a default would run what nobody saved.
                return false;
            }
        }
        return true;
    });
    if (!read) return false;
    std::vector<CTweakInfo*> records;
    records.reserve(loaded.size());
    for (std::unique_ptr<CTweakInfo>& record : loaded) records.push_back(record.release());
    ReplaceRecords(std::move(records));
    return true;
}

void CTweakConfig::ReplaceRecords(std::vector<CTweakInfo*> records) {
    // Allocated before anything changes, so that a failed allocation leaves the list as it was
    // and loses none of the new records.
    std::shared_ptr<Records> next;
    try {
        next = std::make_shared<Records>();
    } catch (...) {
        for (CTweakInfo* record : records) delete record;
        throw;
    }
    std::shared_ptr<Records> retired;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_arrTweaks.swap(records);
        retired = std::move(m_records);
        m_records = std::move(next);
        // Cannot fail: the vector's storage moves as a whole.
        retired->m_retired = std::move(records);
    }
    // The records go here, outside the lock, unless a run still holds them.
}

CTweakConfig::Snapshot CTweakConfig::TakeSnapshot() const {
    Snapshot snapshot;
    std::lock_guard<std::mutex> guard(m_lock);
    snapshot.tweaks.assign(m_arrTweaks.begin(), m_arrTweaks.end());
    snapshot.keepAlive = m_records;
    return snapshot;
}

void CTweakConfig::Save() {
    CAppBase* app = AfxGetApp();
    if (app == nullptr) return;
    // The writers' road, which every write of the store takes: readers in any process find the set
    // as it was or as saved, never half of it, and no writer's journal is written across.
    WriteStoredSets({{GetKeyPath(0), true, SetPartsOf(*this)}});
    // Whatever the write achieved: a reload may reach this very set.
    app->ReloadSessions(m_strProfile.c_str());
}

void CTweakConfig::RemoveAll() { ReplaceRecords({}); }
