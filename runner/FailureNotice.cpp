// Deciding whether a transfer's failure is told in a notice.
#include "runner/FailureNotice.h"

#include <atomic>

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "platform/Platform.h"
#include "platform/WinTypes.h"

const char* const kFailureNoticeValue = "Failure Notice";
const char* const kRecordPageProgram = "ZTTrevanelRecord.exe";

namespace {
std::atomic<NoticeTextMaker> g_noticeMaker{nullptr};
}

bool AreFailureNoticesOn() { return ReadRegDword(HKEY_CURRENT_USER, kUserKey, kFailureNoticeValue, 1) != 0; }

void SetNoticeTextMaker(NoticeTextMaker maker) { g_noticeMaker = maker; }

void NoticeFailure(const RunRecord* failure, const std::string& addonFolder) {
    const NoticeTextMaker maker = g_noticeMaker;
    if (failure == nullptr || maker == nullptr || !AreFailureNoticesOn()) return;
    const std::string page = addonFolder.empty() ? std::string() : addonFolder + kRecordPageProgram;
    GetWaitService().ShowNotice(maker(*failure), page, kNoticeShownMs);
}
