// The in-memory shell used by native tests, and the native default launcher.
#include "platform/memory/MemoryLauncher.h"

#include <algorithm>

#include "platform/Platform.h"
#include "platform/WinTypes.h"

namespace {

std::optional<std::string> Copy(const char* text) {
    if (text == nullptr) return std::nullopt;
    return std::string(text);
}

uintptr_t HandleKey(ProcessHandle handle) { return reinterpret_cast<uintptr_t>(handle); }

thread_local bool t_lastExecuteFailed = false;
thread_local bool t_lastExecuteElevated = false;

}  // namespace

MemoryLauncher::~MemoryLauncher() = default;

MemoryLauncher::Outcome MemoryLauncher::OutcomeFor(const std::string& file) const {
    const auto it = m_outcomes.find(file);
    return it == m_outcomes.end() ? m_defaultOutcome : it->second;
}

MemoryLauncher::Process* MemoryLauncher::FindProcess(ProcessHandle handle) {
    const auto it = m_processes.find(HandleKey(handle));
    return it == m_processes.end() ? nullptr : &it->second;
}

const MemoryLauncher::Process* MemoryLauncher::FindProcess(ProcessHandle handle) const {
    const auto it = m_processes.find(HandleKey(handle));
    return it == m_processes.end() ? nullptr : &it->second;
}

bool MemoryLauncher::ExecuteEx(const ShellExecuteRequest& request, ProcessHandle* process) {
    return Start(request, false, process);
}

bool MemoryLauncher::ExecuteAndWait(const ShellExecuteRequest& request, ProcessHandle* process) {
    ProcessHandle started = nullptr;
    const bool accepted = Start(request, true, &started);
    if (started != nullptr) WaitForProcess(started);
    if (process != nullptr) {
        *process = started;
    } else if (started != nullptr) {
        CloseProcess(started);
    }
    return accepted;
}

bool MemoryLauncher::Start(const ShellExecuteRequest& request, bool waited, ProcessHandle* process) {
    if (process != nullptr) *process = nullptr;

    ExecuteExCall call;
    call.fMask = request.fMask;
    call.hwnd = request.hwnd;
    call.waited = waited;
    call.verb = Copy(request.lpVerb);
    call.file = Copy(request.lpFile);
    call.parameters = Copy(request.lpParameters);
    call.directory = Copy(request.lpDirectory);
    call.nShow = request.nShow;
    call.environment = request.environment;

    std::function<void(const ExecuteExCall&)> hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hook = m_onExecuteEx;
    }
    if (hook) hook(call);

    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string file = call.file.value_or(std::string());
    const Outcome outcome = OutcomeFor(file);
    t_lastExecuteFailed = outcome == Outcome::Fails;
    if (outcome == Outcome::Fails) {
        m_executeExCalls.push_back(call);
        return false;
    }
    const bool wantsHandle = (request.fMask & SEE_MASK_NOCLOSEPROCESS) != 0 && process != nullptr;
    if (outcome == Outcome::SucceedsProcess) {
        const bool held = m_holdAll ||
                          std::find(m_heldFiles.begin(), m_heldFiles.end(), file) != m_heldFiles.end();
        m_events.push_back("start " + file);
        if (wantsHandle) {
            const uintptr_t key = m_nextHandle;
            m_nextHandle += 4;
            m_processes[key] = Process{file, held, false};
            call.process = reinterpret_cast<ProcessHandle>(key);
            *process = call.process;
        } else if (!held) {
            // Without a handle nobody can wait for it; a process that is not held ends at once.
            m_events.push_back("end " + file);
        }
    }
    m_executeExCalls.push_back(call);
    m_changed.notify_all();
    return true;
}

bool MemoryLauncher::GetExitCode(ProcessHandle handle, uint32_t* code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Process* process = FindProcess(handle);
    if (process == nullptr || process->closed || process->running) return false;
    const auto it = m_exitCodes.find(process->file);
    *code = process->terminated ? 1 : it == m_exitCodes.end() ? 0 : it->second;
    return true;
}

uint32_t MemoryLauncher::LastExecuteErrorCode() { return t_lastExecuteFailed ? 2 : 0; }

