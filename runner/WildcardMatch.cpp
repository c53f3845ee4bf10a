// The wildcard matcher of the tweak filters.
#include "runner/WildcardMatch.h"

#include <cctype>
#include <cstring>

namespace {

bool SameByte(unsigned char a, unsigned char b, int ignoreCase) {
    return a == b || (ignoreCase && std::toupper(a) == std::toupper(b));
}

// Every pattern element other than "*" consumes exactly one name byte. Compares the element at p
// with the name byte c and returns the position after the element.
const char* MatchElement(const char* p, unsigned char c, int ignoreCase, bool* matched) {
    switch (*p) {
    case '?':
        *matched = true;
        return p + 1;
    case '[': {
        // All members are read, also after one has matched, so that an escaped "]" never closes
        // the class early. No member at all ("[]", a trailing "[") matches nothing.
        const char* q = p + 1;
        *matched = false;
        while (*q != '\0' && *q != ']') {
            unsigned char member = static_cast<unsigned char>(*q);
            if (member == '\\') {
                if (q[1] == '\0') {
                    ++q;
                    break;
                }
                member = static_cast<unsigned char>(q[1]);
                q += 2;
            } else {
                ++q;
            }
            if (!*matched && SameByte(member, c, ignoreCase)) *matched = true;
        }
        return *q == ']' ? q + 1 : q;
    }
    case '\\':
        // A backslash at the very end escapes a byte that is not there: nothing can match it.
        if (p[1] == '\0') {
            *matched = false;
            return p + 1;
        }
        *matched = SameByte(static_cast<unsigned char>(p[1]), c, ignoreCase);
        return p + 2;
    default:
        *matched = SameByte(static_cast<unsigned char>(*p), c, ignoreCase);
        return p + 1;
    }
}

}  // namespace

int WildcardMatch(const char* pattern, const char* name, int ignoreCase) {
    const char* p = pattern ? pattern : "";
    const char* n = name ? name : "";
    // Since every other element takes exactly one byte, only the latest star ever needs to give
    // back: on a mismatch it takes one more byte and the rest of the pattern is tried again. Each
    // retry costs at most two passes over the pattern, so the time stays within pattern x name.
    const char* starP = nullptr;
    const char* starN = nullptr;
    const char* nameEnd = nullptr;
    for (;;) {
        if (*p == '*') {
            while (*p == '*') ++p;
            if (*p == '\0') return 1;
            // After the last star the rest takes a fixed number of bytes, so it can only match the
            // end of the name: one try there decides, and no earlier star can change that.
            size_t needed = 0;
            const char* q = p;
            for (bool ignored; *q != '\0' && *q != '*'; ++needed) q = MatchElement(q, 0, ignoreCase, &ignored);
            if (*q == '\0') {
                if (nameEnd == nullptr) nameEnd = n + std::strlen(n);
                if (static_cast<size_t>(nameEnd - n) < needed) return 0;
                n = nameEnd - needed;
                starP = nullptr;
                continue;
            }
            starP = p;
            starN = n;
            continue;
        }
        if (*n == '\0') return *p == '\0' ? 1 : 0;
        bool matched = false;
        const char* next = *p == '\0' ? p : MatchElement(p, static_cast<unsigned char>(*n), ignoreCase, &matched);
        if (matched) {
            p = next;
            ++n;
            continue;
        }
        if (starP == nullptr) return 0;
        p = starP;
        n = ++starN;
        // A literal byte after the star can only start a match where that byte occurs.
        if (!ignoreCase && *p != '?' && *p != '[' && *p != '\\') {
            n = starN = std::strchr(starN, *p);
            if (n == nullptr) return 0;
        }
    }
}

const char* FindSubstring(const char* text, const char* sub, int ignoreCase) {
    if (text == nullptr || sub == nullptr) return nullptr;
    if (!ignoreCase || *sub == '\0') return std::strstr(text, sub);
    const size_t textLength = std::strlen(text);
    const size_t subLength = std::strlen(sub);
    if (subLength > textLength) return nullptr;
    const unsigned char first = static_cast<unsigned char>(sub[0]);
    const int upper = std::toupper(first);
    const int lower = std::tolower(first);
    for (size_t i = 0; i + subLength <= textLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c != upper && c != lower) continue;
        size_t k = 1;
        while (k < subLength && std::tolower(static_cast<unsigned char>(text[i + k])) ==
                                    std::tolower(static_cast<unsigned char>(sub[k])))
            ++k;
        if (k == subLength) return text + i;
    }
    return nullptr;
}
