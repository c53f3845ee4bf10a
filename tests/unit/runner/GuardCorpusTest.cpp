// The guard over a corpus of lines (guard-corpus.tsv): attacks of every kind a server can choose
// start none, and ordinary lines that users write, with awkward but harmless names, start.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config/TweakInfo.h"
#include "platform/memory/MemoryFileSystem.h"
#include "runner/TweakDecision.h"
#include "tests/common/InstallProgram.h"
#include "tests/common/StandIns.h"

namespace {

struct CorpusLine {
    std::string exe, parameters, local, remote;
    int number;
};

std::vector<CorpusLine> ReadSection(const std::string& wanted) {
    std::ifstream file(std::string(TREVANEL_SOURCE_DIR) + "/tests/unit/runner/guard-corpus.tsv", std::ios::binary);
    std::vector<CorpusLine> lines;
    std::string section, text;
    for (int number = 1; std::getline(file, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty() || text[0] == '#') continue;
        if (text[0] == '[') {
            section = text;
            continue;
        }
        std::vector<std::string> fields;
        std::istringstream split(text);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        EXPECT_EQ(4u, fields.size()) << "line " << number << ": " << text;
        if (section == wanted && fields.size() == 4) lines.push_back({fields[0], fields[1], fields[2], fields[3], number});
    }
    return lines;
}

// How many of the lines start; each one whose outcome is not the expected one is named.
size_t Started(const std::vector<CorpusLine>& lines, bool expectStart) {
    MemoryFileSystem files;
    StandIns standIns{files};
    size_t started = 0;
    for (const CorpusLine& line : lines) {
        CTweakInfo tweak;
        tweak.m_strExe = line.exe;
        InstallProgram(line.exe);
        tweak.m_strParameters = line.parameters;
        tweak.m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
        const TweakDecision decision = DecideTweak(tweak, 0, line.local.c_str(), line.remote.c_str());
        const bool starts = decision.verdict == TweakVerdict::Applies;
        started += starts ? 1 : 0;
        if (starts != expectStart) {
            std::cout << "  line " << line.number << (starts ? " starts: " : " refused: ") << line.exe << " "
                      << decision.line.text << " (" << VerdictName(decision.verdict) << ": "
                      << DescribeRefusal(decision.line.refusal) << ")\n";
        }
    }
    return started;
}

TEST(GuardCorpus, NoAttackStartsAndFewOrdinaryLinesAreRefused) {
    const std::vector<CorpusLine> attacks = ReadSection("[attacks]");
    const std::vector<CorpusLine> ordinary = ReadSection("[ordinary]");
    ASSERT_GE(attacks.size(), 100u);
    ASSERT_GE(ordinary.size(), 100u);
    const size_t attacksStarted = Started(attacks, false);
    const size_t ordinaryRefused = ordinary.size() - Started(ordinary, true);
    std::cout << "attacks started: " << attacksStarted << " of " << attacks.size() << "; ordinary lines refused: "
              << ordinaryRefused << " of " << ordinary.size() << "\n";
    EXPECT_EQ(0u, attacksStarted);
    EXPECT_LT(ordinaryRefused * 100, ordinary.size() * 3);
}

}  // namespace
