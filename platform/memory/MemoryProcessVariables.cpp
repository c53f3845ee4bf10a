// The process's variables in memory, so that native tests neither see nor change the test
// program's real environment.
#include <map>
#include <mutex>

#include "platform/ProcessVariables.h"

namespace {

struct Variables {
    std::mutex mutex;
    std::map<std::string, std::string> values;
};

Variables& TheVariables() {
    static Variables variables;
    return variables;
}

}  // namespace

bool ReadProcessVariable(const std::string& name, std::string* value) {
    Variables& variables = TheVariables();
    std::lock_guard<std::mutex> guard(variables.mutex);
    const auto found = variables.values.find(name);
    if (found == variables.values.end()) return false;
    *value = found->second;
    return true;
}

void WriteProcessVariable(const std::string& name, const std::string& value) {
    Variables& variables = TheVariables();
    std::lock_guard<std::mutex> guard(variables.mutex);
    variables.values[name] = value;
}

void RemoveProcessVariable(const std::string& name) {
    Variables& variables = TheVariables();
    std::lock_guard<std::mutex> guard(variables.mutex);
    variables.values.erase(name);
}
