// rename/port_changes.h: the one rename and the one remove, which the dialog and the command
// line both make. Each says how it went; the front ends only turn that into a message box or
// a log line.
#ifndef KORVALIN_RENAME_PORT_CHANGES_H
#define KORVALIN_RENAME_PORT_CHANGES_H

#include "inventory/inventory.h"
#include "rename/rename_rule.h"

enum ChangeResult {
    kChangeNothing = 0,  // nothing to do (no port, or no name typed): nothing to say
    kChangeDone = 1,
    kChangeRefused = 2,  // refusal says why; nothing changed
};

enum { kChangeRefusalSize = 160 };  // the longest refusal, cut to fit

// Renames `port` of `inventory` to `newName` as Apply does: with `automatic`, the following
// ports of its board get the next free names. Returns a ChangeResult; a refusal's text goes to
// `refusal` (kChangeRefusalSize). The names other devices hold are read from the registry on
// the first call that needs them; no caller has to. With `dryRun`, nothing is stored: the
// names the rename would give go there.
int RenamePort(PortInventory& inventory, PortRecord* port, const char* newName, int automatic,
               char* refusal, RenamePlan* dryRun = nullptr);
// Marks `board` removed, unless its type cannot be removed here (a Standard COM Port).
int RemoveBoard(PortInventory& inventory, BoardRecord* board, char* refusal);

#endif
