// Where the recording fixtures log while the object lives: Recorder.exe appends its runs to
// recorder.log and EchoArgs.bat its arguments to batch.log, both in the given folder. The
// variables that tell them so are cleared again when the object goes.
#pragma once

#include <string>

namespace wine {

struct RecordingLogs {
    // folder with its trailing backslash.
    explicit RecordingLogs(const std::string& folder);
    ~RecordingLogs();
    RecordingLogs(const RecordingLogs&) = delete;
    RecordingLogs& operator=(const RecordingLogs&) = delete;

    const std::string recorder;
    const std::string batch;
};

}  // namespace wine
