// The registry service on Win32. The interface's 32-bit sizes and types travel through DWORDs
// so that a null pointer stays null: the calls treat null outputs as "not wanted".
#include <windows.h>
#include <sddl.h>

#include <atomic>

#include "platform/win32/Win32Registry.h"

#include "platform/Platform.h"

namespace {

// Copies an optional in/out size into a DWORD for the call and back afterwards.
class DwordInOut {
public:
    explicit DwordInOut(uint32_t* value) : m_pValue(value), m_dw(value ? *value : 0) {}
    ~DwordInOut() {
        if (m_pValue) *m_pValue = m_dw;
    }
    DWORD* Get() { return m_pValue ? &m_dw : nullptr; }

private:
    uint32_t* m_pValue;
    DWORD m_dw;
};

}  // namespace

long Win32Registry::CreateKey(HKEY parent, const char* subKey, HKEY* result) {
    return RegCreateKeyA(parent, subKey, result);
}

long Win32Registry::OpenKey(HKEY parent, const char* subKey, HKEY* result) {
    return RegOpenKeyA(parent, subKey, result);
}

long Win32Registry::QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                                uint32_t* size) {
    DwordInOut dwType(type);
    DwordInOut dwSize(size);
    return RegQueryValueExA(key, name, nullptr, dwType.Get(), data, dwSize.Get());
}

long Win32Registry::SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data,
                              uint32_t size) {
    return RegSetValueExA(key, name, 0, type, data, size);
}

long Win32Registry::EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) {
    return RegEnumKeyA(key, index, name, nameSize);
}

long Win32Registry::EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen,
                               uint32_t* type, uint8_t* data, uint32_t* dataSize) {
    DwordInOut dwNameLen(nameLen);
    DwordInOut dwType(type);
    DwordInOut dwDataSize(dataSize);
    return RegEnumValueA(key, index, name, dwNameLen.Get(), nullptr, dwType.Get(), data,
                         dwDataSize.Get());
}

long Win32Registry::DeleteKey(HKEY parent, const char* subKey) {
    return RegDeleteKeyA(parent, subKey);
}

long Win32Registry::DeleteValue(HKEY key, const char* name) { return RegDeleteValueA(key, name); }

long Win32Registry::CloseKey(HKEY key) { return RegCloseKey(key); }

long Win32Registry::FlushKey(HKEY key) { return RegFlushKey(key); }

namespace {

// The turn is a named mutex of the whole machine, as HKEY_USERS\.DEFAULT is one for all sessions
// (a deployment running as the system account writes beside a user's host). Whoever makes it,
// elevated or not, lets every signed-in user wait for it and release it; its medium label keeps a
// mutex made by an elevated process open to unelevated ones, and closed to low-integrity ones.
// Where another made the name first with rights that shut this process out, the session's own
// name serves, so that at least one session's writers take turns. The handle stays open for the
// life of the process once there is one; a failure is tried again at the next turn. A mutex is
// held per thread and may be taken again by its holder.
HANDLE CreateTurnMutex(const char* name) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;AU)S:(ML;;NW;;;ME)",
                                                         SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexExA(descriptor ? &attributes : nullptr, name, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    const DWORD error = GetLastError();
    if (descriptor) LocalFree(descriptor);
    SetLastError(error);
    return mutex;
}

HANDLE TurnMutex() {
    static std::atomic<HANDLE> held{nullptr};
    if (HANDLE mutex = held.load()) return mutex;
    HANDLE mutex = CreateTurnMutex("Global\\TarkuSoftware.ZTTrevanel.Configuration");
    if (mutex == nullptr && GetLastError() == ERROR_ACCESS_DENIED) {
        mutex = CreateTurnMutex("Local\\TarkuSoftware.ZTTrevanel.Configuration");
    }
    if (mutex == nullptr) return nullptr;
    HANDLE expected = nullptr;
    if (!held.compare_exchange_strong(expected, mutex)) {
        CloseHandle(mutex);
        return expected;
    }
    return mutex;
}

}  // namespace

long Win32Registry::BeginTurn(uint32_t timeoutMs) {
    const HANDLE mutex = TurnMutex();
    if (mutex == nullptr) return static_cast<long>(GetLastError());
    // An owner that died holding it leaves the mutex abandoned, which still hands it over.
    const DWORD wait = WaitForSingleObject(mutex, timeoutMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return ERROR_SUCCESS;
    return wait == WAIT_TIMEOUT ? ERROR_TIMEOUT : static_cast<long>(GetLastError());
}

void Win32Registry::EndTurn() {
    if (const HANDLE mutex = TurnMutex()) ReleaseMutex(mutex);
}

long Win32Registry::NotifyChange(HKEY key, void* event) {
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    // Host threads come and go; where the system can, the request outlives the thread that made
    // it. Systems before Windows 8 refuse the flag, and there the thread's end signals the event.
    const long error = RegNotifyChangeKeyValue(key, TRUE, filter | REG_NOTIFY_THREAD_AGNOSTIC,
                                               static_cast<HANDLE>(event), TRUE);
    if (error != ERROR_INVALID_PARAMETER) return error;
    return RegNotifyChangeKeyValue(key, TRUE, filter, static_cast<HANDLE>(event), TRUE);
}

void* Win32Registry::CreateChangeEvent() { return CreateEventA(nullptr, FALSE, FALSE, nullptr); }

bool Win32Registry::TakeChangeSignal(void* event) {
    return WaitForSingleObject(static_cast<HANDLE>(event), 0) == WAIT_OBJECT_0;
}

void Win32Registry::CloseChangeEvent(void* event) {
    if (event != nullptr) CloseHandle(static_cast<HANDLE>(event));
}

IRegistry& DefaultRegistry() {
    static Win32Registry registry;
    return registry;
}
