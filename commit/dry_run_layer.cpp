// commit/dry_run_layer.cpp: the dry-run layer: reads the real registry and files, changes
// nothing, hands each change that would take effect to the observer, and remembers the keys it
// deleted so that the later steps see the registry as it would then be.
#include <string.h>

#include "commit/commit_layer.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

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
        while (*a != 0 && CommitLowerAscii(*a) == CommitLowerAscii(*b))
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
    OkChange change = CommitChangeOf(kOkValueWritten, key.path);
    ReadOldValue(DryRun(layer), key, valueName, &change);
    CommitReportValue(layer, key, valueName, data, size, change);
    return kRegistryOk;
}

void RememberDeleted(DryRunLayer& dry, const char* path) {
    size_t length = TextLength(path) + 1;
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
    CommitReport(layer, CommitChangeOf(kOkKeyDeleted, path));
    return kRegistryOk;
}

// Nothing was written, so nothing waits for the disk.
long DryFlushRegistry(CommitLayer*) {
    return kRegistryOk;
}

int DryDeleteFile(CommitLayer* layer, const char* name) {
    if (!FilesCanDelete(name))
        return 0;
    CommitReportFile(layer, name);
    return 1;
}

const CommitLayerOps kDryRunOps = {DryOpenKey,   DryEnumKey,       DrySetStringValue,
                                   DryDeleteKey, DryFlushRegistry, DryDeleteFile};
}  // namespace

void InitDryRunLayer(DryRunLayer* layer, OkChangeObserver observer, void* context) {
    InitCommitLayer(&layer->base, &kDryRunOps, observer, context);
    layer->deletedCount = 0;
    layer->spaceUsed = 0;
}

int DryRunDeletedKeyOrAbove(const DryRunLayer& layer, const char* path) {
    for (int i = 0; i < layer.deletedCount; ++i) {
        if (IsKeyAtOrBelow(path, DryRunDeletedKey(layer, i)))
            return 1;
    }
    return 0;
}

const char* DryRunDeletedKey(const DryRunLayer& layer, int index) {
    return layer.space + layer.deletedStart[index];
}
