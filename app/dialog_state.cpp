// app/dialog_state.cpp: storage for the main dialog's process-wide state.
#include "app/dialog_state.h"

#include <string.h>

HINSTANCE g_moduleInstance;
PortRecord* selectedPort;
BoardRecord* selectedBoard;
char g_messageText[kMessageTextSize];

void ResetDialogState() {
    g_moduleInstance = nullptr;
    selectedPort = nullptr;
    selectedBoard = nullptr;
    memset(g_messageText, 0, sizeof g_messageText);
}
