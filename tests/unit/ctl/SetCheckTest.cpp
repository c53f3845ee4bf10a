// Filters that no file name can pass: found through the matcher itself.
#include <gtest/gtest.h>

#include "ctl/SetCheck.h"

TEST(FilterNeverMatches, OnlyPatternsThatNoFileNameCanPass) {
    struct Case {
        const char* pattern;
        bool never;
    } cases[] = {
        {"[]", true},      {"a[]", true},   {"x\\", true},  {"*\\\\*", true}, {"[\\\\]", true},
        {"*", false},      {"", false},     {"**x", false}, {"*?", false},    {"[!a]", false},
        {"*.zip", false},  {"[ab", false},  {"a\\*", false}, {"[\\\\a]", false}, {"data*.csv", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FilterNeverMatches(c.pattern, 1), c.never) << c.pattern;
        EXPECT_EQ(FilterNeverMatches(c.pattern, 0), c.never) << c.pattern;
    }
}
