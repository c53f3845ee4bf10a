// The current shortcut service: the linked default until a test installs its own.
#include "platform/ShortcutReader.h"

namespace {
IShortcutReader* g_shortcutReader = nullptr;
}

IShortcutReader& GetShortcutReader() { return g_shortcutReader ? *g_shortcutReader : DefaultShortcutReader(); }

void SetShortcutReader(IShortcutReader* reader) { g_shortcutReader = reader; }
