// The texts of the failure notice, from the module's string table.
#pragma once

#include "platform/WaitWindow.h"
#include "runner/RunRecord.h"

// For a failed tweak's record: its name, the local file, and what became of it in German (the
// dialogs' language), all turned into the ANSI code page. The names are inserted as text. A set
// that could not be read is said in a sentence of its own.
NoticeText MakeNoticeText(const RunRecord& failure);
