// The registry service on Win32. The interface's 32-bit sizes and types travel through DWORDs
// so that a null pointer stays null: the calls treat null outputs as "not wanted".
#include <windows.h>
#include <sddl.h>
#include <aclapi.h>

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

long Win32Registry::OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) {
    const long error = RegOpenKeyExA(parent, subKey, 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, result);
    if (error != ERROR_SUCCESS) *result = nullptr;
    return error;
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

// The writers' turn is a mutex of the whole machine, as HKEY_USERS\.DEFAULT is one for all
// sessions (a deployment running as the system account writes beside a user's host). Only a
// process that may write the configuration may hold it, so that no signed-in user can keep the
// writers waiting, nor take the name first: it lives in a private namespace bounded by the
// Administrators group, which only a process whose token holds that group enabled (an elevated
// administrator, the system account) can create or open. Where the system offers no private
// namespaces (Wine 8 answers CreateBoundaryDescriptorW with nothing), a Global\ mutex owned by the
// Administrators group that only they and the system account may open serves, taken only when its
// owner is one of these two: a name taken first by anyone else fails the write, never splits the
// writers. The handles stay open for the life of the process once they are had; a failure is
// tried again at the next turn. A mutex is held per thread and may be taken again by its holder.
const char* const kTurnSecurity = "O:BAD:P(A;;GA;;;SY)(A;;GA;;;BA)";
const wchar_t* const kNamespace = L"TarkuSoftware.ZTTrevanel";

class SecurityAttributes {
public:
    SecurityAttributes() {
        if (ConvertStringSecurityDescriptorToSecurityDescriptorA(kTurnSecurity, SDDL_REVISION_1, &m_descriptor,
                                                                 nullptr)) {
            m_attributes.lpSecurityDescriptor = m_descriptor;
        }
    }
    ~SecurityAttributes() {
        if (m_descriptor) LocalFree(m_descriptor);
    }
    SECURITY_ATTRIBUTES* Get() { return m_descriptor ? &m_attributes : nullptr; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes = {sizeof m_attributes, nullptr, FALSE};
};

// The private namespace, opened or made; null with the error, ERROR_NOT_SUPPORTED where the system
// offers none. No one can take the namespace's name first (the boundary admits only those who may
// write), so a refusal means that this process may not enter it: ERROR_ACCESS_DENIED, also where
// the system says ERROR_INVALID_OWNER or ERROR_PRIVILEGE_NOT_HELD (a token without the group
// enabled cannot make it with that owner).
HANDLE OpenTurnNamespace(DWORD* error) {
    HANDLE boundary = CreateBoundaryDescriptorW(kNamespace, 0);
    if (boundary == nullptr) {
        *error = ERROR_NOT_SUPPORTED;
        return nullptr;
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE space = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        AddSIDToBoundaryDescriptor(&boundary, administrators)) {
        SecurityAttributes security;
        space = CreatePrivateNamespaceW(security.Get(), boundary, kNamespace);
        if (space == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) space = OpenPrivateNamespaceW(boundary, kNamespace);
    }
    *error = space ? ERROR_SUCCESS : GetLastError();
    if (*error == ERROR_INVALID_OWNER || *error == ERROR_PRIVILEGE_NOT_HELD) *error = ERROR_ACCESS_DENIED;
    DeleteBoundaryDescriptor(boundary);
    return space;
}

bool IsOwnedByAdministrators(HANDLE mutex) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(mutex, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool trusted = owner != nullptr && (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                              IsWellKnownSid(owner, WinLocalSystemSid));
    LocalFree(descriptor);
    return trusted;
}

// The turn's mutex, or null with the error: ERROR_ACCESS_DENIED for a process that may not take
// it, ERROR_INVALID_OWNER where another has taken the name.
HANDLE OpenTurnMutex(HANDLE* space, DWORD* error) {
    *space = OpenTurnNamespace(error);
    const bool bounded = *space != nullptr;
    if (!bounded && *error != ERROR_NOT_SUPPORTED) return nullptr;
    SecurityAttributes security;
    const char* const name = bounded ? "TarkuSoftware.ZTTrevanel\\Configuration"
                                     : "Global\\TarkuSoftware.ZTTrevanel.Configuration";
    HANDLE mutex = CreateMutexExA(security.Get(), name, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL);
    *error = mutex ? ERROR_SUCCESS : GetLastError();
    // A process that cannot make the mutex with the Administrators group as its owner is no writer.
    if (*error == ERROR_INVALID_OWNER) *error = ERROR_ACCESS_DENIED;
    if (mutex != nullptr && !bounded && !IsOwnedByAdministrators(mutex)) {
        CloseHandle(mutex);
        mutex = nullptr;
        *error = ERROR_INVALID_OWNER;
    }
    if (mutex == nullptr && bounded) {
        ClosePrivateNamespace(*space, 0);
        *space = nullptr;
    }
    return mutex;
}

HANDLE TurnMutex(DWORD* error) {
    static std::atomic<HANDLE> held{nullptr};
    static std::atomic<HANDLE> heldSpace{nullptr};
    if (HANDLE mutex = held.load()) return mutex;
    HANDLE space = nullptr;
    HANDLE mutex = OpenTurnMutex(&space, error);
    if (mutex == nullptr) return nullptr;
    HANDLE expected = nullptr;
    if (!held.compare_exchange_strong(expected, mutex)) {
        // Another thread had it first: the same object, through its handles.
        CloseHandle(mutex);
        if (space) ClosePrivateNamespace(space, 0);
        return expected;
    }
    if (space) heldSpace.store(space);
    return mutex;
}

}  // namespace

long Win32Registry::BeginTurn(uint32_t timeoutMs) {
    DWORD error = ERROR_SUCCESS;
    const HANDLE mutex = TurnMutex(&error);
    if (mutex == nullptr) return static_cast<long>(error);
    // An owner that died holding it leaves the mutex abandoned, which still hands it over.
    const DWORD wait = WaitForSingleObject(mutex, timeoutMs);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return ERROR_SUCCESS;
    return wait == WAIT_TIMEOUT ? ERROR_TIMEOUT : static_cast<long>(GetLastError());
}

void Win32Registry::EndTurn() {
    DWORD error = ERROR_SUCCESS;
    if (const HANDLE mutex = TurnMutex(&error)) ReleaseMutex(mutex);
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
