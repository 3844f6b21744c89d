// app/dialog_state.cpp: storage for the main dialog's process-wide state.
#include "app/dialog_state.h"

HINSTANCE g_moduleInstance;
PortInventory g_inventory;
PortRecord* selectedPort;

void ResetDialogState() {
    g_moduleInstance = nullptr;
    selectedPort = nullptr;
}
