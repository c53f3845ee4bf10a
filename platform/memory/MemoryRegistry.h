// The in-memory registry: the Win32 registry semantics the add-on relies on, with failure injection,
// a stop that ends the "process" at a chosen write, and a view of the whole tree for tests. One
// internal mutex makes every call atomic; the configuration's turn is a lock of its own.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

class MemoryRegistry : public IRegistry {
public:
    enum class Op { CreateKey, OpenKey, OpenKeyToWrite, QueryValue, SetValue, EnumKey, EnumValue, DeleteKey, DeleteValue, CloseKey, NotifyChange, FlushKey,
                    BeginTurn };

    // One call as the failure predicate sees it. keyPath is the full path of the key the call
    // works on, starting with the root's name ("HKEY_USERS\.DEFAULT\..."): for CreateKey, OpenKey
    // OpenKeyToWrite and DeleteKey the key named by parent and subKey, otherwise the key of the handle. Names are
    // as written by the caller or as stored; compare them with SameName.
    struct Call {
        Op op;
        std::string keyPath;
        std::string valueName;  // QueryValue, SetValue, DeleteValue; empty otherwise
        uint32_t index = 0;     // EnumKey, EnumValue
    };
    // Returns ERROR_SUCCESS to let the call proceed, or the error code the call fails with
    // (outputs untouched). Runs under the registry's lock: it must not call the registry.
    using FailurePredicate = std::function<long(const Call&)>;

    struct Value {
        std::string name;
        uint32_t type = REG_NONE;
        std::vector<uint8_t> data;
    };
    // One key with everything below it; values in enumeration order, subkeys in enumeration order.
    struct Key {
        std::string name;
        std::vector<Value> values;
        std::vector<Key> subkeys;

        const Key* FindSubkey(const std::string& path) const;  // "a\b", any letter case
        const Value* FindValue(const std::string& valueName) const;
        // Names, types, bytes and order all alike, all the way down.
        bool operator==(const Key& other) const;
    };

    MemoryRegistry();
    ~MemoryRegistry() override;

    long CreateKey(HKEY parent, const char* subKey, HKEY* result) override;
    long OpenKey(HKEY parent, const char* subKey, HKEY* result) override;
    // An OpenKey that a failure predicate tells apart, so a test can refuse writes with it.
    long OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) override;
    long QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                    uint32_t* size) override;
    // As Windows does, a string-typed value whose data does not end in a zero but is directly
    // followed by one is stored with that zero: data[size] is read in that case.
    long SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data,
                  uint32_t size) override;
    long EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) override;
    long EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen, uint32_t* type,
                   uint8_t* data, uint32_t* dataSize) override;
    long DeleteKey(HKEY parent, const char* subKey) override;
    long DeleteValue(HKEY key, const char* name) override;
    long CloseKey(HKEY key) override;
    // One turn for every thread that uses this registry, as the named mutex is for every process.
    long FlushKey(HKEY key) override;
    long BeginTurn(uint32_t timeoutMs) override;
    void EndTurn() override;
    // A request is ended and its event signalled by a value set at or below its key, a key
    // created or deleted below it, or its handle closed. A CreateKey that finds every key already
    // there changes nothing and signals nothing. The deletion of the watched key itself signals
    // nothing, as under Wine (Windows signals it): a watch that must see it watches the key above.
    long NotifyChange(HKEY key, void* event) override;
    void* CreateChangeEvent() override;
    bool TakeChangeSignal(void* event) override;
    void CloseChangeEvent(void* event) override;

    // Null removes the predicate.
    void SetFailure(FailurePredicate predicate);

    // Ends the process that writes, as far as the registry can tell, at its mutating call number
    // stopAt counted from 0 from now on (CreateKey, SetValue, DeleteKey and DeleteValue count):
    // that call and every later call but CloseKey fail with ERROR_PROCESS_ABORTED and change
    // nothing, until the next StopAtMutatingCall. nullopt never stops. Either resets the count.
    void StopAtMutatingCall(std::optional<size_t> stopAt);
    // The mutating calls since the last StopAtMutatingCall, the refused one included.
    size_t MutatingCallCount() const;

    // A copy of the key path below root (empty path: the root itself), or nullopt if it is missing.
    std::optional<Key> Snapshot(HKEY root, const std::string& path = std::string()) const;
    // Handles returned by CreateKey/OpenKey and not closed yet.
    size_t OpenHandleCount() const;

    // Key and value names are equal when they differ at most in the letter case of ASCII and
    // Windows-1252 letters.
    static bool SameName(const std::string& a, const std::string& b);

private:
    struct Node;

    std::shared_ptr<Node> Resolve(HKEY key, long* error) const;
    long Fail(const Call& call) const;
    long OpenOrCreate(HKEY parent, const char* subKey, HKEY* result, Op op);
    HKEY NewHandle(const std::shared_ptr<Node>& node);
    // Ends every change request at or above node, signalling its event.
    void Touch(const std::shared_ptr<Node>& node);

    struct ChangeRequest {
        std::weak_ptr<Node> node;
        HKEY handle;
        void* event;
    };

    mutable std::mutex m_mutex;
    std::map<HKEY, std::shared_ptr<Node>> m_roots;
    std::map<HKEY, std::shared_ptr<Node>> m_handles;
    uintptr_t m_nextHandle;
    FailurePredicate m_failure;
    std::optional<size_t> m_stopAt;
    mutable size_t m_mutatingCalls = 0;
    mutable bool m_stopped = false;
    std::recursive_mutex m_turn;
    std::vector<ChangeRequest> m_requests;
    // Event to whether it is signalled.
    std::map<void*, bool> m_events;
    uintptr_t m_nextEvent = 0x10;
};
