// rename/rename.h: renaming ports from the main dialog, and the port-name edit field.
#ifndef KORVALIN_RENAME_RENAME_H
#define KORVALIN_RENAME_RENAME_H

#include <windows.h>

#include "inventory/inventory.h"
#include "rename/rename_rule.h"

// Apply: renames `port` (and, with automatic enumeration, the following ports of its board)
// to the name typed in IDC_PORT_NAME. Returns 1 when renamed, 0 when refused or no port.
// A refusal is shown in a message box owned by `dialog`.
int ApplyPortRename(HWND dialog, PortRecord* port);

// Limits the port-name edit and puts PortNameEditProc in front of its own procedure.
void InstallPortNameEditProc(HWND dialog);
LRESULT CALLBACK PortNameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

#endif
