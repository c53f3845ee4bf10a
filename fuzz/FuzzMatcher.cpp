// The filter matcher against the reference matcher: any pattern, any name, ignore case on or off.
// Input: one flag byte (bit 0: ignore case), then the pattern, a zero byte, and the name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "fuzz/ReferenceMatcher.h"
#include "runner/WildcardMatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool ignoreCase = (data[0] & 1) != 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\0');
    const std::string pattern = rest.substr(0, split);
    std::string name = split == std::string::npos ? std::string() : rest.substr(split + 1);
    name = name.substr(0, name.find('\0'));

    const int got = WildcardMatch(pattern.c_str(), name.c_str(), ignoreCase ? 1 : 0);
    const bool expected = reference::WildcardMatch(pattern, name, ignoreCase);
    FUZZ_CHECK(got == 0 || got == 1, "WildcardMatch returned %d", got);
    FUZZ_CHECK((got == 1) == expected,
               "WildcardMatch(\"%s\", \"%s\", %d) = %d, reference says %d", FuzzEscape(pattern).c_str(),
               FuzzEscape(name).c_str(), ignoreCase ? 1 : 0, got, expected ? 1 : 0);

    // The substring search on the same bytes: the name as text, the pattern as what is sought.
    const char* found = FindSubstring(name.c_str(), pattern.c_str(), ignoreCase ? 1 : 0);
    const size_t at = reference::FindSubstring(name, pattern, ignoreCase);
    const size_t gotAt = found == nullptr ? std::string::npos : static_cast<size_t>(found - name.c_str());
    FUZZ_CHECK(gotAt == at, "FindSubstring(\"%s\", \"%s\", %d) at %zd, reference at %zd",
               FuzzEscape(name).c_str(), FuzzEscape(pattern).c_str(), ignoreCase ? 1 : 0,
               static_cast<ptrdiff_t>(gotAt), static_cast<ptrdiff_t>(at));
    return 0;
}
