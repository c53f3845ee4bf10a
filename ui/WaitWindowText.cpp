// Filling the long-wait window's strings.
#include "ui/WaitWindowText.h"

#include <cstdio>

#include "platform/AnsiText.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "ui/StringInsert.h"
#include "ui/resource.h"

namespace {

std::string Duration(uint64_t seconds) {
    char text[32];
    const unsigned long long s = seconds % 60, m = seconds / 60 % 60, h = seconds / 3600;
    if (h > 0) {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", h, m, s);
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu", m, s);
    }
    return text;
}

// The tweak's line has room for two lines: a long name keeps its start and an ellipsis, so that the
// end of the sentence ("... bis es beendet ist.") stays in view. Cut at a character, not a byte.
std::string ShownName(const std::string& name) {
    const size_t kMostCharacters = 48;
    const std::u16string wide = AnsiTextToUtf16(name);
    if (wide.size() <= kMostCharacters) return name;
    // Never half of a surrogate pair (a UTF-8 code page holds characters beyond them).
    const auto start = [&wide](size_t keep) {
        return wide.substr(0, keep - (wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF ? 1 : 0));
    };
    std::string shown;
    if (!Utf16ToAnsiText(start(kMostCharacters - 1) + u"\u2026", &shown, nullptr) &&
        !Utf16ToAnsiText(start(kMostCharacters - 3) + u"...", &shown, nullptr)) {
        return name;
    }
    return shown;
}

}  // namespace

WaitWindowText MakeWaitWindowText(const std::string& tweakName, const std::string& file, uint64_t seconds) {
    IModule& module = GetModule();
    WaitWindowText text;
    text.caption = module.LoadString(IDS_WAIT_CAPTION);
    text.tweak = InsertIntoString(module.LoadString(IDS_WAIT_TWEAK), ShownName(tweakName));
    text.file = InsertIntoString(module.LoadString(IDS_WAIT_FILE), file);
    text.elapsed = InsertIntoString(module.LoadString(IDS_WAIT_ELAPSED), Duration(seconds));
    text.show = module.LoadString(IDS_WAIT_SHOW);
    text.stopWaiting = module.LoadString(IDS_WAIT_STOP_WAITING);
    text.end = module.LoadString(IDS_WAIT_END);
    return text;
}
