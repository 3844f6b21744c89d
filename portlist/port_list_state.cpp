// portlist/port_list_state.cpp: the list's process-wide state.
#include "portlist/portlist.h"

#include <string.h>

#include "platform/heap.h"

PortListState g_portListState;

void ResetPortListState() {
    PortListState* state = &g_portListState;
    FreeHeapBlock(state->expandedItems);
    if (state->memoryDC != nullptr) {
        if (state->previousBitmap != nullptr) {
            SelectObject(state->memoryDC, state->previousBitmap);
        }
        DeleteDC(state->memoryDC);
    }
    if (state->stripBitmap != nullptr) {
        DeleteObject(state->stripBitmap);
    }
    memset(state, 0, sizeof *state);
}
