// The current long-wait service: the linked default until a test installs its own.
#include "platform/WaitWindow.h"

namespace {
IWaitService* g_waitService = nullptr;
}

IWaitService& GetWaitService() { return g_waitService ? *g_waitService : DefaultWaitService(); }

void SetWaitService(IWaitService* service) { g_waitService = service; }
