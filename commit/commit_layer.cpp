// commit/commit_layer.cpp: the real layer (straight to platform/) and the dry-run layer (reads
// real, changes nothing, remembers what it deleted).
//
// The real layer makes exactly the platform calls the steps ask for, in their order, and never
// touches the heap: the fault tests and the allocation test see the commit as it always was.
#include "commit/commit_layer.h"

#include <string.h>

#include "platform/files.h"

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// 1 when `path` is `key` or lies below it, letters compared without regard to case.
int IsAtOrBelow(const char* path, const char* key) {
    for (; *key != 0; ++path, ++key) {
        if (LowerAscii(*path) != LowerAscii(*key))
            return 0;
    }
    return *path == 0 || *path == '\\';
}

void Report(CommitLayer* layer, const OkChange& change) {
    if (layer->observer != nullptr)
        layer->observer(layer->observerContext, change);
}

OkChange ChangeOf(int kind, const char* path) {
    OkChange change;
    memset(&change, 0, sizeof change);
    change.kind = kind;
    change.path = path;
    return change;
}

void ReportValue(CommitLayer* layer, const CommitKey& key, const char* valueName, const char* data,
                 unsigned long size, OkChange change) {
    char text[kCommitKeyPathSize];
    // The commit writes a terminated string; a text of its own keeps the observer safe anyway.
    unsigned long length = size > 0 && data[size - 1] == 0 ? size - 1 : size;
    if (length >= sizeof text)
        length = sizeof text - 1;
    memcpy(text, data, length);
    text[length] = 0;
    change.kind = kOkValueWritten;
    change.path = key.path;
    change.valueName = valueName;
    change.newText = text;
    Report(layer, change);
}

void ReportFile(CommitLayer* layer, const char* name) {
    char path[kCommitFilePathSize];
    size_t directory = strlen(layer->currentDirectory), length = strlen(name);
    if (directory + 1 + length >= sizeof path) {
        layer->lostTrack = 1;
        return;
    }
    memcpy(path, layer->currentDirectory, directory);
    path[directory] = '\\';
    memcpy(path + directory + 1, name, length + 1);
    Report(layer, ChangeOf(kOkFileDeleted, path));
}

// Sets opened->path; a path that does not fit leaves the layer unsure of what it touches.
void NameOpenedKey(CommitLayer* layer, const CommitKey& parent, const char* path,
                   CommitKey* opened) {
    if (!JoinKeyPath(parent.path, path, opened->path, sizeof opened->path))
        layer->lostTrack = 1;
}

// --- the real layer

long RealOpenKey(CommitLayer* layer, const CommitKey& parent, const char* path, CommitKey* opened) {
    long result = RegistryOpenKey(parent.handle, path, &opened->handle);
    if (result == kRegistryOk)
        NameOpenedKey(layer, parent, path, opened);
    return result;
}

long RealEnumKey(CommitLayer*, const CommitKey& key, unsigned long index, char* name,
                 unsigned long* nameLength) {
    return RegistryEnumKey(key.handle, index, name, nameLength);
}

long RealSetStringValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                        const char* data, unsigned long size) {
    long result = RegistrySetStringValue(key.handle, valueName, data, size);
    if (result == kRegistryOk && layer->observer != nullptr)
        ReportValue(layer, key, valueName, data, size, ChangeOf(kOkValueWritten, key.path));
    return result;
}

long RealDeleteKey(CommitLayer* layer, const CommitKey& parent, const char* subkey) {
    long result = RegistryDeleteKey(parent.handle, subkey);
    if (result == kRegistryOk && layer->observer != nullptr) {
        char path[kCommitKeyPathSize];
        if (JoinKeyPath(parent.path, subkey, path, sizeof path))
            Report(layer, ChangeOf(kOkKeyDeleted, path));
        else
            layer->lostTrack = 1;
    }
    return result;
}

int RealDeleteFile(CommitLayer* layer, const char* name) {
    int deleted = FilesDelete(name);
    if (deleted && layer->observer != nullptr)
        ReportFile(layer, name);
    return deleted;
}

const CommitLayerOps kRealOps = {RealOpenKey, RealEnumKey, RealSetStringValue, RealDeleteKey,
                                 RealDeleteFile};

// --- the dry-run layer

