// The failure notice: after a transfer whose tweaks had a problem, a small window that names the
// first tweak that failed, the file and the reason, and opens the record's page on a click.
#pragma once

#include <cstdint>
#include <string>

#include "platform/WaitWindow.h"
#include "runner/RunRecord.h"

// The switch: REG_DWORD "Failure Notice" below HKEY_CURRENT_USER\<kUserKey>; 0 turns notices
// off, anything else or nothing leaves them on.
extern const char* const kFailureNoticeValue;
bool AreFailureNoticesOn();

// How long a notice stays on the screen when nobody clicks it.
const uint32_t kNoticeShownMs = 10000;

// The program, in the add-on's folder, that shows the run record as a page.
extern const char* const kRecordPageProgram;

// The notice's texts for a failed tweak's record (UTF-8, as recorded). The add-on's own comes from
// its string table (ui/); without one no notice shows.
typedef NoticeText (*NoticeTextMaker)(const RunRecord& failure);
// Set once at start-up, before any run; null takes it away.
void SetNoticeTextMaker(NoticeTextMaker maker);

// After one transfer's run: shows the notice for failure (its first failed tweak; null when none
// failed) when notices are on and a maker is set, a click opening addonFolder's record page
// program. Returns at once. Any thread.
void NoticeFailure(const RunRecord* failure, const std::string& addonFolder);
