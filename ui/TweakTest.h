// The tweak editor's test: what the runner decides for the tweak as edited and a file the user
// picks, and the run itself, as after a transfer.
#pragma once

#include <cstdint>
#include <string>

class CTweakConfig;
class CTweakInfo;

struct TweakTest {
    // The tweak's first ticked transfer type (download when none is ticked, which then tells why
    // it would not start), the picked file, and a remote path made of its name.
    int type = 0;
    std::string localPath;
    std::string remotePath;
    bool runs = false;
    // The transfer, then the program with its parameter line, or the verdict and why (ANSI).
    std::string shown;
};

TweakTest DecideTest(const CTweakInfo& tweak, const std::string& localPath);

struct TweakTestResult {
    bool failed = false;  // as the run record counts problems
    std::string shown;    // what became of the tweak, in German (ANSI)
};

// A test's time limit when its tweak has none and the wait window is off (seconds).
const uint32_t kTestLimitWithoutWindow = 60;

// Runs set, which holds the tested tweak alone, for test's transfer: the same run as after a
// transfer, with the wait window and the time limit (kTestLimitWithoutWindow when the tweak has
// none and the window is off), but without the run record or a notice.
TweakTestResult RunTest(CTweakConfig& set, const TweakTest& test);
