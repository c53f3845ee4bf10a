// The text form of a filter list: parse, join, parse again. The input is the stored text, any
// bytes, and also the text typed into the editor's filter field. A save and a load change no list
// that a load gives, and none that the editor takes from what is typed.
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

    const std::string joined = Join(items);
    const std::vector<std::string> reloaded = Parse(joined);
    FUZZ_CHECK(reloaded == items, "text \"%s\" parses as %s, joins as \"%s\", parses again as %s",
               FuzzEscape(text).c_str(), Describe(items).c_str(), FuzzEscape(joined).c_str(),
               Describe(reloaded).c_str());

    // Typed filters: no empty item, no white space at either end, and a save and a load keep them.
    CTweakInfo entered;
    entered.m_arrFilters = EnteredFilters(text);
    for (const std::string& item : entered.m_arrFilters) {
        FUZZ_CHECK(!item.empty() && !IsWhite(item.front()) && !IsWhite(item.back()) && item.find(';') == std::string::npos,
                   "typed \"%s\" gives %s", FuzzEscape(text).c_str(), Describe(entered.m_arrFilters).c_str());
    }
    FUZZ_CHECK(Parse(Join(entered.m_arrFilters)) == entered.m_arrFilters, "typed \"%s\" gives %s, which reloads otherwise",
               FuzzEscape(text).c_str(), Describe(entered.m_arrFilters).c_str());

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
