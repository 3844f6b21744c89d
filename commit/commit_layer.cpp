// commit/commit_layer.cpp: the real layer, straight to platform/, and what both layers share.
//
// The real layer makes exactly the platform calls the steps ask for, in their order, and never
// touches the heap: the fault tests and the allocation test see the commit as it always was.
#include "commit/commit_layer.h"

#include <string.h>

#include "platform/files.h"
#include "commit/restart_deletions.h"
#include "platform/text.h"

namespace {

// Sets opened->path; a path that does not fit leaves the layer unsure of what it touches.
void NameOpenedKey(CommitLayer* layer, const CommitKey& parent, const char* path,
                   CommitKey* opened) {
    if (!JoinKeyPath(parent.path, path, opened->path, sizeof opened->path))
        layer->lostTrack = 1;
}

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
        CommitReportValue(layer, key, valueName, data, size,
                          CommitChangeOf(kOkValueWritten, key.path));
    return result;
}

long RealDeleteKey(CommitLayer* layer, const CommitKey& parent, const char* subkey) {
    long result = RegistryDeleteKey(parent.handle, subkey);
    if (result == kRegistryOk && layer->observer != nullptr) {
        char path[kCommitKeyPathSize];
        if (JoinKeyPath(parent.path, subkey, path, sizeof path))
            CommitReport(layer, CommitChangeOf(kOkKeyDeleted, path));
        else
            layer->lostTrack = 1;
    }
    return result;
}

long RealFlushRegistry(CommitLayer*) {
    return RegistryFlush();
}

int RealDeleteFile(CommitLayer* layer, const char* name) {
    int deleted = FilesDelete(name);
    if (deleted && layer->observer != nullptr)
        CommitReportFile(layer, name);
    return deleted;
}

// A file left for the restart stays until WININIT.EXE runs, before anything can load it again.
const CommitLayerOps kRealOps = {RealOpenKey,       RealEnumKey,       RealSetStringValue,
                                 RealDeleteKey,     RealFlushRegistry, RealDeleteFile,
                                 AddRestartDeletion};

}  // namespace

void CommitReport(CommitLayer* layer, const OkChange& change) {
    if (layer->observer != nullptr)
        layer->observer(layer->observerContext, change);
}

OkChange CommitChangeOf(int kind, const char* path) {
    OkChange change;
    memset(&change, 0, sizeof change);
    change.kind = kind;
    change.path = path;
    return change;
}

void CommitReportValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                       const char* data, unsigned long size, OkChange change) {
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
    CommitReport(layer, change);
}

int CommitFilePath(CommitLayer* layer, const char* name, char* path, size_t size) {
    size_t directory = TextLength(layer->currentDirectory), length = TextLength(name);
    if (directory + 1 + length >= size) {
        layer->lostTrack = 1;
        return 0;
    }
    memcpy(path, layer->currentDirectory, directory);
    path[directory] = '\\';
    memcpy(path + directory + 1, name, length + 1);
    return 1;
}

int CommitDeleteFileAtRestart(CommitLayer* layer, const char* name) {
    int (*add)(const char*) = layer->ops->addRestartDeletion;
    char path[kCommitFilePathSize], shortPath[kCommitFilePathSize];
    if (!CommitFilePath(layer, name, path, sizeof path) ||
        FilesGetShortPath(path, shortPath, sizeof shortPath) == 0 ||
        (add != nullptr && add(shortPath) != kRestartDeletionAdded))
        return 0;
    ++layer->restartDeletions;
    CommitReportFile(layer, name, kOkFileDeletedAtRestart);
    return 1;
}

void CommitReportFile(CommitLayer* layer, const char* name, int kind) {
    char path[kCommitFilePathSize];
    if (CommitFilePath(layer, name, path, sizeof path))
        CommitReport(layer, CommitChangeOf(kind, path));
}

void InitCommitLayer(CommitLayer* layer, const CommitLayerOps* ops, OkChangeObserver observer,
                     void* context) {
    layer->ops = ops;
    layer->observer = observer;
    layer->observerContext = context;
    layer->currentDirectory[0] = 0;
    layer->lostTrack = 0;
    layer->restartDeletions = 0;
}

void InitRealCommitLayer(CommitLayer* layer, OkChangeObserver observer, void* context) {
    InitCommitLayer(layer, &kRealOps, observer, context);
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
    size_t length = TextLength(path);
    if (length >= sizeof layer->currentDirectory) {
        layer->currentDirectory[0] = 0;
        layer->lostTrack = 1;
    } else {
        memcpy(layer->currentDirectory, path, length + 1);
    }
    return 1;
}
