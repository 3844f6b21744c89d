// commit/commit_layer.h: the registry and file calls of OK's steps, behind one small layer.
//
// The commit and the driver clean-up make every call through a CommitLayer. The real layer
// passes each call to platform/ and may tell an observer of each change that took effect; the
// dry-run layer reads the real registry and files but changes nothing: it hands each change to
// the observer instead and remembers the keys it "deleted", so that later steps see the
// registry as it would then be. Both report only changes that take effect, so the dry run's list
// is what the real run then does.
#ifndef KORVALIN_COMMIT_COMMIT_LAYER_H
#define KORVALIN_COMMIT_COMMIT_LAYER_H

#include "commit/ok_changes.h"
#include "platform/limits.h"
#include "platform/registry.h"

enum {
    kCommitKeyPathSize = 256,         // a key path below HKEY_LOCAL_MACHINE
    kCommitFilePathSize = kPathSize,  // a file's full path
};

// An open key together with its path below HKEY_LOCAL_MACHINE ("" for the root itself), so
// that the layer knows what a change touches.
struct CommitKey {
    RegistryKey handle;
    char path[kCommitKeyPathSize];
};

struct CommitLayer;

// The calls whose meaning differs between the real run and the dry run; results as in
// platform/registry.h and platform/files.h.
struct CommitLayerOps {
    long (*openKey)(CommitLayer* layer, const CommitKey& parent, const char* path,
                    CommitKey* opened);
    long (*enumKey)(CommitLayer* layer, const CommitKey& key, unsigned long index, char* name,
                    unsigned long* nameLength);
    long (*setStringValue)(CommitLayer* layer, const CommitKey& key, const char* valueName,
                           const char* data, unsigned long size);
    long (*deleteKey)(CommitLayer* layer, const CommitKey& parent, const char* subkey);
    long (*flushRegistry)(CommitLayer* layer);
    int (*deleteFile)(CommitLayer* layer, const char* name);
    // Adds a short (8.3) full path to WININIT.INI's deletions; a RestartDeletionResult. Null in
    // the dry run, which leaves WININIT.INI as it is and decides the rest as the real run does.
    int (*addRestartDeletion)(const char* shortPath);
};

struct CommitLayer {
    const CommitLayerOps* ops;
    OkChangeObserver observer;  // may be null
    void* observerContext;
    char currentDirectory[kCommitFilePathSize];  // where relative file names are taken from
    // Set when the layer lost track of what a change touches (a path too long, a table full, a
    // read that failed for another reason than "not there"). A dry run that set it cannot be
    // trusted; the real run goes on regardless, exactly as without a layer.
    int lostTrack;
    int restartDeletions;  // files left to be deleted at the restart: the restart must follow
};

// --- commit_layer.cpp
void InitRealCommitLayer(CommitLayer* layer, OkChangeObserver observer, void* context);
void InitCommitLayer(CommitLayer* layer, const CommitLayerOps* ops, OkChangeObserver observer,
                     void* context);

// Shared by both layers: telling the observer of a change.
OkChange CommitChangeOf(int kind, const char* path);
void CommitReport(CommitLayer* layer, const OkChange& change);
void CommitReportValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                       const char* data, unsigned long size, OkChange change);
// A file of the current directory, by kind (kOkFileDeleted or kOkFileDeletedAtRestart).
void CommitReportFile(CommitLayer* layer, const char* name, int kind = kOkFileDeleted);
// A file of the current directory as a full path. 0 when it does not fit (the layer lost track).
int CommitFilePath(CommitLayer* layer, const char* name, char* path, size_t size);

void CommitRootKey(CommitKey* root);
inline long CommitOpenKey(CommitLayer* layer, const CommitKey& parent, const char* path,
                          CommitKey* opened) {
    return layer->ops->openKey(layer, parent, path, opened);
}
inline long CommitEnumKey(CommitLayer* layer, const CommitKey& key, unsigned long index, char* name,
                          unsigned long* nameLength) {
    return layer->ops->enumKey(layer, key, index, name, nameLength);
}
inline long CommitSetStringValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                                 const char* data, unsigned long size) {
    return layer->ops->setStringValue(layer, key, valueName, data, size);
}
inline long CommitDeleteKey(CommitLayer* layer, const CommitKey& parent, const char* subkey) {
    return layer->ops->deleteKey(layer, parent, subkey);
}
inline long CommitFlushRegistry(CommitLayer* layer) {
    return layer->ops->flushRegistry(layer);
}
void CommitCloseKey(CommitKey* key);
// Both runs really move there: the clean-up's searches read the real directories.
int CommitSetCurrentDirectory(CommitLayer* layer, const char* path);
inline int CommitDeleteFile(CommitLayer* layer, const char* name) {
    return layer->ops->deleteFile(layer, name);
}
// A file of the current directory that another program holds open: Windows 95 would delete it
// under that program, so its short (8.3) full path goes into WININIT.INI, to be deleted at the
// next restart; then it is counted and the observer told. 1: it will be; 0: the short path
// cannot be had or WININIT.INI refused it, and the file is left alone.
int CommitDeleteFileAtRestart(CommitLayer* layer, const char* name);

#endif