std::string MemoryLauncher::LastExecuteError() {
    return t_lastExecuteFailed ? "The system cannot find the file specified." : std::string();
}

void MemoryLauncher::SetExitCode(const std::string& file, uint32_t code) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_exitCodes[file] = code;
}

void MemoryLauncher::WaitForProcess(ProcessHandle handle) {
    std::unique_lock<std::mutex> lock(m_mutex);
    Process* process = FindProcess(handle);
    if (process == nullptr || process->closed) {
        m_misuses.push_back("wait on an unknown or closed handle");
        return;
    }
    m_events.push_back("wait " + process->file);
    if (process->running) {
        m_waitingFiles.push_back(process->file);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !process->running; });
        m_waitingFiles.erase(std::find(m_waitingFiles.begin(), m_waitingFiles.end(), process->file));
    }
    m_events.push_back("end " + process->file);
}

void MemoryLauncher::CloseProcess(ProcessHandle handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Process* process = FindProcess(handle);
    if (process == nullptr || process->closed) {
        m_misuses.push_back("close of an unknown or closed handle");
        return;
    }
    process->closed = true;
    m_events.push_back("close " + process->file);
    m_changed.notify_all();
}

intptr_t MemoryLauncher::Execute(const char* verb, const char* file, const char* parameters,
                                 const char* directory, int show) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_executeCalls.push_back(ExecuteCall{Copy(verb), Copy(file), Copy(parameters), Copy(directory), show});
    const auto it = m_executeResults.find(file ? file : "");
    const intptr_t result = it == m_executeResults.end() ? 42 : it->second;
    t_lastExecuteElevated = result > 32 && m_executeElevated;
    return result;
}

bool MemoryLauncher::LastExecuteElevated() { return t_lastExecuteElevated; }

void MemoryLauncher::SetExecuteElevated(bool elevated) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_executeElevated = elevated;
}

void MemoryLauncher::SetOutcome(const std::string& file, Outcome outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_outcomes[file] = outcome;
}

void MemoryLauncher::SetDefaultOutcome(Outcome outcome) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_defaultOutcome = outcome;
}

void MemoryLauncher::SetExecuteResult(const std::string& file, intptr_t result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_executeResults[file] = result;
}

void MemoryLauncher::HoldFile(const std::string& file) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_heldFiles.push_back(file);
}

void MemoryLauncher::HoldAll(bool hold) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_holdAll = hold;
}

void MemoryLauncher::SetOnExecuteEx(std::function<void(const ExecuteExCall&)> hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onExecuteEx = std::move(hook);
}

std::optional<std::string> MemoryLauncher::WaitForWaiter(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_changed.wait_for(lock, timeout, [&] { return !m_waitingFiles.empty(); })) return std::nullopt;
    return m_waitingFiles.front();
}

void MemoryLauncher::ReleaseAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& entry : m_processes) entry.second.running = false;
    m_changed.notify_all();
}

bool MemoryLauncher::IsRunning(ProcessHandle handle) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Process* process = FindProcess(handle);
    return process != nullptr && process->running;
}

void MemoryLauncher::Terminate(ProcessHandle handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Process* process = FindProcess(handle);
    if (process == nullptr || !process->running) return;
    process->running = false;
    process->terminated = true;
    m_events.push_back("terminate " + process->file);
    m_changed.notify_all();
}

std::vector<MemoryLauncher::ExecuteExCall> MemoryLauncher::ExecuteExCalls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_executeExCalls;
}

std::vector<MemoryLauncher::ExecuteCall> MemoryLauncher::ExecuteCalls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_executeCalls;
}

std::vector<std::string> MemoryLauncher::LaunchedFiles() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> files;
    for (const auto& call : m_executeExCalls) files.push_back(call.file.value_or(std::string()));
    return files;
}

std::vector<std::string> MemoryLauncher::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

size_t MemoryLauncher::OpenHandleCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<size_t>(std::count_if(m_processes.begin(), m_processes.end(),
                                             [](const auto& entry) { return !entry.second.closed; }));
}

std::vector<std::string> MemoryLauncher::Misuses() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_misuses;
}

ILauncher& DefaultLauncher() {
    static MemoryLauncher launcher;
    return launcher;
}
