// Splitting a parameter line into arguments as the C runtime does, keeping track of the paths.
#include "runner/LineJudges.h"

#include <algorithm>

std::vector<MarkedArgument> SplitArguments(const std::string& line, const std::vector<bool>& inserted) {
    std::vector<MarkedArgument> arguments;
    MarkedArgument current;
    bool inArgument = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) {
                arguments.push_back(current);
                current = MarkedArgument();
                inArgument = false;
            }
            if (inserted[i]) current.splitByPath = true;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            size_t run = i;
            while (run < line.size() && line[run] == '\\') ++run;
            const size_t count = run - i;
            if (run < line.size() && line[run] == '"') {
                // 2n backslashes before a quote give n and the quote acts; 2n+1 give n and a quote.
                for (size_t k = 0; k < count / 2; ++k) Add(current, '\\', inserted[i + 2 * k]);
                if (count % 2 == 1) {
                    Add(current, '"', inserted[run]);
                    ++run;
                }
            } else {
                for (size_t k = i; k < run; ++k) Add(current, '\\', inserted[k]);
            }
            i = run;
        } else if (c == '"') {
            // Inside quotes a doubled quote is one quote character.
            if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                Add(current, '"', inserted[i]);
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            Add(current, c, inserted[i]);
            ++i;
        }
    }
    if (inArgument) arguments.push_back(current);
    return arguments;
}

bool HoldsPath(const std::vector<bool>& inserted, size_t from, size_t to) {
    const auto end = inserted.begin() + static_cast<long>(std::min(to, inserted.size()));
    return std::find(inserted.begin() + static_cast<long>(from), end, true) != end;
}
