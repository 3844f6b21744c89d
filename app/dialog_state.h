// app/dialog_state.h: the main dialog's process-wide state, shared with renaming and OK.
#ifndef KORVALIN_APP_DIALOG_STATE_H
#define KORVALIN_APP_DIALOG_STATE_H

#include <windows.h>

#include "inventory/inventory.h"

// The rename question needs two 19-character names and its fixed text (101 characters with
// the terminator), so the scratch buffer is sized for it rather than for shorter messages.
enum { kMessageTextSize = 128 };

extern HINSTANCE g_moduleInstance;
extern PortRecord* selectedPort;    // the selected port row, or null
extern BoardRecord* selectedBoard;  // the selected board row, or null
extern char g_messageText[kMessageTextSize];

// Zeroes the state above, as at process start (tests run the dialog many times).
void ResetDialogState();

#endif
