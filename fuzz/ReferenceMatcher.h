// A second, deliberately plain matcher for the filter pattern language, written only to check the
// product's one: recursive backtracking over (pattern position, name position), memoised so that
// adversarial stars stay polynomial. It shares no code with the product.
#pragma once

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace reference {

class Matcher {
public:
    Matcher(const std::string& pattern, const std::string& name, bool ignoreCase)
        : m_pattern(pattern),
          m_name(name),
          m_ignoreCase(ignoreCase),
          m_memo((pattern.size() + 1) * (name.size() + 1), kUnknown) {}

    bool Matches() { return Match(0, 0); }

private:
    static constexpr int8_t kUnknown = -1;

    bool Equal(unsigned char a, unsigned char b) const {
        if (a == b) return true;
        return m_ignoreCase && std::toupper(a) == std::toupper(b);
    }

    // One class starting at the "[" at p: its members, and the position after the class.
    void ReadClass(size_t p, std::string* members, size_t* after) const {
        size_t q = p + 1;
        while (q < m_pattern.size() && m_pattern[q] != ']') {
            if (m_pattern[q] == '\\') {
                // A backslash makes the next byte a member; at the end it adds none.
                if (q + 1 < m_pattern.size()) members->push_back(m_pattern[q + 1]);
                q += 2;
            } else {
                members->push_back(m_pattern[q]);
                q += 1;
            }
        }
        // Past a closing "]"; an unclosed class ends with the pattern.
        *after = q < m_pattern.size() ? q + 1 : m_pattern.size();
    }

    bool Match(size_t p, size_t n) {
        int8_t& memo = m_memo[p * (m_name.size() + 1) + n];
        if (memo == kUnknown) memo = Compute(p, n) ? 1 : 0;
        return memo == 1;
    }

    bool Compute(size_t p, size_t n) {
        if (p == m_pattern.size()) return n == m_name.size();
        const char c = m_pattern[p];
        if (c == '*') {
            // The star takes nothing, or one more byte and stays.
            if (Match(p + 1, n)) return true;
            return n < m_name.size() && Match(p, n + 1);
        }
        if (n == m_name.size()) return false;
        const unsigned char b = static_cast<unsigned char>(m_name[n]);
        if (c == '?') return Match(p + 1, n + 1);
        if (c == '[') {
            std::string members;
            size_t after = 0;
            ReadClass(p, &members, &after);
            for (char m : members) {
                if (Equal(static_cast<unsigned char>(m), b)) return Match(after, n + 1);
            }
            return false;
        }
        if (c == '\\') {
            // Escaping a byte that is not there: nothing can match.
            if (p + 1 == m_pattern.size()) return false;
            return Equal(static_cast<unsigned char>(m_pattern[p + 1]), b) && Match(p + 2, n + 1);
        }
        return Equal(static_cast<unsigned char>(c), b) && Match(p + 1, n + 1);
    }

    const std::string& m_pattern;
    const std::string& m_name;
    const bool m_ignoreCase;
    std::vector<int8_t> m_memo;
};

inline bool WildcardMatch(const std::string& pattern, const std::string& name, bool ignoreCase) {
    return Matcher(pattern, name, ignoreCase).Matches();
}

// The first position of sub in text (npos if none), bytes compared through tolower when
// ignoreCase is set. An empty sub is found at 0.
inline size_t FindSubstring(const std::string& text, const std::string& sub, bool ignoreCase) {
    if (sub.size() > text.size()) return std::string::npos;
    for (size_t i = 0; i + sub.size() <= text.size(); ++i) {
        size_t k = 0;
        for (; k < sub.size(); ++k) {
            const unsigned char a = static_cast<unsigned char>(text[i + k]);
            const unsigned char b = static_cast<unsigned char>(sub[k]);
            if (ignoreCase ? std::tolower(a) != std::tolower(b) : a != b) break;
        }
        if (k == sub.size()) return i;
    }
    return std::string::npos;
}

}  // namespace reference