DryRunLayer& DryRun(CommitLayer* layer) {
    return *reinterpret_cast<DryRunLayer*>(layer);
}

// Only "not there" is an answer the real run would act on alike; any other failure of a read
// may not happen again when the real run makes it.
void CheckRead(CommitLayer* layer, long result, long expected) {
    if (result != kRegistryOk && result != expected)
        layer->lostTrack = 1;
}

long DryOpenKey(CommitLayer* layer, const CommitKey& parent, const char* path, CommitKey* opened) {
    char joined[kCommitKeyPathSize];
    if (!JoinKeyPath(parent.path, path, joined, sizeof joined)) {
        layer->lostTrack = 1;
    } else if (DryRunDeletedKeyOrAbove(DryRun(layer), joined)) {
        return kRegistryNotFound;
    }
    long result = RegistryOpenKey(parent.handle, path, &opened->handle);
    CheckRead(layer, result, kRegistryNotFound);
    if (result == kRegistryOk)
        memcpy(opened->path, joined, sizeof joined);
    return result;
}

// The real subkeys, less those the dry run deleted.
long DryEnumKey(CommitLayer* layer, const CommitKey& key, unsigned long index, char* name,
                unsigned long* nameLength) {
    char child[kCommitKeyPathSize];
    unsigned long shown = 0;
    for (unsigned long real = 0;; ++real) {
        char found[kCommitKeyPathSize];
        unsigned long length = sizeof found;
        long result = RegistryEnumKey(key.handle, real, found, &length);
        CheckRead(layer, result, kRegistryNoMoreItems);
        if (result != kRegistryOk)
            return result;
        if (!JoinKeyPath(key.path, found, child, sizeof child)) {
            layer->lostTrack = 1;
        } else if (DryRunDeletedKeyOrAbove(DryRun(layer), child)) {
            continue;
        }
        if (shown++ < index)
            continue;
        if (length + 1 > *nameLength)
            return kRegistryMoreData;
        memcpy(name, found, length + 1);
        *nameLength = length;
        return kRegistryOk;
    }
}

// Finds the value the write will replace, so the undo can put it back exactly. Names are read
// first without the data: another value of the key too big for the buffer does not matter.
void ReadOldValue(DryRunLayer& dry, const CommitKey& key, const char* valueName, OkChange* change) {
    change->oldValue = kOldValueNone;
    for (unsigned long index = 0;; ++index) {
        unsigned long nameLength = sizeof dry.valueName, type = 0, size = 0;
        long result =
            RegistryEnumValue(key.handle, index, dry.valueName, &nameLength, &type, nullptr, &size);
        CheckRead(&dry.base, result, kRegistryNoMoreItems);
        if (result != kRegistryOk)
            return;
        const char* a = dry.valueName;
        const char* b = valueName;
        while (*a != 0 && LowerAscii(*a) == LowerAscii(*b))
            ++a, ++b;
        if (*a != 0 || *b != 0)
            continue;
        nameLength = sizeof dry.valueName;
        size = sizeof dry.valueData;
        result = RegistryEnumValue(key.handle, index, dry.valueName, &nameLength, &type,
                                   dry.valueData, &size);
        if (result != kRegistryOk) {
            dry.base.lostTrack = 1;  // the old value cannot be kept for the undo
            return;
        }
        change->oldValue = kOldValueRead;
        change->oldValueName = dry.valueName;
        change->oldType = type;
        change->oldData = dry.valueData;
        change->oldSize = size;
        return;
    }
}

long DrySetStringValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                       const char* data, unsigned long size) {
    if (DryRunDeletedKeyOrAbove(DryRun(layer), key.path))
        return kRegistryKeyDeleted;
    OkChange change = ChangeOf(kOkValueWritten, key.path);
    ReadOldValue(DryRun(layer), key, valueName, &change);
    ReportValue(layer, key, valueName, data, size, change);
    return kRegistryOk;
}

void RememberDeleted(DryRunLayer& dry, const char* path) {
    size_t length = strlen(path) + 1;
    if (dry.deletedCount == kDryRunMaxDeletedKeys || dry.spaceUsed + length > sizeof dry.space) {
        dry.base.lostTrack = 1;  // the table is full: later steps could see deleted keys
        return;
    }
    dry.deletedStart[dry.deletedCount++] = dry.spaceUsed;
    memcpy(dry.space + dry.spaceUsed, path, length);
    dry.spaceUsed += static_cast<uint32_t>(length);
}

