// How cmd.exe reads the command after /c, /k or /r, judged for what the paths brought into it.
#include <cctype>

#include "runner/LineJudges.h"

namespace {

struct Reading {
    std::string text;
    std::vector<bool> inserted;
};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The first "/c", "/k" or "/r" (Windows' cmd.exe takes /r as /c) in any letter case: cmd.exe
// takes what follows as its command.
size_t FindCommandSwitch(const std::string& line, const std::vector<bool>& inserted, bool ownSwitchesOnly) {
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        if (ownSwitchesOnly && (inserted[i] || inserted[i + 1])) continue;
        const char letter = Lower(line[i + 1]);
        if (line[i] == '/' && (letter == 'c' || letter == 'k' || letter == 'r')) return i;
    }
    return std::string::npos;
}

// cmd.exe keeps the quotes only when the command holds exactly two, with blanks and none of
// & < > ( ) @ ^ | between them, and the text between them names an executable file. Whether
// such a file exists cannot be told from the line, so a line that passes the rest is judged
// both ways.
bool MayKeepQuotes(const std::string& command) {
    const size_t first = command.find('"');
    const size_t second = command.find('"', first + 1);
    if (second == std::string::npos || command.find('"', second + 1) != std::string::npos) return false;
    const std::string between = command.substr(first + 1, second - first - 1);
    return between.find_first_of(" \t") != std::string::npos &&
           between.find_first_of("&<>()@^|") == std::string::npos;
}

void Erase(Reading& reading, size_t at) {
    reading.text.erase(at, 1);
    reading.inserted.erase(reading.inserted.begin() + static_cast<long>(at));
}

}  // namespace

PathRefusal JudgeForCmd(const std::string& line, const std::vector<bool>& inserted, bool ownSwitchesOnly) {
    const size_t at = FindCommandSwitch(line, inserted, ownSwitchesOnly);
    // Without a command cmd.exe runs nothing from the line; its batch rules judge it as before.
    if (at == std::string::npos) return JudgeForBatch(line, inserted);
    for (size_t i = 0; i < at + 2; ++i) {
        if (inserted[i]) return PathRefusal::CmdSwitch;
    }
    bool stripAlways = false;
    for (size_t i = 0; i + 1 < at; ++i) {
        if (line[i] == '/' && Lower(line[i + 1]) == 's') stripAlways = true;
    }
    const Reading command{line.substr(at + 2),
                          std::vector<bool>(inserted.begin() + static_cast<long>(at) + 2, inserted.end())};
    std::vector<Reading> readings;
    const size_t first = command.text.find_first_not_of(" \t");
    if (first == std::string::npos || command.text[first] != '"') {
        readings.push_back(command);
    } else {
        // The first character a quote: it goes, and so does the last quote of the line.
        Reading stripped = command;
        const size_t last = stripped.text.rfind('"');
        if (last != first) Erase(stripped, last);
        Erase(stripped, first);
        readings.push_back(stripped);
        if (!stripAlways && MayKeepQuotes(command.text)) readings.push_back(command);
    }
    for (const Reading& reading : readings) {
        const PathRefusal refusal = JudgeForBatch(reading.text, reading.inserted);
        if (refusal != PathRefusal::None) return refusal;
    }
    return PathRefusal::None;
}
