// The text form of a tweak's filter list: stored texts must keep producing the same items.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/TweakInfo.h"

namespace {

using Items = std::vector<std::string>;

struct ParseCase {
    const char* text;
    Items items;
};

void PrintTo(const ParseCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ParseFilters : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseFilters, SplitsAtSemicolonsKeepingOnlyTheWhiteSpaceItMust) {
    CTweakInfo record;
    record.ParseFilters(GetParam().text);
    EXPECT_EQ(record.m_arrFilters, GetParam().items) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseFilters,
    ::testing::Values(ParseCase{"a;b", {"a", "b"}}, ParseCase{"a; b", {"a", "b"}},
                      ParseCase{" a ;b ", {" a ", "b"}}, ParseCase{";;a;;", {"a"}},
                      ParseCase{"a; ;b", {"a", "b"}}, ParseCase{" ;b", {" ", "b"}},
                      ParseCase{"   ", {}}, ParseCase{"", {}},
                      // Every kind of white space, not only blanks, goes after a separator and
                      // at the end; the first item's leading white space stays.
                      ParseCase{"\t*.txt;\r\n\v\f*.log \t\r\n", {"\t*.txt", "*.log"}},
                      ParseCase{"a \t;b \t;c \t", {"a \t", "b \t", "c"}},
                      ParseCase{"*.zip", {"*.zip"}}));

TEST(ParseFilters, AppendsToTheItemsAlreadyThere) {
    CTweakInfo record;
    record.m_arrFilters = {"old"};
    record.ParseFilters("a;b");
    EXPECT_EQ(record.m_arrFilters, (Items{"old", "a", "b"}));
}

TEST(FilterString, JoinsItemsWithSemicolonsAndLoadsBackAsStored) {
    struct Case {
        Items items;
        std::string text;
        Items reloaded;
    };
    const Case cases[] = {
        {{}, "", {}},
        {{"a"}, "a", {"a"}},
        {{""}, "", {}},
        {{"", "a"}, ";a", {"a"}},
        {{"*.txt", "*.log"}, "*.txt;*.log", {"*.txt", "*.log"}},
        {{" a ", "b"}, " a ;b", {" a ", "b"}},
        {{"x;y"}, "x;y", {"x", "y"}},
        // A final ";" keeps the last item's trailing white space: "*.tmp " matches no "a.tmp".
        {{"*.tmp "}, "*.tmp ;", {"*.tmp "}},
        {{"a", " b "}, "a; b ;", {"a", "b "}},
        {{" "}, " ;", {" "}},
    };
    for (const Case& c : cases) {
        CTweakInfo record;
        record.m_arrFilters = c.items;
        EXPECT_EQ(record.GetFilterString(), c.text);
        CTweakInfo reloaded;
        reloaded.ParseFilters(record.GetFilterString());
        EXPECT_EQ(reloaded.m_arrFilters, c.reloaded) << c.text;
        EXPECT_EQ(FiltersReloadAsThey(record), c.reloaded == c.items) << c.text;
    }
}

TEST(EnteredFilters, AreTrimmedSplitAndReloadAsTheyAre) {
    const std::pair<const char*, Items> cases[] = {
        {"*.tmp ", {"*.tmp"}}, {" \t", {}}, {";", {}}, {" a ; b;;", {"a", "b"}}, {"x;y", {"x", "y"}}, {"*.zip", {"*.zip"}},
    };
    for (const auto& [text, items] : cases) {
        CTweakInfo record;
        record.m_arrFilters = EnteredFilters(text);
        EXPECT_EQ(record.m_arrFilters, items) << '"' << text << '"';
        EXPECT_TRUE(FiltersReloadAsThey(record)) << '"' << text << '"';
    }
}

TEST(GetFilters, ReplacesTheCallersList) {
    CTweakInfo record;
    record.m_arrFilters = {"b", "a"};
    Items list = {"stale", "items", "here"};
    record.GetFilters(list);
    EXPECT_EQ(list, (Items{"b", "a"}));
}

}  // namespace
