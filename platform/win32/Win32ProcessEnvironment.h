// Variables lent to the process's environment for one start: a program that the shell creates
// inherits the environment the process has at that moment, and the shell takes no other.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Launcher.h"

// Sets the variables for the life of the object and then puts back what was there before,
// removing what was not, also when the constructor itself fails or throws. The process has one environment, so the objects of different threads
// take turns; a thread whose turn has not come dispatches its messages while it waits, up to
// waitMs. Objects of one thread nest (the shell call may re-enter the add-on and start another
// program), each seeing its own variables and restoring those of the one outside it.
class ScopedProcessEnvironment {
public:
    ScopedProcessEnvironment(const std::vector<EnvironmentVariable>& variables, DWORD waitMs);
    ~ScopedProcessEnvironment();
    ScopedProcessEnvironment(const ScopedProcessEnvironment&) = delete;
    ScopedProcessEnvironment& operator=(const ScopedProcessEnvironment&) = delete;

    // False when the turn did not come within waitMs (nothing was changed then), or when a
    // variable could not be set (the program would get a stale value): nothing may start then.
    bool Ready() const { return m_error == 0; }
    // ERROR_TIMEOUT, the system's error for the variable that could not be set, or 0 when ready.
    DWORD Error() const { return m_error; }

private:
    struct Previous {
        std::string name;
        bool existed;
        std::string value;
    };
    // Puts back every variable changed so far and gives the turn back; never throws.
    void Restore() noexcept;

    std::vector<Previous> m_previous;
    DWORD m_error = 0;
    bool m_turn = false;
};
