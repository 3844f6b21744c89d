// app/dialog_state.h: the main dialog's process-wide state, shared with OK.
#ifndef KORVALIN_APP_DIALOG_STATE_H
#define KORVALIN_APP_DIALOG_STATE_H

#include <windows.h>

#include "inventory/inventory.h"

extern HINSTANCE g_moduleInstance;
extern PortInventory g_inventory;  // the dialog's boards and ports, filled when it opens
extern PortRecord* selectedPort;   // the selected port row, or null

// Zeroes the state above, as at process start (tests run the dialog many times).
void ResetDialogState();

#endif
