// commit/dry_run_layer.h: the layer of a dry run: it reads the real registry and files, changes
// nothing, hands each change that would take effect to the observer, and remembers the keys it
// "deleted" so that the later steps see the registry as it would then be.
#ifndef KORVALIN_COMMIT_DRY_RUN_LAYER_H
#define KORVALIN_COMMIT_DRY_RUN_LAYER_H

#include <stdint.h>

#include "commit/commit_layer.h"

enum {
    kDryRunMaxDeletedKeys = 1024,
    kDryRunDeletedPathSpace = 49152,
    kDryRunValueNameSize = 256,
    kDryRunValueDataSize = 4096,
};

// A CommitLayer with the dry run's memory of deleted keys (paths packed one after another).
struct DryRunLayer : CommitLayer {
    int deletedCount;
    uint32_t deletedStart[kDryRunMaxDeletedKeys];
    uint32_t spaceUsed;
    char space[kDryRunDeletedPathSpace];
    char valueName[kDryRunValueNameSize];  // the old value of a PORTNAME about to be written
    unsigned char valueData[kDryRunValueDataSize];
};

void InitDryRunLayer(DryRunLayer* layer, OkChangeObserver observer, void* context);

#endif
