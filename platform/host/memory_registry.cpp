// platform/host/memory_registry.cpp: the six registry operations over an in-memory tree.
//
// Built to behave like Wine's registry wherever the utility's walks can tell: names match
// without regard to ASCII case, subkeys enumerate in Wine's order (ASCII lower case compared
// byte by byte, a shorter prefix first), short buffers fail with ERROR_MORE_DATA and leave the
// buffer alone, and a key that still has subkeys cannot be deleted.
//
// The operations themselves never touch the heap in their common path, so tests can count
// allocations around the walks and the commit: handles come from a fixed pool, deleted keys
// stay allocated (detached and marked) until the next reset so no handle ever dangles, and a
// string write reuses the value's storage when it fits. Only writing a value a key did not
// have yet allocates.
#include "platform/host/memory_registry.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ascii.h"
#include "platform/host/change_journal.h"
#include "platform/host/regedit_text.h"
#include "platform/registry.h"

namespace {

struct MemoryValue {
    std::string name;
    unsigned long type;
    std::string data;
};

struct MemoryNode {
    std::string name;
    MemoryNode* parent = nullptr;
    std::vector<MemoryNode*> children;  // sorted by CompareNames: enumeration by index is O(1)
    std::vector<MemoryValue> values;    // in the order they were first written
    bool deleted = false;
};

// Loaded values get room to grow, so renaming a port rewrites PORTNAME in place.
const size_t kValueReserve = 32;

}  // namespace

// A key handle: a slot of the pool (or the root's own handle) pointing at a node.
struct MemoryKeyHandle {
    MemoryNode* node;
    bool open;
};

