// commit/dry_run_layer.cpp: OK's steps as a dry run. Its layer reads the real registry and
// files, changes nothing, hands each change that would take effect to the observer, and
// remembers the keys it "deleted" so that the later steps see the registry as it would then be.
#include <stdint.h>
#include <string.h>

#include "commit/ok_steps.h"

#include "platform/files.h"
#include "platform/regedit_lines.h"
#include "platform/text.h"

namespace {

enum { kMaxDeletedKeys = 1024, kDeletedPathSpace = 49152 };

// A CommitLayer with the dry run's memory of deleted keys (paths packed one after another).
struct DryRunLayer : CommitLayer {
    int deletedCount;
    uint32_t deletedStart[kMaxDeletedKeys];
    uint32_t spaceUsed;
    char space[kDeletedPathSpace];
    RegistryValue oldValue;  // the old value of a PORTNAME about to be written
};

// The layer's calls get the CommitLayer part; every dry-run call was made on a DryRunLayer.
DryRunLayer& DryRun(CommitLayer* layer) {
    return *static_cast<DryRunLayer*>(layer);
}

// 1 when the dry run deleted `path` or a key above it, else 0.
int DeletedKeyOrAbove(const DryRunLayer& layer, const char* path) {
    for (int i = 0; i < layer.deletedCount; ++i) {
        if (IsKeyAtOrBelow(path, layer.space + layer.deletedStart[i]))
            return 1;
    }
    return 0;
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
    } else if (DeletedKeyOrAbove(DryRun(layer), joined)) {
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
        } else if (DeletedKeyOrAbove(DryRun(layer), child)) {
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

// Finds the value the write will replace, for the preview to show.
void ReadOldValueOf(DryRunLayer& dry, const CommitKey& key, const char* valueName,
                    OkChange* change) {
    long result = RegistryFindValue(key.handle, valueName, &dry.oldValue);
    CheckRead(&dry, result, kRegistryNotFound);
    change->oldValue = kOldValueNone;
    if (result != kRegistryOk)
        return;
    change->oldValue = kOldValueRead;
    change->oldValueName = dry.oldValue.name;
    change->oldType = dry.oldValue.type;
    change->oldData = dry.oldValue.data;
    change->oldSize = dry.oldValue.size;
}

long DrySetStringValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                       const char* data, unsigned long size) {
    if (DeletedKeyOrAbove(DryRun(layer), key.path))
        return kRegistryKeyDeleted;
    OkChange change = CommitChangeOf(kOkValueWritten, key.path);
    ReadOldValueOf(DryRun(layer), key, valueName, &change);
    CommitReportValue(layer, key, valueName, data, size, change);
    return kRegistryOk;
}

void RememberDeleted(DryRunLayer& dry, const char* path) {
    size_t length = TextLength(path) + 1;
    if (dry.deletedCount == kMaxDeletedKeys || dry.spaceUsed + length > sizeof dry.space) {
        dry.lostTrack = 1;  // the table is full: later steps could see deleted keys
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
    if (DeletedKeyOrAbove(dry, path))
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

// A file left for the restart is decided as the real run decides, WININIT.INI left as it is.
const CommitLayerOps kDryRunOps = {DryOpenKey,   DryEnumKey,       DrySetStringValue,
                                   DryDeleteKey, DryFlushRegistry, DryDeleteFile,
                                   nullptr};
}  // namespace

int PreviewOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context) {
    DryRunLayer layer;
    InitCommitLayer(&layer, &kDryRunOps, observer, context);
    layer.deletedCount = 0;
    layer.spaceUsed = 0;
    int changed = RunOkSteps(inventory, &layer);
    return layer.lostTrack ? kOkDryRunFailed : changed;
}

int RewritesSameText(const OkChange& change) {
    if (change.kind != kOkValueWritten || change.oldValue != kOldValueRead ||
        change.oldType != kRegTypeString)
        return 0;
    // The same characters, with or without the terminator the old data may lack.
    size_t length = TextLength(change.newText);
    return (change.oldSize == length || change.oldSize == length + 1) &&
           memcmp(change.oldData, change.newText, change.oldSize) == 0;
}
