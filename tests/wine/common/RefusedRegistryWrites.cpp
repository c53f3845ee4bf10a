#include "tests/wine/common/RefusedRegistryWrites.h"

#include <cstring>

namespace wine {

namespace {

using CreateKeyFn = LONG(WINAPI*)(HKEY, LPCSTR, PHKEY);
using DeleteKeyFn = LONG(WINAPI*)(HKEY, LPCSTR);

CreateKeyFn g_createKey = nullptr;
DeleteKeyFn g_deleteKey = nullptr;
volatile LONG g_refused = 0;

LONG WINAPI RefusedCreateKey(HKEY parent, LPCSTR subKey, PHKEY result) {
    if (parent != HKEY_USERS) return g_createKey(parent, subKey, result);
    InterlockedIncrement(&g_refused);
    return ERROR_ACCESS_DENIED;
}

LONG WINAPI RefusedDeleteKey(HKEY parent, LPCSTR subKey) {
    if (parent != HKEY_USERS) return g_deleteKey(parent, subKey);
    InterlockedIncrement(&g_refused);
    return ERROR_ACCESS_DENIED;
}

// Points every import slot of module that holds from at to; the number of slots changed.
int Redirect(HMODULE module, void* from, void* to) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return 0;
    int changed = 0;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name != 0;
         ++entry) {
        for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk); slot->u1.Function != 0; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != from) continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            ++changed;
        }
    }
    return changed;
}

}  // namespace

RefusedRegistryWrites::RefusedRegistryWrites(HMODULE module) : m_module(module) {
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    g_createKey = reinterpret_cast<CreateKeyFn>(reinterpret_cast<void*>(GetProcAddress(advapi, "RegCreateKeyA")));
    g_deleteKey = reinterpret_cast<DeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(advapi, "RegDeleteKeyA")));
    g_refused = 0;
    if (m_module == nullptr || g_createKey == nullptr || g_deleteKey == nullptr) return;
    m_active = Redirect(m_module, reinterpret_cast<void*>(g_createKey), reinterpret_cast<void*>(&RefusedCreateKey)) > 0;
    Redirect(m_module, reinterpret_cast<void*>(g_deleteKey), reinterpret_cast<void*>(&RefusedDeleteKey));
}

RefusedRegistryWrites::~RefusedRegistryWrites() {
    if (m_module == nullptr || g_createKey == nullptr || g_deleteKey == nullptr) return;
    Redirect(m_module, reinterpret_cast<void*>(&RefusedCreateKey), reinterpret_cast<void*>(g_createKey));
    Redirect(m_module, reinterpret_cast<void*>(&RefusedDeleteKey), reinterpret_cast<void*>(g_deleteKey));
}

long RefusedRegistryWrites::Refused() const { return g_refused; }

}  // namespace wine
