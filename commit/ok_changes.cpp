// commit/ok_changes.cpp: OK's steps run as a dry run, for real, and for real behind an undo
// folder.
#include "commit/ok_changes.h"

#include "commit/commit.h"
#include "commit/commit_layer.h"

int RunOkSteps(const PortInventory& inventory, CommitLayer* layer) {
    int changed = CommitRegistryChangesThrough(inventory, layer);
    // Windows 95 writes SYSTEM.DAT only when its lazy flusher runs. Until the registry on the
    // disk no longer names a driver, its files stay: a crash in between would otherwise leave a
    // registry that loads drivers which are gone.
    int onDisk = CommitFlushRegistry(layer) == kRegistryOk;
    // The files depend on the inventory only, not on whether the commit changed anything.
    if (onDisk && !AnyVendorBoardRemainsIn(inventory))
        RemoveDriverFilesThrough(layer);
    return changed;
}

int PreviewOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context) {
    DryRunLayer layer;
    InitDryRunLayer(&layer, observer, context);
    int changed = RunOkSteps(inventory, &layer.base);
    return layer.base.lostTrack ? kOkDryRunFailed : changed;
}

int ApplyOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context) {
    CommitLayer layer;
    InitRealCommitLayer(&layer, observer, context);
    return RunOkSteps(inventory, &layer);
}

void CarryOutOkChanges(const PortInventory& inventory, OkOutcome* outcome,
                       OkChangeObserver observer, void* context) {
    outcome->changed = 0;
    if (!WriteUndoFolder(inventory, outcome->undoFolder, sizeof outcome->undoFolder)) {
        outcome->result = kOkUndoNotWritten;
        return;
    }
    outcome->result = kOkDone;
    outcome->changed = ApplyOkChanges(inventory, observer, context);
}
