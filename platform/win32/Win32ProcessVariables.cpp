// The process's environment through the system's own calls.
#include <windows.h>

#include "platform/ProcessVariables.h"

bool ReadProcessVariable(const std::string& name, std::string* value) {
    DWORD size = 1;
    for (;;) {
        std::string buffer(size, '\0');
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableA(name.c_str(), &buffer[0], size);
        if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        if (length < size) {
            value->assign(buffer.data(), length);
            return true;
        }
        size = length;
    }
}

void WriteProcessVariable(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

void RemoveProcessVariable(const std::string& name) { SetEnvironmentVariableA(name.c_str(), nullptr); }
