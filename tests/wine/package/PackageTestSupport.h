// What the package tests share: the files the package holds, files and folders on disk, the
// runs that recording programs (tests/fixtures/Recorder.cpp) logged, the stand-in host's setup
// entry and a temporary .htm association.
#pragma once

#include <windows.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/common/Layout.h"
#include "tests/wine/common/HostRegistration.h"
#include "tests/wine/common/WineHarness.h"

namespace package {

extern const char kListCaption[];
// The help pages in the package's Help folder: both dialogs', in German and in English.
inline const char* const kHelpPages[] = {"ZTTrevanelAddOn.htm", "ZTTrevanelAddOnInfo.htm",
                                         "ZTTrevanelAddOn-en.htm", "ZTTrevanelAddOnInfo-en.htm"};

// The zip unpacked by the build, with its trailing backslash.
std::string UnzippedFolder();
// The files the package holds below its top ("Help\\ZTTrevanelAddOn.htm"), the companion
// program and the examples included when the build ships them.
std::set<std::string> PackageFiles();

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool EndsWith(const std::string& text, const std::string& end);
// Every file below folder (with its trailing backslash), relative to it.
std::set<std::string> FilesBelow(const std::string& folder);
// Copies every file below from into to (both with trailing backslashes), making the folders.
void CopyTree(const std::string& from, const std::string& to);

// One run of a recording program, from the tab-separated fields of its log line.
struct RecordedRun {
    std::string exe;
    std::string directory;
    std::string commandLine;
    std::vector<std::string> arguments;
};
std::vector<RecordedRun> RecordedRuns(const std::string& log);

// For as long as it lives, .htm files open with viewer "%1"; then the association the prefix had
// comes back.
class HtmAssociation {
public:
    explicit HtmAssociation(const std::string& viewer);
    ~HtmAssociation();
    HtmAssociation(const HtmAssociation&) = delete;
    HtmAssociation& operator=(const HtmAssociation&) = delete;

private:
    bool m_hadKey;
    std::optional<wine::RegValue> m_previous;
};

}  // namespace package
