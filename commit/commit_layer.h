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

#include <stdint.h>

#include "commit/commit.h"
#include "commit/ok_changes.h"
#include "platform/regedit_lines.h"
#include "platform/registry.h"

enum {
    kCommitKeyPathSize = 256,   // a key path below HKEY_LOCAL_MACHINE
    kCommitFilePathSize = 260,  // a file's full path (MAX_PATH)
    kDryRunMaxDeletedKeys = 1024,
    kDryRunDeletedPathSpace = 49152,
    kDryRunValueNameSize = 256,
    kDryRunValueDataSize = 4096,
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
};

// The dry run's layer and its memory of deleted keys (paths packed one after another).
struct DryRunLayer {
    CommitLayer base;
    int deletedCount;
    uint32_t deletedStart[kDryRunMaxDeletedKeys];
    uint32_t spaceUsed;
    char space[kDryRunDeletedPathSpace];
    char valueName[kDryRunValueNameSize];  // the old value of a PORTNAME about to be written
    unsigned char valueData[kDryRunValueDataSize];
};

// --- commit_layer.cpp
void InitRealCommitLayer(CommitLayer* layer, OkChangeObserver observer, void* context);
void InitCommitLayer(CommitLayer* layer, const CommitLayerOps* ops, OkChangeObserver observer,
                     void* context);

// Shared by both layers: telling the observer of a change, and comparing key paths.
char CommitLowerAscii(char c);
int IsKeyAtOrBelow(const char* path, const char* key);  // without regard to case
OkChange CommitChangeOf(int kind, const char* path);
void CommitReport(CommitLayer* layer, const OkChange& change);
void CommitReportValue(CommitLayer* layer, const CommitKey& key, const char* valueName,
                       const char* data, unsigned long size, OkChange change);
void CommitReportFile(CommitLayer* layer, const char* name);  // in the current directory

// --- dry_run_layer.cpp
void InitDryRunLayer(DryRunLayer* layer, OkChangeObserver observer, void* context);
// 1 when the dry run deleted `path` or a key above it, else 0.
int DryRunDeletedKeyOrAbove(const DryRunLayer& layer, const char* path);
const char* DryRunDeletedKey(const DryRunLayer& layer, int index);

// `path` below `parent`, empty levels dropped. 1: fits; 0: too long (*joined is then "").
int JoinKeyPath(const char* parent, const char* path, char* joined, unsigned size);

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

// --- registry_commit.cpp, driver_files.cpp: OK's steps over a given inventory and layer.
int CommitRegistryChangesThrough(const PortInventory& inventory, CommitLayer* layer);
void RemoveDriverFilesThrough(CommitLayer* layer);

// --- ok_changes.cpp
// The commit, the registry put on the disk, then the driver clean-up when no maker's board is
// left; the commit's changed flag.
int RunOkSteps(const PortInventory& inventory, CommitLayer* layer);

// --- undo_registry_export.cpp
// Writes the key at `path` (its own name spelled as the registry spells it) and its whole
// subtree as REGEDIT4 lines. 1: written; 0: a read or the sink failed.
int ExportKeySubtree(const char* path, RegTextSink sink, void* context);

// --- undo_folder.cpp
// Finds out what OK will change and, when anything, writes and closes an undo folder that puts
// it back. Returns 1 when done (`folder` then names it, or is "" when there is nothing to
// change), 0 when the folder could not be written (`folder` names it, when known).
int WriteUndoFolder(const PortInventory& inventory, char* folder, unsigned size);

#endif
