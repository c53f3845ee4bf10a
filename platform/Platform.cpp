// The current platform services: the linked defaults until a test installs its own.
#include "platform/Platform.h"

namespace {
IRegistry* g_registry = nullptr;
ILauncher* g_launcher = nullptr;
IModule* g_module = nullptr;
IUi* g_ui = nullptr;
}

IRegistry& GetRegistry() { return g_registry ? *g_registry : DefaultRegistry(); }
ILauncher& GetLauncher() { return g_launcher ? *g_launcher : DefaultLauncher(); }
IModule& GetModule() { return g_module ? *g_module : DefaultModule(); }
IUi& GetUi() { return g_ui ? *g_ui : DefaultUi(); }

void SetRegistry(IRegistry* registry) { g_registry = registry; }
void SetLauncher(ILauncher* launcher) { g_launcher = launcher; }
void SetModule(IModule* module) { g_module = module; }
void SetUi(IUi* ui) { g_ui = ui; }
