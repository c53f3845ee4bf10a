// The current clock: the linked default until a test installs its own.
#include "platform/Clock.h"

namespace {
IClock* g_clock = nullptr;
}

IClock& GetClock() { return g_clock ? *g_clock : DefaultClock(); }

void SetClock(IClock* clock) { g_clock = clock; }
