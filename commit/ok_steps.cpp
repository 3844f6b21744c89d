// commit/ok_steps.cpp: OK's steps in their order, over one layer.
#include "commit/ok_steps.h"

#include "inventory/inventory.h"

int AnyVendorBoardRemains(const PortInventory& inventory) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord& board = inventory.boards[b];
        if (!board.removed && BoardTypeOf(board.boardType).makers)
            return 1;
    }
    return 0;
}

int RunOkSteps(const PortInventory& inventory, CommitLayer* layer) {
    int changed = CommitRegistryChanges(inventory, layer);
    // Windows 95 writes SYSTEM.DAT only when its lazy flusher runs. Until the registry on the
    // disk no longer names a driver, its files stay: a crash in between would otherwise leave a
    // registry that loads drivers which are gone.
    int onDisk = CommitFlushRegistry(layer) == kRegistryOk;
    // The files depend on the inventory only, not on whether the commit changed anything.
    if (onDisk && !AnyVendorBoardRemains(inventory))
        RemoveDriverFiles(layer);
    // A file left for the restart is only gone once Windows restarts.
    return changed || layer->restartDeletions > 0 ? 1 : 0;
}
