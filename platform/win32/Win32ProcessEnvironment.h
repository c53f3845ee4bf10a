// Variables lent to the process's environment for one start: a program that the shell creates
// inherits the environment the process has at that moment, and the shell takes no other.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Launcher.h"

// Sets the variables for the life of the object and then puts back what was there before,
// removing what was not. The process has one environment, so the objects of different threads
// take turns; a thread whose turn has not come dispatches its messages while it waits, up to
// waitMs. Objects of one thread nest (the shell call may re-enter the add-on and start another
// program), each seeing its own variables and restoring those of the one outside it.
class ScopedProcessEnvironment {
public:
    ScopedProcessEnvironment(const std::vector<EnvironmentVariable>& variables, DWORD waitMs);
    ~ScopedProcessEnvironment();
    ScopedProcessEnvironment(const ScopedProcessEnvironment&) = delete;
    ScopedProcessEnvironment& operator=(const ScopedProcessEnvironment&) = delete;

    // False when the turn did not come within waitMs; nothing was changed then.
    bool Ready() const { return m_ready; }

private:
    struct Previous {
        std::string name;
        bool existed;
        std::string value;
    };
    std::vector<Previous> m_previous;
    bool m_ready = true;
    bool m_turn = false;
};