namespace {

struct MemoryRegistryState {
    std::vector<std::unique_ptr<MemoryNode>> nodes;  // every node since the reset, deleted too
    MemoryNode* root = nullptr;
    MemoryKeyHandle rootHandle = {nullptr, true};
    MemoryKeyHandle pool[kMemoryRegistryHandlePoolSize];
    int freeSlots[kMemoryRegistryHandlePoolSize];  // a stack of pool indexes
    int freeCount = 0;
    long operationCount = 0;
    long failAt = 0;  // operation number that fails; 0: none armed
    long failCode = 0;
};

void ResetState(MemoryRegistryState* s) {
    s->nodes.clear();
    s->nodes.push_back(std::unique_ptr<MemoryNode>(new MemoryNode()));
    s->root = s->nodes.back().get();
    s->rootHandle.node = s->root;
    s->rootHandle.open = true;
    for (int i = 0; i < kMemoryRegistryHandlePoolSize; ++i) {
        s->pool[i].node = nullptr;
        s->pool[i].open = false;
        // Lowest slot on top, so handles come out in order: easier to read in a debugger.
        s->freeSlots[i] = kMemoryRegistryHandlePoolSize - 1 - i;
    }
    s->freeCount = kMemoryRegistryHandlePoolSize;
    s->operationCount = 0;
    s->failAt = 0;
    s->failCode = 0;
}

MemoryRegistryState& State() {
    static MemoryRegistryState* state = [] {
        MemoryRegistryState* s = new MemoryRegistryState();
        ResetState(s);
        return s;
    }();
    return *state;
}

// Wine's key order: lower-cased bytes compared in turn, then the shorter name first. Lower, not
// upper: the contract tests show Wine putting "a_b" before "ab" and "AZ" ('_' is 0x5F, between
// the two cases), and those tests run the same expectations on both registries.
int CompareNames(const char* a, size_t aLength, const char* b, size_t bLength) {
    size_t n = aLength < bLength ? aLength : bLength;
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(LowerAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (aLength == bLength)
        return 0;
    return aLength < bLength ? -1 : 1;
}

// Index of the first child not ordered before `name`; *found when that child has the name.
size_t FindChild(const MemoryNode* node, const char* name, size_t length, bool* found) {
    size_t low = 0, high = node->children.size();
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        const std::string& other = node->children[middle]->name;
        if (CompareNames(other.data(), other.size(), name, length) < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    *found = low < node->children.size() &&
             CompareNames(node->children[low]->name.data(), node->children[low]->name.size(), name,
                          length) == 0;
    return low;
}

MemoryValue* FindValue(MemoryNode* node, const char* name) {
    if (name == nullptr)
        name = "";
    size_t length = strlen(name);
    for (MemoryValue& value : node->values) {
        if (CompareNames(value.name.data(), value.name.size(), name, length) == 0)
            return &value;
    }
    return nullptr;
}

// Follows `path` down from `node`. Empty levels are skipped, as Wine does, so an empty or
// null path is the node itself.
long ResolvePath(MemoryNode* node, const char* path, MemoryNode** result) {
    const char* p = path ? path : "";
    while (*p) {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* end = p;
        while (*end && *end != '\\')
            ++end;
        bool found = false;
        size_t index = FindChild(node, p, static_cast<size_t>(end - p), &found);
        if (!found)
            return kRegistryNotFound;
        node = node->children[index];
        p = end;
    }
    *result = node;
    return kRegistryOk;
}

// The handle behind `key`, or null when it is not an open handle of ours.
MemoryKeyHandle* CheckHandle(MemoryRegistryState& s, RegistryKey key) {
    if (key == &s.rootHandle)
        return key;
    uintptr_t address = reinterpret_cast<uintptr_t>(key);
    uintptr_t first = reinterpret_cast<uintptr_t>(&s.pool[0]);
    uintptr_t end = reinterpret_cast<uintptr_t>(&s.pool[kMemoryRegistryHandlePoolSize]);
    if (address < first || address >= end || (address - first) % sizeof(MemoryKeyHandle) != 0) {
        return nullptr;
    }
    return key->open ? key : nullptr;
}

// What every counted operation does first: count, fire an armed fault, check the handle. The
// key's node, or null with *result saying why not.
MemoryNode* BeginOperation(RegistryKey key, long* result) {
    MemoryRegistryState& s = State();
    ++s.operationCount;
    *result = kRegistryOk;
    if (s.failAt != 0 && s.operationCount == s.failAt) {
        s.failAt = 0;
        *result = s.failCode;
        return nullptr;
    }
    MemoryKeyHandle* handle = CheckHandle(s, key);
    if (handle == nullptr || handle->node->deleted) {
        *result = handle == nullptr ? kRegistryInvalidHandle : kRegistryKeyDeleted;
        return nullptr;
    }
    return handle->node;
}

// A node's path below HKEY_LOCAL_MACHINE, for the change hook only (it allocates).
std::string PathOf(const MemoryNode* node) {
    std::string path;
    for (; node != nullptr && node->parent != nullptr; node = node->parent)
        path = path.empty() ? node->name : node->name + "\\" + path;
    return path;
}

MemoryNode* CreateChild(MemoryRegistryState& s, MemoryNode* parent, const char* name,
                        size_t length) {
    bool found = false;
    size_t index;
    // Loads usually arrive sorted: appending after the last child then costs no search or move.
    const std::vector<MemoryNode*>& children = parent->children;
    if (children.empty() || CompareNames(children.back()->name.data(), children.back()->name.size(),
                                         name, length) < 0) {
        index = children.size();
    } else {
        index = FindChild(parent, name, length, &found);
        if (found)
            return children[index];
    }
    s.nodes.push_back(std::unique_ptr<MemoryNode>(new MemoryNode()));
    MemoryNode* node = s.nodes.back().get();
    node->name.assign(name, length);
    node->parent = parent;
    parent->children.insert(parent->children.begin() + static_cast<ptrdiff_t>(index), node);
    return node;
}

void MergeKeys(MemoryRegistryState& s, const std::vector<RegTextKey>& keys) {
    for (const RegTextKey& key : keys) {
        MemoryNode* node = s.root;
        const char* p = key.path.c_str();
        while (*p) {
            const char* end = p;
            while (*end && *end != '\\')
                ++end;
            node = CreateChild(s, node, p, static_cast<size_t>(end - p));
            p = *end ? end + 1 : end;
        }
        for (const RegTextValue& value : key.values) {
            MemoryValue* existing = FindValue(node, value.name.c_str());
            if (existing == nullptr) {
                node->values.push_back(MemoryValue());
                existing = &node->values.back();
                existing->name = value.name;
                existing->data.reserve(kValueReserve);
            }
            existing->type = value.type;
            existing->data = value.data;
        }
    }
}

void SaveKeys(const MemoryNode* node, const std::string& path, std::vector<RegTextKey>* keys) {
    // The root itself only appears when it holds values; every other key always does, so empty
    // keys survive a save and load.
    if (!path.empty() || !node->values.empty()) {
        RegTextKey key;
        key.path = path;
        for (const MemoryValue& value : node->values) {
            key.values.push_back({value.name, value.type, value.data});
        }
        keys->push_back(std::move(key));
    }
    for (const MemoryNode* child : node->children) {
        SaveKeys(child, path.empty() ? child->name : path + "\\" + child->name, keys);
    }
}

}  // namespace

RegistryKey RegistryRoot() {
    return &State().rootHandle;
}

long RegistryOpenKey(RegistryKey parent, const char* path, RegistryKey* opened) {
    MemoryRegistryState& s = State();
    if (opened)
        *opened = nullptr;
    long result;
    MemoryNode* node = BeginOperation(parent, &result);
    if (node == nullptr)
        return result;
    if (opened == nullptr)
        return kRegistryBadArgument;
    MemoryNode* target = nullptr;
    result = ResolvePath(node, path, &target);
    if (result != kRegistryOk)
        return result;
    if (s.freeCount == 0)
        return kMemoryRegistryNoFreeHandle;
    MemoryKeyHandle* handle = &s.pool[s.freeSlots[--s.freeCount]];
    handle->node = target;
    handle->open = true;
    *opened = handle;
    return kRegistryOk;
}

long RegistryEnumKey(RegistryKey key, unsigned long index, char* name, unsigned long* nameLength) {
    long result;
    MemoryNode* node = BeginOperation(key, &result);
    if (node == nullptr)
        return result;
    if (name == nullptr || nameLength == nullptr)
        return kRegistryBadArgument;
    if (index >= node->children.size())
        return kRegistryNoMoreItems;
    const std::string& childName = node->children[index]->name;
    if (childName.size() + 1 > *nameLength)
        return kRegistryMoreData;
    memcpy(name, childName.c_str(), childName.size() + 1);
    *nameLength = static_cast<unsigned long>(childName.size());
    return kRegistryOk;
}

long RegistryQueryValue(RegistryKey key, const char* valueName, void* data, unsigned long* size) {
    long result;
    MemoryNode* node = BeginOperation(key, &result);
    if (node == nullptr)
        return result;
    if (size == nullptr)
        return kRegistryBadArgument;
    const MemoryValue* value = FindValue(node, valueName);
    if (value == nullptr)
        return kRegistryNotFound;
    unsigned long needed = static_cast<unsigned long>(value->data.size());
    // Like Win32: no buffer asks for the size; a short one fails, reports the size needed and
    // is left as it was.
    if (data != nullptr) {
        if (needed > *size) {
            *size = needed;
            return kRegistryMoreData;
        }
        memcpy(data, value->data.data(), needed);
    }
    *size = needed;
    return kRegistryOk;
}

long RegistryEnumValue(RegistryKey key, unsigned long index, char* name, unsigned long* nameLength,
                       unsigned long* type, void* data, unsigned long* size) {
    long result;
    MemoryNode* node = BeginOperation(key, &result);
    if (node == nullptr)
        return result;
    if (name == nullptr || nameLength == nullptr || type == nullptr || size == nullptr)
        return kRegistryBadArgument;
    if (index >= node->values.size())
        return kRegistryNoMoreItems;
    const MemoryValue& value = node->values[index];
    unsigned long needed = static_cast<unsigned long>(value.data.size());
    if (value.name.size() + 1 > *nameLength || (data != nullptr && needed > *size)) {
        *size = needed;
        return kRegistryMoreData;
    }
    memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameLength = static_cast<unsigned long>(value.name.size());
    *type = value.type;
    if (data != nullptr)
        memcpy(data, value.data.data(), needed);
    *size = needed;
    return kRegistryOk;
}

long RegistrySetStringValue(RegistryKey key, const char* valueName, const char* data,
                            unsigned long size) {
    long result;
    MemoryNode* node = BeginOperation(key, &result);
    if (node == nullptr)
        return result;
    if (data == nullptr && size != 0)
        return kRegistryBadArgument;
    if (PlatformChangeHookSet() &&
        !AllowPlatformChange(kChangeValueWritten,
                             (PathOf(node) + "\\" + (valueName ? valueName : "")).c_str()))
        return kRegistryAccessDenied;
    MemoryValue* value = FindValue(node, valueName);
    if (value == nullptr) {
        node->values.push_back(MemoryValue());
        value = &node->values.back();
        value->name = valueName ? valueName : "";
        value->data.reserve(kValueReserve);
    }
    value->type = kRegTypeString;
    value->data.assign(data ? data : "", size);  // in place when it fits the capacity
    return kRegistryOk;
}

long RegistryDeleteKey(RegistryKey parent, const char* subkey) {
    long result;
    MemoryNode* node = BeginOperation(parent, &result);
    if (node == nullptr)
        return result;
    MemoryNode* target = nullptr;
    result = ResolvePath(node, subkey, &target);
    if (result != kRegistryOk)
        return result;
    // Like Wine and NT: a key with subkeys stays, and HKEY_LOCAL_MACHINE itself cannot go.
    if (target == State().root || !target->children.empty())
        return kRegistryAccessDenied;
    if (PlatformChangeHookSet() && !AllowPlatformChange(kChangeKeyDeleted, PathOf(target).c_str()))
        return kRegistryAccessDenied;
    std::vector<MemoryNode*>& siblings = target->parent->children;
    siblings.erase(std::find(siblings.begin(), siblings.end(), target));
    // Kept allocated until the reset: handles to it now fail with ERROR_KEY_DELETED.
    target->deleted = true;
    return kRegistryOk;
}

long RegistryCloseKey(RegistryKey key) {
    MemoryRegistryState& s = State();
    MemoryKeyHandle* handle = CheckHandle(s, key);
    if (handle == nullptr)
        return kRegistryInvalidHandle;
    if (handle == &s.rootHandle)
        return kRegistryOk;  // HKEY_LOCAL_MACHINE stays usable
    handle->open = false;
    handle->node = nullptr;
    s.freeSlots[s.freeCount++] = static_cast<int>(handle - s.pool);
    return kRegistryOk;
}

// Nothing to write anywhere; counted like the others, so a test can make it fail.
long RegistryFlush() {
    long result;
    if (BeginOperation(&State().rootHandle, &result) != nullptr &&
        !AllowPlatformChange(kChangeRegistryFlushed, ""))
        return kRegistryAccessDenied;
    return result;
}

void MemoryRegistryReset() {
    ResetState(&State());
}

bool MemoryRegistryLoad(const char* text, size_t length, std::string* error) {
    std::vector<RegTextKey> keys;
    if (!ParseRegeditText(text, length, &keys, error))
        return false;
    MergeKeys(State(), keys);
    return true;
}

bool MemoryRegistryLoadFile(const char* path, std::string* error) {
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        if (error)
            *error = std::string("cannot open ") + path;
        return false;
    }
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    bool readFailed = ferror(file) != 0;
    fclose(file);
    if (readFailed) {
        if (error)
            *error = std::string("cannot read ") + path;
        return false;
    }
    std::string parseError;
    if (!MemoryRegistryLoad(text.data(), text.size(), &parseError)) {
        if (error)
            *error = std::string(path) + ": " + parseError;
        return false;
    }
    return true;
}

std::string MemoryRegistrySave() {
    std::vector<RegTextKey> keys;
    SaveKeys(State().root, std::string(), &keys);
    return FormatRegeditText(keys);
}

void MemoryRegistryFailOperation(long nth, long code) {
    MemoryRegistryState& s = State();
    s.failAt = nth > 0 ? s.operationCount + nth : 0;
    s.failCode = code;
}

long MemoryRegistryOperationCount() {
    return State().operationCount;
}

int MemoryRegistryOpenHandleCount() {
    return kMemoryRegistryHandlePoolSize - State().freeCount;
}
