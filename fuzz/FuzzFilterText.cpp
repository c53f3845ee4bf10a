// The text form of a filter list: parse, join, parse again. The input is the stored text, any
// bytes. What a save and a load may change, and nothing else: the last item loses its trailing
// white space, and vanishes when that leaves it empty.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/TweakInfo.h"
#include "fuzz/FuzzCheck.h"

namespace {

const char* const kWhiteSpace = " \t\n\r\v\f";

bool IsWhite(char c) { return c != '\0' && std::strchr(kWhiteSpace, c) != nullptr; }

std::vector<std::string> Parse(const std::string& text) {
    CTweakInfo record;
    record.ParseFilters(text);
    return record.m_arrFilters;
}

std::string Join(const std::vector<std::string>& items) {
    CTweakInfo record;
    record.m_arrFilters = items;
    return record.GetFilterString();
}

std::string Describe(const std::vector<std::string>& items) {
    std::string text = "[";
    for (size_t i = 0; i < items.size(); ++i) text += (i ? ", \"" : "\"") + FuzzEscape(items[i]) + "\"";
    return text + "]";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> items = Parse(text);

    // The shape of every parsed list: no empty item, no ";" inside an item, no leading white
    // space after the first item.
    for (size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(!items[i].empty(), "item %zu of %s is empty", i, Describe(items).c_str());
        FUZZ_CHECK(items[i].find(';') == std::string::npos, "item %zu of %s holds a ';'", i,
                   Describe(items).c_str());
        FUZZ_CHECK(i == 0 || !IsWhite(items[i][0]), "item %zu of %s starts with white space", i,
                   Describe(items).c_str());
    }

    std::vector<std::string> expected = items;
    if (!expected.empty()) {
        std::string& last = expected.back();
        while (!last.empty() && IsWhite(last.back())) last.pop_back();
        if (last.empty()) expected.pop_back();
    }
    const std::string joined = Join(items);
    const std::vector<std::string> reloaded = Parse(joined);
    FUZZ_CHECK(reloaded == expected, "text \"%s\" parses as %s, joins as \"%s\", parses again as %s",
               FuzzEscape(text).c_str(), Describe(items).c_str(), FuzzEscape(joined).c_str(),
               Describe(reloaded).c_str());

    // From then on a save and a load change nothing.
    const std::string joinedAgain = Join(reloaded);
    FUZZ_CHECK(Parse(joinedAgain) == reloaded, "second round trip of %s changes it",
               Describe(reloaded).c_str());

    // Parsing appends: a record that holds items keeps them in front of the new ones.
    CTweakInfo record;
    record.m_arrFilters = {"kept"};
    record.ParseFilters(text);
    std::vector<std::string> appended = {"kept"};
    appended.insert(appended.end(), items.begin(), items.end());
    FUZZ_CHECK(record.m_arrFilters == appended,
               "parsing \"%s\" into a record holding [kept] gives %s", FuzzEscape(text).c_str(),
               Describe(record.m_arrFilters).c_str());
    return 0;
}
