// Lending the process's environment to one start at a time.
#include "platform/win32/Win32ProcessEnvironment.h"
#include "platform/win32/Win32MessagePump.h"

#include "platform/ProcessVariables.h"

namespace {

// Whose the environment is right now. The section is held only to read and change these
// members, never while anything waits.
struct Turn {
    Turn() : free(CreateEventA(nullptr, TRUE, TRUE, nullptr)) { InitializeCriticalSection(&section); }

    CRITICAL_SECTION section;
    // Signalled while no thread has the turn.
    HANDLE free;
    DWORD owner = 0;
    unsigned depth = 0;
};

Turn& TheTurn() {
    static Turn turn;
    return turn;
}

bool TryTake(Turn& turn) {
    EnterCriticalSection(&turn.section);
    const DWORD self = GetCurrentThreadId();
    const bool taken = turn.owner == 0 || turn.owner == self;
    if (taken) {
        turn.owner = self;
        ++turn.depth;
        ResetEvent(turn.free);
    }
    LeaveCriticalSection(&turn.section);
    return taken;
}

void Give(Turn& turn) {
    EnterCriticalSection(&turn.section);
    if (--turn.depth == 0) {
        turn.owner = 0;
        SetEvent(turn.free);
    }
    LeaveCriticalSection(&turn.section);
}

// Waits for the turn the way the shell's own waits do, dispatching the thread's messages, so
// that whatever the shell call on the holding thread sends to this one (DDE, a window message,
// a call into its apartment) is answered. A WM_QUIT is put back for the host's own loop.
bool TakeWhilePumping(Turn& turn, DWORD waitMs) {
    const DWORD started = GetTickCount();
    bool taken = false;
    MessagePump pump;
    while (!(taken = TryTake(turn))) {
        const DWORD elapsed = GetTickCount() - started;
        if (elapsed >= waitMs) break;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &turn.free, waitMs - elapsed, QS_ALLINPUT,
                                                       MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) break;
        if (woke == WAIT_OBJECT_0 + 1) pump.DispatchQueued();
    }
    return taken;
}

}  // namespace

ScopedProcessEnvironment::ScopedProcessEnvironment(const std::vector<EnvironmentVariable>& variables,
                                                   DWORD waitMs) {
    if (variables.empty()) return;
    m_turn = TakeWhilePumping(TheTurn(), waitMs);
    if (!m_turn) {
        m_error = ERROR_TIMEOUT;
        return;
    }
    // A destructor does not run for a constructor that throws: the turn and the variables set so
    // far are given back here, or every later start on any thread would wait for good.
    try {
        for (const EnvironmentVariable& variable : variables) {
            Previous previous{variable.name, false, std::string()};
            previous.existed = ReadProcessVariable(variable.name, &previous.value);
            m_previous.push_back(previous);
            if (!SetEnvironmentVariableA(variable.name.c_str(), variable.value.c_str())) {
                const DWORD error = GetLastError();
                m_error = error != 0 ? error : ERROR_INVALID_PARAMETER;
                return;
            }
        }
    } catch (...) {
        Restore();
        throw;
    }
}

ScopedProcessEnvironment::~ScopedProcessEnvironment() { Restore(); }

void ScopedProcessEnvironment::Restore() noexcept {
    for (auto it = m_previous.rbegin(); it != m_previous.rend(); ++it)
        SetEnvironmentVariableA(it->name.c_str(), it->existed ? it->value.c_str() : nullptr);
    m_previous.clear();
    if (m_turn) Give(TheTurn());
    m_turn = false;
}
