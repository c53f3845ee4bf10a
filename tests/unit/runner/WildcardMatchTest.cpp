// The filter pattern language: the table of cases, agreement with fnmatch where the two languages
// coincide, and patterns that make a naive backtracking matcher explode.
#include <fnmatch.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runner/WildcardMatch.h"

namespace {

struct Case {
    const char* pattern;
    const char* name;
    int expected;            // ignore case off
    int expectedIgnoreCase;  // ignore case on
};

const Case kCases[] = {
    {"*.txt", "a.txt", 1, 1},
    {"*.txt", "a.TXT", 0, 1},
    {"*.txt", ".txt", 1, 1},
    {"*.txt", "a.b.txt", 1, 1},
    {"*.txt", "a.txt.bak", 0, 0},
    {"*.txt", "a.txt.txt", 1, 1},
    {"*.txt", "A.TXT.txt", 1, 1},
    {"*", "anything at all", 1, 1},
    {"*", "", 1, 1},
    {"", "", 1, 1},
    {"", "a", 0, 0},
    {"a?c", "abc", 1, 1},
    {"a?c", "ac", 0, 0},
    {"a?c", "abbc", 0, 0},
    {"a?c", "ABC", 0, 1},
    {"*.*", "a.b", 1, 1},
    {"*.*", ".", 1, 1},
    {"*.*", "readme", 0, 0},
    {"*a", "ba", 1, 1},
    {"*a", "banana", 1, 1},
    {"*a*", "banana", 1, 1},
    {"*log", "catalog", 1, 1},
    {"*log", "logbook.log", 1, 1},
    {"*x*y", "axbxy", 1, 1},
    {"*x*y", "axby", 1, 1},
    {"*x*y", "axbyx", 0, 0},
    {"data*.csv", "data2024.csv", 1, 1},
    {"data*.csv", "data.csv", 1, 1},
    {"data*.csv", "DATA2024.CSV", 0, 1},
    {"*.t?t", "a.txt", 1, 1},
    {"**", "x", 1, 1},
    {"**", "", 1, 1},
    {"*?", "x", 1, 1},
    {"*?", "", 0, 0},
    {"?*", "x", 1, 1},
    {"?*", "", 0, 0},
    {"[abc]", "b", 1, 1},
    {"[abc]", "B", 0, 1},
    {"[abc]", "", 0, 0},
    {"[a-c]", "b", 0, 0},
    {"[a-c]", "-", 1, 1},
    {"[!a]", "b", 0, 0},
    {"[!a]", "!", 1, 1},
    {"[^a]", "^", 1, 1},
    {"[]", "x", 0, 0},
    {"[]", "", 0, 0},
    {"a[]", "a", 0, 0},
    {"[", "[", 0, 0},
    {"[ab", "a", 1, 1},
    {"x[ab", "xa", 1, 1},
    {"a[b", "a", 0, 0},
    {"[\\]]", "]", 1, 1},
    {"[a\\]]", "]", 1, 1},
    {"[a\\]]", "a", 1, 1},
    {"[a\\]]", "a]", 0, 0},
    {"[\\\\]", "\\", 1, 1},
    {"[*?]", "?", 1, 1},
    {"[*?]", "x", 0, 0},
    {"a[bc]d", "acd", 1, 1},
    {"a[bc]d", "ad", 0, 0},
    {"]", "]", 1, 1},
    {"a\\*", "a*", 1, 1},
    {"a\\*", "ab", 0, 0},
    {"\\?", "?", 1, 1},
    {"\\?", "x", 0, 0},
    {"\\[a]", "[a]", 1, 1},
    {"\\\\", "\\", 1, 1},
    {"\\A", "a", 0, 1},
    {"*\\*", "*", 1, 1},
    {"*\\*", "x*", 1, 1},
    {"*\\*", "x", 0, 0},
    {"*[ab]", "a", 1, 1},
    {"*[ab]", "xa", 1, 1},
    {"*[ab]", "xA", 0, 1},
    {"*[ab]", "xc", 0, 0},
    {"*[ab]c", "abc", 1, 1},
    // An escape with nothing left to escape matches nothing, whatever the name.
    {"a\\", "a", 0, 0},
    {"a\\", "a\\", 0, 0},
    {"\\", "", 0, 0},
    {"*\\", "x\\", 0, 0},
    // A backslash that ends an unclosed class adds no member; the members before it still count.
    {"[a\\", "a", 1, 1},
    {"[a\\", "\\", 0, 0},
    // Bytes above 0x7F are ordinary bytes; in the C locale they do not fold.
    {"\xe4*", "\xe4x", 1, 1},
    {"\xe4", "\xc4", 0, 0},
    {"?", "\xff", 1, 1},
};

TEST(WildcardMatch, TableOfCases) {
    for (const Case& c : kCases) {
        EXPECT_EQ(c.expected, WildcardMatch(c.pattern, c.name, 0))
            << "pattern [" << c.pattern << "] name [" << c.name << "]";
        EXPECT_EQ(c.expectedIgnoreCase, WildcardMatch(c.pattern, c.name, 1))
            << "ignore case, pattern [" << c.pattern << "] name [" << c.name << "]";
    }
}

TEST(WildcardMatch, NullCountsAsEmpty) {
    EXPECT_EQ(1, WildcardMatch(nullptr, nullptr, 0));
    EXPECT_EQ(1, WildcardMatch("*", nullptr, 1));
    EXPECT_EQ(0, WildcardMatch(nullptr, "a", 0));
}

TEST(WildcardMatch, NoBufferLimitsThePatternLength) {
    const std::string run(3000, 'a');
    EXPECT_EQ(1, WildcardMatch(("*" + run + "b").c_str(), ("xx" + run + "b").c_str(), 0));
    EXPECT_EQ(0, WildcardMatch(("*" + run + "b").c_str(), ("xx" + run + "c").c_str(), 0));
    EXPECT_EQ(1, WildcardMatch(("*" + std::string(2000, '?')).c_str(), std::string(2500, 'z').c_str(), 0));
}

std::vector<std::string> AllStrings(const std::string& alphabet, size_t maxLength) {
    std::vector<std::string> all{""};
    for (size_t begin = 0, length = 1; length <= maxLength; ++length) {
        const size_t end = all.size();
        for (size_t i = begin; i < end; ++i)
            for (char c : alphabet) all.push_back(all[i] + c);
        begin = end;
    }
    return all;
}

// Without "[" and backslash the two languages are the same: "*", "?" and literal bytes.
TEST(WildcardMatch, AgreesWithFnmatchOnEveryShortPattern) {
    const std::vector<std::string> patterns = AllStrings("aB.*?", 5);
    const std::vector<std::string> names = AllStrings("abB.", 5);
    int compared = 0;
    for (const std::string& pattern : patterns) {
        for (const std::string& name : names) {
            const int expected = fnmatch(pattern.c_str(), name.c_str(), FNM_NOESCAPE) == 0;
            const int expectedFolded = fnmatch(pattern.c_str(), name.c_str(), FNM_NOESCAPE | FNM_CASEFOLD) == 0;
            ASSERT_EQ(expected, WildcardMatch(pattern.c_str(), name.c_str(), 0))
                << "pattern [" << pattern << "] name [" << name << "]";
            ASSERT_EQ(expectedFolded, WildcardMatch(pattern.c_str(), name.c_str(), 1))
                << "ignore case, pattern [" << pattern << "] name [" << name << "]";
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000000);
}

TEST(WildcardMatch, AgreesWithFnmatchOnLongerRandomPatterns) {
    std::mt19937 random(20240607);
    const std::string patternBytes = "ab.*?";
    const std::string nameBytes = "ab.";
    for (int round = 0; round < 200000; ++round) {
        std::string pattern, name;
        for (int i = std::uniform_int_distribution<int>(0, 14)(random); i > 0; --i)
            pattern += patternBytes[std::uniform_int_distribution<size_t>(0, patternBytes.size() - 1)(random)];
        for (int i = std::uniform_int_distribution<int>(0, 20)(random); i > 0; --i)
            name += nameBytes[std::uniform_int_distribution<size_t>(0, nameBytes.size() - 1)(random)];
        const int expected = fnmatch(pattern.c_str(), name.c_str(), FNM_NOESCAPE) == 0;
        ASSERT_EQ(expected, WildcardMatch(pattern.c_str(), name.c_str(), 0))
            << "pattern [" << pattern << "] name [" << name << "]";
    }
}

// Patterns that cost a backtracking matcher one branch per way of splitting the name among the
// stars. Work bounded by pattern x name finishes these in well under a second.
TEST(WildcardMatch, AdversarialPatternsStayFast) {
    const auto start = std::chrono::steady_clock::now();
    const std::string as(5000, 'a');
    EXPECT_EQ(0, WildcardMatch("*a*a*a*a*a*a*b", as.c_str(), 0));
    EXPECT_EQ(1, WildcardMatch("*a*a*a*a*a*a*b", (as + "b").c_str(), 0));
    EXPECT_EQ(0, WildcardMatch("*a*a*a*a*a*a*b", as.c_str(), 1));
    EXPECT_EQ(0, WildcardMatch("*a*a*a*a*a*a*b*", as.c_str(), 0));
    EXPECT_EQ(1, WildcardMatch("*a*a*a*a*a*a*b*", (as + "b" + as).c_str(), 1));
    std::string manyStars;
    for (int i = 0; i < 40; ++i) manyStars += "*a";
    EXPECT_EQ(0, WildcardMatch((manyStars + "*b").c_str(), as.c_str(), 0));
    EXPECT_EQ(0, WildcardMatch("*?*?*?*?*?*?*?*?*?*?b", as.c_str(), 0));
    EXPECT_EQ(0, WildcardMatch("*[a]*[a]*[a]*[a]*[a]*[b]", as.c_str(), 1));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000);
}

TEST(FindSubstring, FindsTheFirstOccurrence) {
    const char* text = "Report.TXT.txt";
    EXPECT_EQ(text + 10, FindSubstring(text, ".txt", 0));
    EXPECT_EQ(text + 6, FindSubstring(text, ".txt", 1));
    EXPECT_EQ(text + 6, FindSubstring(text, ".TxT", 1));
    EXPECT_EQ(text, FindSubstring(text, "", 0));
    EXPECT_EQ(text, FindSubstring(text, "", 1));
    EXPECT_EQ(text + 7, FindSubstring(text, "T", 0));
    EXPECT_EQ(text + 5, FindSubstring(text, "T", 1));
    EXPECT_EQ(nullptr, FindSubstring(text, ".doc", 1));
    EXPECT_EQ(nullptr, FindSubstring("ab", "abc", 1));
}

}  // namespace
