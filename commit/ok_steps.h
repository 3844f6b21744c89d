// commit/ok_steps.h: OK's steps, run through a CommitLayer: for real, or as a dry run that only
// says what they would change. commit/ok_changes.h is how the rest of the utility runs them.
#ifndef KORVALIN_COMMIT_OK_STEPS_H
#define KORVALIN_COMMIT_OK_STEPS_H

#include "commit/commit_layer.h"

struct PortInventory;
struct TextReader;

// --- ok_steps.cpp
// The registry commit, the registry put on the disk, then the driver clean-up when no maker's
// board is left; returns 1 when a restart must follow (the commit changed a board's keys, or a
// file in use was left for the restart to delete), else 0.
int RunOkSteps(const PortInventory& inventory, CommitLayer* layer);
// 1 when a board of the maker's (not removed, not a Standard COM Port) is left, else 0; the
// maker's INF and driver files go only when none is.
int AnyVendorBoardRemains(const PortInventory& inventory);

// --- registry_commit.cpp
// Writes the inventory's removals and renames to the registry, then sweeps empty device keys,
// empty multifunction child keys and orphaned class keys. Returns 1 when a board's keys were
// changed (the restart prompt follows), else 0. Changes made before a failure stay.
int CommitRegistryChanges(const PortInventory& inventory, CommitLayer* layer);
// 1 when `path` names a key inside the System, Ports or MultiFunction class (any letter case),
// below the class key itself and with no empty level; else 0. Guards every class-key deletion.
int IsClassKeyPath(const char* path);

// --- driver_files.cpp
// Deletes the maker's OEM INF files (INF and INF\other) and its five driver files (system
// directory). Leaves the system directory current.
void RemoveDriverFiles(CommitLayer* layer);
// 1 when the text's first "[Manufacturer]" token is followed by one of the maker's provider
// tokens, else 0. Reads from where the reader stands.
int IsVendorInfStream(TextReader* reader);

#endif
