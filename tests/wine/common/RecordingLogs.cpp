#include "tests/wine/common/RecordingLogs.h"

#include <windows.h>

namespace wine {

RecordingLogs::RecordingLogs(const std::string& folder)
    : recorder(folder + "recorder.log"), batch(folder + "batch.log") {
    SetEnvironmentVariableA("TREVANEL_RECORD_LOG", recorder.c_str());
    SetEnvironmentVariableA("TREVANEL_BAT_LOG", batch.c_str());
}

RecordingLogs::~RecordingLogs() {
    SetEnvironmentVariableA("TREVANEL_RECORD_LOG", nullptr);
    SetEnvironmentVariableA("TREVANEL_BAT_LOG", nullptr);
}

}  // namespace wine
