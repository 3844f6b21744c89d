// commit/commit.h: what OK writes and deletes: the registry commit and the driver clean-up.
//
// Both builds: the registry goes through platform/registry.h, files through platform/files.h.
#ifndef KORVALIN_COMMIT_COMMIT_H
#define KORVALIN_COMMIT_COMMIT_H

struct PortInventory;
struct TextReader;

// --- registry_commit.cpp

// Writes the inventory's removals and renames to the registry, then sweeps empty device keys,
// empty multifunction child keys and orphaned class keys. Returns 1 when a board's keys were
// changed (the restart prompt follows), else 0. Changes made before a failure stay.
int CommitRegistryChanges();

// 1 when `path` names a key inside the System, Ports or MultiFunction class (any letter case),
// below the class key itself and with no empty level; else 0. Guards every class-key deletion.
int IsClassKeyPath(const char* path);

// --- driver_files.cpp

// Deletes the maker's OEM INF files (INF and INF\other) and its five driver files (system
// directory). Leaves the system directory current.
void RemoveDriverFiles();

// Deletes the maker's INF files among the files of the current directory matching `pattern`.
void DeleteVendorInfFiles(const char* pattern);

// 1 when the text's first "[Manufacturer]" token is followed by one of the maker's provider
// tokens, else 0. Reads from where the reader stands.
int IsVendorInfStream(TextReader* reader);

// --- vendor_boards.cpp

// 1 when a board of the maker's (not removed, not a Standard COM Port) is left, else 0; the
// maker's INF and driver files go only when none is.
int AnyVendorBoardRemainsIn(const PortInventory& inventory);
int AnyVendorBoardRemains();  // over the process-wide inventory

#endif
