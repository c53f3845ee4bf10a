// The file-name pattern language of the tweak filters.
#pragma once

// 1 if the whole name matches the pattern, else 0. "*" matches any run of bytes (the empty one
// too), "?" any one byte, "[...]" one byte out of a list of members (no ranges, no negation; a
// backslash inside makes the next byte a member; an unclosed class ends with the pattern), and a
// backslash outside a class makes the next byte literal. ignoreCase nonzero compares single bytes
// by their toupper values in the current locale. Null pattern or name count as empty.
int WildcardMatch(const char* pattern, const char* name, int ignoreCase);

// The first occurrence of sub in text, or null. With ignoreCase the comparison ignores letter case
// in the current locale. An empty sub is found at the start of text.
const char* FindSubstring(const char* text, const char* sub, int ignoreCase);
