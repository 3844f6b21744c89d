// rename/rename.h: renaming ports from the main dialog, and the port-name edit field.
#ifndef KORVALIN_RENAME_RENAME_H
#define KORVALIN_RENAME_RENAME_H

#include <windows.h>

#include "inventory/inventory.h"
#include "rename/port_changes.h"

// Apply: renames `port` of `inventory` (and, with automatic enumeration, the following ports of
// its board) to the name typed in IDC_PORT_NAME, and repaints the list when it did. Returns a
// ChangeResult; the dialog shows the refusal, which goes to `refusal` (kChangeRefusalSize).
// With `dryRun` nothing is stored or repainted: the names Apply would give go there, and a
// field that still shows the port's own name is nothing to do (kChangeNothing).
int ApplyPortRename(HWND dialog, PortInventory& inventory, PortRecord* port, char* refusal,
                    RenamePlan* dryRun = nullptr);

// Limits the port-name edit and puts PortNameEditProc in front of its own procedure.
void InstallPortNameEditProc(HWND dialog);
LRESULT CALLBACK PortNameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

#endif
