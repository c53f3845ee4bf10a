// The in-memory registry and the native default registry service.
#include "platform/memory/MemoryRegistry.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Platform.h"
#include "platform/RegistryNames.h"

namespace {

bool IsStringType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The registry skips the empty parts that doubled or trailing backslashes make.
std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    if (path == nullptr) return parts;
    std::string part;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

struct MemoryRegistry::Node {
    std::string name;
    std::weak_ptr<Node> parent;
    bool deleted = false;
    std::vector<Value> values;                    // in the order they were first set
    std::vector<std::shared_ptr<Node>> children;  // sorted by name without regard to case

    // Children are sorted, so a set of 10,000 tweak keys is searched, not walked.
    std::shared_ptr<Node> Find(const std::string& childName) const {
        const auto at = std::lower_bound(children.begin(), children.end(), childName,
                                         [](const std::shared_ptr<Node>& child, const std::string& n) {
                                             return CompareRegistryNames(child->name, n) < 0;
                                         });
        return at != children.end() && SameName((*at)->name, childName) ? *at : nullptr;
    }

    Value* FindValue(const std::string& valueName) {
        for (auto& value : values) {
            if (SameName(value.name, valueName)) return &value;
        }
        return nullptr;
    }

    std::string Path() const {
        std::string path = name;
        for (auto up = parent.lock(); up; up = up->parent.lock()) path = up->name + "\\" + path;
        return path;
    }

    Key ToKey() const {
        Key key;
        key.name = name;
        key.values = values;
        for (const auto& child : children) key.subkeys.push_back(child->ToKey());
        return key;
    }
};

bool MemoryRegistry::SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareRegistryNames(a, b) == 0;
}

const MemoryRegistry::Key* MemoryRegistry::Key::FindSubkey(const std::string& path) const {
    const Key* key = this;
    for (const std::string& part : SplitPath(path.c_str())) {
        const Key* next = nullptr;
        for (const Key& sub : key->subkeys) {
            if (SameName(sub.name, part)) next = &sub;
        }
        if (next == nullptr) return nullptr;
        key = next;
    }
    return key;
}

const MemoryRegistry::Value* MemoryRegistry::Key::FindValue(const std::string& valueName) const {
    for (const Value& value : values) {
        if (SameName(value.name, valueName)) return &value;
    }
    return nullptr;
}

