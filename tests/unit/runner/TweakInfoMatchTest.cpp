// Whether a tweak applies to a transfer: enabled flag, the type's bit, the file name's filters.
#include <gtest/gtest.h>

#include "config/TweakInfo.h"

namespace {

TEST(AppliesTo, TypeSelectsOneBitOfApplyTo) {
    struct Row {
        int type;
        uint32_t applyTo;
        int expected;
    } rows[] = {
        {0, TWEAK_APPLY_DOWNLOAD, 1},
        {0, TWEAK_APPLY_UPLOAD, 0},
        {4, TWEAK_APPLY_UPLOAD, 1},
        {4, TWEAK_APPLY_DOWNLOAD | TWEAK_APPLY_VIEW | TWEAK_APPLY_OPEN | TWEAK_APPLY_MOVE_LOCAL, 0},
        {5, TWEAK_APPLY_MOVE_SERVER, 1},
        {32, TWEAK_APPLY_DOWNLOAD, 1},  // only the low five bits of the type count
        {-1, 0x80000000u, 1},
        {6, 0x40, 1},
        {1, 0, 0},
    };
    for (const Row& row : rows) {
        CTweakInfo tweak;
        tweak.m_nApplyTo = row.applyTo;
        EXPECT_EQ(row.expected, tweak.AppliesTo(row.type, "C:\\in\\a.txt")) << "type " << row.type;
    }
}

TEST(AppliesTo, DisabledNeverApplies) {
    CTweakInfo tweak;
    tweak.m_nApplyTo = 0xFFFFFFFFu;
    tweak.m_bEnabled = 0;
    for (int type = 0; type < 32; ++type) EXPECT_EQ(0, tweak.AppliesTo(type, "C:\\a.txt"));
}

TEST(AppliesTo, FiltersSeeTheLocalFileName) {
    CTweakInfo tweak;
    tweak.m_nApplyTo = TWEAK_APPLY_DOWNLOAD;
    tweak.m_arrFilters = {"*.txt"};
    EXPECT_EQ(1, tweak.AppliesTo(0, "C:\\in\\report.txt"));
    EXPECT_EQ(0, tweak.AppliesTo(0, "C:\\in.txt\\report.doc"));
}

TEST(MatchesFilter, NameIsWhatFollowsTheLastBackslash) {
    struct Row {
        std::vector<std::string> filters;
        const char* path;
        int expected;
    } rows[] = {
        {{}, "C:\\anything.bin", 1},
        {{}, nullptr, 1},
        {{"*.txt"}, "C:\\in\\report.txt", 1},
        {{"report.txt"}, "C:\\in\\report.txt", 1},
        {{"*.txt"}, "C:/in/report.txt", 1},
        {{"report.txt"}, "C:/in/report.txt", 0},
        {{"C:*"}, "C:/in/report.txt", 1},
        {{"*"}, "C:\\in\\", 1},
        {{"*.txt"}, "C:\\in\\", 0},
        {{"?*"}, nullptr, 0},
        {{"*"}, nullptr, 1},
        {{"*.doc", "*.txt"}, "C:\\report.txt", 1},
        {{"*.doc", "*.pdf"}, "C:\\report.txt", 0},
        {{"in\\*"}, "C:\\in\\report.txt", 0},
    };
    for (const Row& row : rows) {
        CTweakInfo tweak;
        tweak.m_arrFilters = row.filters;
        EXPECT_EQ(row.expected, tweak.MatchesFilter(row.path)) << (row.path ? row.path : "(null)");
    }
}

TEST(MatchesFilter, IgnoreCaseFlagDecidesLetterCase) {
    CTweakInfo tweak;
    tweak.m_arrFilters = {"*.txt"};
    tweak.m_bIgnoreCase = 1;
    EXPECT_EQ(1, tweak.MatchesFilter("C:\\REPORT.TXT"));
    tweak.m_bIgnoreCase = 0;
    EXPECT_EQ(0, tweak.MatchesFilter("C:\\REPORT.TXT"));
    EXPECT_EQ(1, tweak.MatchesFilter("C:\\REPORT.txt"));
}

}  // namespace
