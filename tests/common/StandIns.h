// Installs stand-ins of the platform services for the life of the object and then puts back the
// services that were there before, so that a test may also swap one of them for a while:
//
//     StandIns m_standIns{m_registry, m_launcher};   // a fixture's member, after the services
//     { StandIns swap{otherLauncher}; ... }            // m_launcher again after the block
#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/ShortcutReader.h"
#include "platform/WaitWindow.h"

class StandIns {
public:
    template <typename... Services>
    explicit StandIns(Services&... services) {
        (Install(services), ...);
    }
    ~StandIns() {
        if (m_ui) SetUi(Restored(m_ui, &DefaultUi()));
        if (m_module) SetModule(Restored(m_module, &DefaultModule()));
        if (m_launcher) SetLauncher(Restored(m_launcher, &DefaultLauncher()));
        if (m_registry) SetRegistry(Restored(m_registry, &DefaultRegistry()));
        if (m_files) SetFileSystem(Restored(m_files, &DefaultFileSystem()));
        if (m_clock) SetClock(Restored(m_clock, &DefaultClock()));
        if (m_waits) SetWaitService(Restored(m_waits, &DefaultWaitService()));
        if (m_shortcuts) SetShortcutReader(Restored(m_shortcuts, &DefaultShortcutReader()));
    }
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

private:
    // Each member holds the service that was installed before, once this object replaced it.
    void Install(IRegistry& registry) { m_registry = &GetRegistry(); SetRegistry(&registry); }
    void Install(ILauncher& launcher) { m_launcher = &GetLauncher(); SetLauncher(&launcher); }
    void Install(IModule& module) { m_module = &GetModule(); SetModule(&module); }
    void Install(IUi& ui) { m_ui = &GetUi(); SetUi(&ui); }
    void Install(IFileSystem& files) { m_files = &GetFileSystem(); SetFileSystem(&files); }
    void Install(IClock& clock) { m_clock = &GetClock(); SetClock(&clock); }
    void Install(IWaitService& waits) { m_waits = &GetWaitService(); SetWaitService(&waits); }
    void Install(IShortcutReader& shortcuts) { m_shortcuts = &GetShortcutReader(); SetShortcutReader(&shortcuts); }
    // The linked default goes back as null, the way the services were before any test.
    template <typename Service>
    static Service* Restored(Service* previous, Service* linkedDefault) {
        return previous == linkedDefault ? nullptr : previous;
    }

    IRegistry* m_registry = nullptr;
    ILauncher* m_launcher = nullptr;
    IModule* m_module = nullptr;
    IUi* m_ui = nullptr;
    IFileSystem* m_files = nullptr;
    IClock* m_clock = nullptr;
    IWaitService* m_waits = nullptr;
    IShortcutReader* m_shortcuts = nullptr;
};
