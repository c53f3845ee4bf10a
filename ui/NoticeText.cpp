// Filling the failure notice's strings.
#include "ui/NoticeText.h"

#include "platform/AnsiText.h"
#include "platform/Module.h"
#include "platform/Platform.h"
#include "runner/RunOutcomeText.h"
#include "ui/StringInsert.h"
#include "ui/resource.h"

NoticeText MakeNoticeText(const RunRecord& failure) {
    IModule& module = GetModule();
    NoticeText text;
    text.caption = module.LoadString(IDS_NOTICE_CAPTION);
    text.hint = module.LoadString(IDS_NOTICE_HINT);
    text.file = InsertIntoString(module.LoadString(IDS_WAIT_FILE), Utf8ToAnsiText(failure.localPath));
    if (failure.detail == kSetUnreadable) {
        text.tweak = module.LoadString(IDS_NOTICE_SET_UNREADABLE);
        return text;
    }
    text.tweak = InsertIntoString(module.LoadString(IDS_NOTICE_TWEAK), Utf8ToAnsiText(failure.name));
    text.reason = Utf8ToAnsiText(OutcomeText(failure, true));
    return text;
}