MemoryRegistry::MemoryRegistry() : m_nextHandle(0x1000) {
    const std::pair<HKEY, const char*> roots[] = {
        {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
        {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
        {HKEY_USERS, "HKEY_USERS"},
    };
    for (const auto& root : roots) {
        auto node = std::make_shared<Node>();
        node->name = root.second;
        m_roots[root.first] = node;
    }
    auto defaultUser = std::make_shared<Node>();
    defaultUser->name = ".DEFAULT";
    defaultUser->parent = m_roots[HKEY_USERS];
    m_roots[HKEY_USERS]->children.push_back(defaultUser);
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::SetFailure(FailurePredicate predicate) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_failure = std::move(predicate);
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Resolve(HKEY key, long* error) const {
    auto root = m_roots.find(key);
    std::shared_ptr<Node> node;
    if (root != m_roots.end()) {
        node = root->second;
    } else {
        auto handle = m_handles.find(key);
        if (handle == m_handles.end()) {
            *error = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        node = handle->second;
    }
    if (node->deleted) {
        *error = ERROR_KEY_DELETED;
        return nullptr;
    }
    *error = ERROR_SUCCESS;
    return node;
}

long MemoryRegistry::Fail(const Call& call) const {
    if (m_stopped) return ERROR_PROCESS_ABORTED;
    const bool mutating = call.op == Op::CreateKey || call.op == Op::SetValue || call.op == Op::DeleteKey ||
                          call.op == Op::DeleteValue;
    if (mutating && m_stopAt && m_mutatingCalls++ == *m_stopAt) {
        m_stopped = true;
        return ERROR_PROCESS_ABORTED;
    }
    if (mutating && !m_stopAt) ++m_mutatingCalls;
    return m_failure ? m_failure(call) : ERROR_SUCCESS;
}

void MemoryRegistry::StopAtMutatingCall(std::optional<size_t> stopAt) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_stopAt = stopAt;
    m_mutatingCalls = 0;
    m_stopped = false;
}

size_t MemoryRegistry::MutatingCallCount() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_mutatingCalls;
}

long MemoryRegistry::BeginTurn(uint32_t timeoutMs) {
    {
        // Refused as Windows refuses a process that may not write the configuration.
        std::lock_guard<std::mutex> guard(m_mutex);
        const long refused = Fail({Op::BeginTurn, std::string(), std::string(), 0});
        if (refused != ERROR_SUCCESS) return refused;
    }
    // Polled with try_lock, which ThreadSanitizer follows (it does not see a timed lock's wait).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!m_turn.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline) return ERROR_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return ERROR_SUCCESS;
}

void MemoryRegistry::EndTurn() { m_turn.unlock(); }

HKEY MemoryRegistry::NewHandle(const std::shared_ptr<Node>& node) {
    const HKEY handle = reinterpret_cast<HKEY>(m_nextHandle);
    m_nextHandle += 4;
    m_handles[handle] = node;
    return handle;
}

long MemoryRegistry::OpenOrCreate(HKEY parent, const char* subKey, HKEY* result, Op op) {
    const bool create = op == Op::CreateKey;
    std::lock_guard<std::mutex> guard(m_mutex);
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    // Like Win32, a failed open leaves a null handle behind.
    *result = nullptr;
    long error;
    std::shared_ptr<Node> node = Resolve(parent, &error);
    if (!node) return error;
    const std::vector<std::string> parts = SplitPath(subKey);
    Call call{op, node->Path(), std::string(), 0};
    for (const std::string& part : parts) call.keyPath += "\\" + part;
    if ((error = Fail(call)) != ERROR_SUCCESS) return error;

    // A missing key is found out before anything is created, so a failed open changes nothing.
    for (const std::string& part : parts) {
        std::shared_ptr<Node> child = node->Find(part);
        if (!child) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            child = std::make_shared<Node>();
            child->name = part;
            child->parent = node;
            auto at = std::upper_bound(node->children.begin(), node->children.end(), part,
                                       [](const std::string& n, const std::shared_ptr<Node>& other) {
                                           return CompareRegistryNames(n, other->name) < 0;
                                       });
            node->children.insert(at, child);
            Touch(child);
        }
        node = child;
    }
    *result = NewHandle(node);
    return ERROR_SUCCESS;
}

long MemoryRegistry::CreateKey(HKEY parent, const char* subKey, HKEY* result) {
    return OpenOrCreate(parent, subKey, result, Op::CreateKey);
}

long MemoryRegistry::OpenKey(HKEY parent, const char* subKey, HKEY* result) {
    return OpenOrCreate(parent, subKey, result, Op::OpenKey);
}

long MemoryRegistry::OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) {
    return OpenOrCreate(parent, subKey, result, Op::OpenKeyToWrite);
}

long MemoryRegistry::QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                                uint32_t* size) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    // Like Win32, the type reads as REG_NONE and a size-only query as 0 until a value is found.
    if (type) *type = REG_NONE;
    if (data == nullptr && size != nullptr) *size = 0;
    const std::string valueName = name ? name : "";
    if ((error = Fail({Op::QueryValue, node->Path(), valueName, 0})) != ERROR_SUCCESS) return error;
    const Value* value = node->FindValue(valueName);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;

    const uint32_t need = static_cast<uint32_t>(value->data.size());
    if (type) *type = value->type;
    if (data != nullptr) {
        if (*size < need) {
            *size = need;
            return ERROR_MORE_DATA;
        }
        if (need > 0) std::memcpy(data, value->data.data(), need);
        // Like Windows, a stored string without its terminating zero gets one when there is room.
        if (IsStringType(value->type) && need > 0 && need < *size && data[need - 1] != 0) {
            data[need] = 0;
        }
    }
    if (size) *size = need;
    return ERROR_SUCCESS;
}

