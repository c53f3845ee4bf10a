// Interpreters that run the argument after a switch of their own as code (python -c, node -e,
// perl -e, bash -c ...): a path inside that code cannot be judged by any quoting, so it is refused.
#include <sstream>

#include "runner/LineJudges.h"

PathRefusal JudgeForInterpreter(const std::string& line, const std::vector<bool>& inserted,
                                const std::string& codeSwitches) {
    std::vector<std::string> switches;
    std::istringstream words(codeSwitches);
    for (std::string word; words >> word;) switches.push_back(word);
    const std::vector<MarkedArgument> arguments = SplitArguments(line, inserted);
    for (size_t i = 0; i < arguments.size(); ++i) {
        for (const std::string& code : switches) {
            const std::string& text = arguments[i].text;
            const bool attached = text.size() > code.size() + 1 && text.compare(0, code.size(), code) == 0 &&
                                  text[code.size()] == '=';
            const MarkedArgument* holder = nullptr;
            if (attached) holder = &arguments[i];
            else if (text == code && i + 1 < arguments.size()) holder = &arguments[i + 1];
            if (holder == nullptr) continue;
            for (bool b : holder->inserted) {
                if (b) return PathRefusal::InterpreterCode;
            }
        }
    }
    return PathRefusal::None;
}