// Deletes only where the platform would: the key is there and every subkey already went.
long DryDeleteKey(CommitLayer* layer, const CommitKey& parent, const char* subkey) {
    DryRunLayer& dry = DryRun(layer);
    char path[kCommitKeyPathSize];
    if (!JoinKeyPath(parent.path, subkey, path, sizeof path)) {
        layer->lostTrack = 1;
        return kRegistryBadArgument;
    }
    if (DryRunDeletedKeyOrAbove(dry, path))
        return kRegistryNotFound;
    CommitKey key;
    long result = CommitOpenKey(layer, parent, subkey, &key);
    if (result != kRegistryOk)
        return result;
    char name[kCommitKeyPathSize];
    unsigned long length = sizeof name;
    long subkeys = CommitEnumKey(layer, key, 0, name, &length);
    CommitCloseKey(&key);
    if (path[0] == 0 || subkeys != kRegistryNoMoreItems)
        return kRegistryAccessDenied;  // HKEY_LOCAL_MACHINE itself, or a key with subkeys
    RememberDeleted(dry, path);
    Report(layer, ChangeOf(kOkKeyDeleted, path));
    return kRegistryOk;
}

int DryDeleteFile(CommitLayer* layer, const char* name) {
    if (!FilesCanDelete(name))
        return 0;
    ReportFile(layer, name);
    return 1;
}

const CommitLayerOps kDryRunOps = {DryOpenKey, DryEnumKey, DrySetStringValue, DryDeleteKey,
                                   DryDeleteFile};

void InitLayer(CommitLayer* layer, const CommitLayerOps* ops, OkChangeObserver observer,
               void* context) {
    layer->ops = ops;
    layer->observer = observer;
    layer->observerContext = context;
    layer->currentDirectory[0] = 0;
    layer->lostTrack = 0;
}

}  // namespace

void InitRealCommitLayer(CommitLayer* layer, OkChangeObserver observer, void* context) {
    InitLayer(layer, &kRealOps, observer, context);
}

void InitDryRunLayer(DryRunLayer* layer, OkChangeObserver observer, void* context) {
    InitLayer(&layer->base, &kDryRunOps, observer, context);
    layer->deletedCount = 0;
    layer->spaceUsed = 0;
}

int DryRunDeletedKeyOrAbove(const DryRunLayer& layer, const char* path) {
    for (int i = 0; i < layer.deletedCount; ++i) {
        if (IsAtOrBelow(path, DryRunDeletedKey(layer, i)))
            return 1;
    }
    return 0;
}

const char* DryRunDeletedKey(const DryRunLayer& layer, int index) {
    return layer.space + layer.deletedStart[index];
}

int JoinKeyPath(const char* parent, const char* path, char* joined, unsigned size) {
    size_t length = strlen(parent);
    if (length >= size) {
        joined[0] = 0;
        return 0;
    }
    memcpy(joined, parent, length + 1);
    for (const char* p = path; p != nullptr && *p != 0;) {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* end = p;
        while (*end != 0 && *end != '\\')
            ++end;
        size_t level = static_cast<size_t>(end - p);
        size_t separator = length > 0 ? 1 : 0;
        if (length + separator + level >= size) {
            joined[0] = 0;
            return 0;
        }
        if (separator)
            joined[length++] = '\\';
        memcpy(joined + length, p, level);
        length += level;
        joined[length] = 0;
        p = end;
    }
    return 1;
}

void CommitRootKey(CommitKey* root) {
    root->handle = RegistryRoot();
    root->path[0] = 0;
}

void CommitCloseKey(CommitKey* key) {
    RegistryCloseKey(key->handle);
}

int CommitSetCurrentDirectory(CommitLayer* layer, const char* path) {
    if (!FilesSetCurrentDirectory(path))
        return 0;
    size_t length = strlen(path);
    if (length >= sizeof layer->currentDirectory) {
        layer->currentDirectory[0] = 0;
        layer->lostTrack = 1;
    } else {
        memcpy(layer->currentDirectory, path, length + 1);
    }
    return 1;
}