long MemoryRegistry::SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data,
                              uint32_t size) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    const std::string valueName = name ? name : "";
    if ((error = Fail({Op::SetValue, node->Path(), valueName, 0})) != ERROR_SUCCESS) return error;
    if (data == nullptr && size > 0) return ERROR_INVALID_PARAMETER;
    // Like Windows: a string whose size leaves out a terminating zero that directly follows it
    // is stored with that zero.
    if (IsStringType(type) && size > 0 && data[size - 1] != 0 && data[size] == 0) ++size;

    Value* value = node->FindValue(valueName);
    if (value == nullptr) {
        node->values.push_back(Value{valueName, type, {}});
        value = &node->values.back();
    }
    value->type = type;
    value->data.assign(data, data + size);
    Touch(node);
    return ERROR_SUCCESS;
}

long MemoryRegistry::EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    if ((error = Fail({Op::EnumKey, node->Path(), std::string(), index})) != ERROR_SUCCESS) {
        return error;
    }
    if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& childName = node->children[index]->name;
    if (name == nullptr || childName.size() + 1 > nameSize) return ERROR_MORE_DATA;
    std::memcpy(name, childName.c_str(), childName.size() + 1);
    return ERROR_SUCCESS;
}

long MemoryRegistry::EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen,
                               uint32_t* type, uint8_t* data, uint32_t* dataSize) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    if ((error = Fail({Op::EnumValue, node->Path(), std::string(), index})) != ERROR_SUCCESS) {
        return error;
    }
    if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    if (name == nullptr || nameLen == nullptr) return ERROR_INVALID_PARAMETER;
    if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;

    const Value& value = node->values[index];
    const uint32_t need = static_cast<uint32_t>(value.data.size());
    if (type) *type = value.type;
    if (data != nullptr && *dataSize < need) {
        *dataSize = need;
        return ERROR_MORE_DATA;
    }
    if (value.name.size() + 1 > *nameLen) {
        if (dataSize) *dataSize = need;
        return ERROR_MORE_DATA;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameLen = static_cast<uint32_t>(value.name.size());
    if (data != nullptr) {
        if (need > 0) std::memcpy(data, value.data.data(), need);
        if (IsStringType(value.type) && need > 0 && need < *dataSize && data[need - 1] != 0) {
            data[need] = 0;
        }
    }
    if (dataSize) *dataSize = need;
    return ERROR_SUCCESS;
}

long MemoryRegistry::DeleteKey(HKEY parent, const char* subKey) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(parent, &error);
    if (!node) return error;
    if (subKey == nullptr) return ERROR_INVALID_PARAMETER;
    const std::vector<std::string> parts = SplitPath(subKey);
    Call call{Op::DeleteKey, node->Path(), std::string(), 0};
    for (const std::string& part : parts) call.keyPath += "\\" + part;
    if ((error = Fail(call)) != ERROR_SUCCESS) return error;

    for (const std::string& part : parts) {
        node = node->Find(part);
        if (!node) return ERROR_FILE_NOT_FOUND;
    }
    std::shared_ptr<Node> up = node->parent.lock();
    if (!up || !node->children.empty()) return ERROR_ACCESS_DENIED;
    up->children.erase(std::find(up->children.begin(), up->children.end(), node));
    node->deleted = true;
    Touch(up);
    return ERROR_SUCCESS;
}

long MemoryRegistry::DeleteValue(HKEY key, const char* name) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    const std::string valueName = name ? name : "";
    if ((error = Fail({Op::DeleteValue, node->Path(), valueName, 0})) != ERROR_SUCCESS) return error;
    const auto found = std::find_if(node->values.begin(), node->values.end(),
                                    [&](const Value& value) { return SameName(value.name, valueName); });
    if (found == node->values.end()) return ERROR_FILE_NOT_FOUND;
    node->values.erase(found);
    return ERROR_SUCCESS;
}

long MemoryRegistry::FlushKey(HKEY key) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    const std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    // Everything here is as lasting as it will ever be; the failure predicate sees the call.
    return Fail({Op::FlushKey, node->Path(), std::string(), 0});
}

long MemoryRegistry::CloseKey(HKEY key) {
    std::lock_guard<std::mutex> guard(m_mutex);
    // Like Win32, every value of the predefined keys' range closes without error.
    const uintptr_t bits = reinterpret_cast<uintptr_t>(key);
    if (static_cast<int32_t>(bits) < 0 && static_cast<intptr_t>(bits) == static_cast<int32_t>(bits)) {
        return ERROR_SUCCESS;
    }
    auto handle = m_handles.find(key);
    if (handle == m_handles.end()) return ERROR_INVALID_HANDLE;
    // The handles of an ended process are closed for it: the stop does not refuse this.
    const long error = m_stopped ? ERROR_SUCCESS : Fail({Op::CloseKey, handle->second->Path(), std::string(), 0});
    if (error != ERROR_SUCCESS) return error;
    m_handles.erase(handle);
    for (auto request = m_requests.begin(); request != m_requests.end();) {
        if (request->handle != key) {
            ++request;
            continue;
        }
        m_events[request->event] = true;
        request = m_requests.erase(request);
    }
    return ERROR_SUCCESS;
}

void MemoryRegistry::Touch(const std::shared_ptr<Node>& node) {
    for (auto request = m_requests.begin(); request != m_requests.end();) {
        const std::shared_ptr<Node> watched = request->node.lock();
        bool below = false;
        for (auto at = node; at && !below; at = at->parent.lock()) below = at == watched;
        if (!below) {
            ++request;
            continue;
        }
        m_events[request->event] = true;
        request = m_requests.erase(request);
    }
}

long MemoryRegistry::NotifyChange(HKEY key, void* event) {
    std::lock_guard<std::mutex> guard(m_mutex);
    long error;
    std::shared_ptr<Node> node = Resolve(key, &error);
    if (!node) return error;
    if (m_events.count(event) == 0) return ERROR_INVALID_HANDLE;
    if ((error = Fail({Op::NotifyChange, node->Path(), std::string(), 0})) != ERROR_SUCCESS) return error;
    m_requests.push_back({node, key, event});
    return ERROR_SUCCESS;
}

void* MemoryRegistry::CreateChangeEvent() {
    std::lock_guard<std::mutex> guard(m_mutex);
    void* event = reinterpret_cast<void*>(m_nextEvent);
    m_nextEvent += 4;
    m_events[event] = false;
    return event;
}

bool MemoryRegistry::TakeChangeSignal(void* event) {
    std::lock_guard<std::mutex> guard(m_mutex);
    const auto found = m_events.find(event);
    if (found == m_events.end() || !found->second) return false;
    found->second = false;
    return true;
}

void MemoryRegistry::CloseChangeEvent(void* event) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_events.erase(event);
}

std::optional<MemoryRegistry::Key> MemoryRegistry::Snapshot(HKEY root,
                                                            const std::string& path) const {
    std::lock_guard<std::mutex> guard(m_mutex);
    auto found = m_roots.find(root);
    if (found == m_roots.end()) return std::nullopt;
    std::shared_ptr<Node> node = found->second;
    for (const std::string& part : SplitPath(path.c_str())) {
        node = node->Find(part);
        if (!node) return std::nullopt;
    }
    return node->ToKey();
}

size_t MemoryRegistry::OpenHandleCount() const {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_handles.size();
}

IRegistry& DefaultRegistry() {
    static MemoryRegistry registry;
    return registry;
}

bool MemoryRegistry::Key::operator==(const Key& other) const {
    if (name != other.name || values.size() != other.values.size() || subkeys != other.subkeys)
        return false;
    for (size_t i = 0; i < values.size(); ++i) {
        const Value& a = values[i];
        const Value& b = other.values[i];
        if (a.name != b.name || a.type != b.type || a.data != b.data) return false;
    }
    return true;
}
