// portlist/port_rows.cpp: which rows the list shows, expanding and collapsing boards, and the
// set of expanded boards.
#include "portlist/portlist.h"

#include "platform/heap.h"

int ExpandedSetContains(const PortListState* state, const void* record) {
    for (int32_t i = 0; i < state->expandedCount; ++i) {
        if (state->expandedItems[i] == record) {
            return 1;
        }
    }
    return 0;
}

int ExpandedSetAdd(PortListState* state, const void* record) {
    // A second entry for one board would keep it "expanded" after a collapse, and the next
    // expansion would then never come.
    if (ExpandedSetContains(state, record)) {
        return 1;
    }
    size_t bytes = (static_cast<size_t>(state->expandedCount) + 1) * sizeof(const void*);
    const void** grown = static_cast<const void**>(ResizeHeapBlock(state->expandedItems, bytes));
    if (grown == nullptr) {
        return 0;  // the old array is still valid and the set unchanged
    }
    grown[state->expandedCount] = record;
    state->expandedItems = grown;
    state->expandedCount += 1;
    return 1;
}

void ExpandedSetRemove(PortListState* state, const void* record) {
    int32_t found = -1;
    for (int32_t i = 0; i < state->expandedCount; ++i) {
        if (state->expandedItems[i] == record) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        return;
    }
    state->expandedCount -= 1;
    if (state->expandedCount == 0) {
        FreeHeapBlock(state->expandedItems);
        state->expandedItems = nullptr;
        return;
    }
    for (int32_t i = found; i < state->expandedCount; ++i) {
        state->expandedItems[i] = state->expandedItems[i + 1];
    }
    size_t bytes = static_cast<size_t>(state->expandedCount) * sizeof(const void*);
    const void** shrunk = static_cast<const void**>(ResizeHeapBlock(state->expandedItems, bytes));
    if (shrunk != nullptr) {  // a failed shrink leaves a larger, still valid array
        state->expandedItems = shrunk;
    }
}

void PopulatePortList(HWND list, PortInventory& inventory) {
    PortListState* state = &g_portListState;
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord* board = &inventory.boards[b];
        // Only the command line removes a board before the list is filled.
        if (board->removed)
            continue;
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(board));
        // Every board starts expanded. Should the set be unable to hold it, the board starts
        // collapsed instead, so that rows and set still agree.
        if (!ExpandedSetAdd(state, board))
            continue;
        PortRecord* ports[kMaxBoardPorts];
        int count = CollectPresentPorts(board, ports);
        for (int i = 0; i < count; ++i) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ports[i]));
        }
    }
}

void RemoveBoardRows(HWND list, int32_t index, int keepBoardRow) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    if (!keepBoardRow)
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    int32_t first = keepBoardRow ? index + 1 : index;
    // The next board row, or the end of the list, ends the board's port rows.
    for (;;) {
        LRESULT next = SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(first), 0);
        if (next == 0 || next == LB_ERR || !IsPortRow(reinterpret_cast<const void*>(next)))
            break;
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(first), 0);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

void ToggleBoardRow(HWND list, void* item, int32_t index) {
    if (item == nullptr || IsPortRow(item)) {
        return;  // port rows have nothing to expand
    }
    PortListState* state = &g_portListState;
    BoardRecord* board = static_cast<BoardRecord*>(item);

    if (ExpandedSetContains(state, board)) {
        ExpandedSetRemove(state, board);
        RemoveBoardRows(list, index, 1);
        return;
    }

    if (!ExpandedSetAdd(state, board)) {
        return;  // without a record of the expansion its rows could never be collapsed
    }
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    PortRecord* ports[kMaxBoardPorts];
    int count = CollectPresentPorts(board, ports);
    uint16_t inserted = 0;
    for (int i = 0; i < count; ++i) {
        ++inserted;
        SendMessageA(list, LB_INSERTSTRING, index + inserted, reinterpret_cast<LPARAM>(ports[i]));
    }
    EnsureExpandedRowsVisible(state, list, index, inserted);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void EnsureExpandedRowsVisible(const PortListState* state, HWND list, int32_t boardIndex,
                               int32_t count) {
    if (state->itemHeight <= 0) {
        return;  // neither strip nor font measured: no row height to count pages with
    }
    int32_t top = static_cast<int32_t>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    RECT client;
    GetClientRect(list, &client);
    int32_t visibleRows = (client.bottom + 1) / state->itemHeight;
    int32_t newTop = ExpandedRowsTopIndex(top, visibleRows, boardIndex, count);
    if (newTop >= 0) {
        SendMessageA(list, LB_SETTOPINDEX, newTop, 0);
    }
}

INT_PTR HandlePortListKey(UINT message, WPARAM wParam, LPARAM lParam) {
    ToggleKeySource source = message == WM_CHARTOITEM ? kToggleByCharacter : kToggleByKeyCode;
    if ((message == WM_VKEYTOITEM || message == WM_CHARTOITEM) &&
        IsToggleKey(source, LOWORD(wParam))) {
        HWND list = reinterpret_cast<HWND>(lParam);
        int32_t caret = HIWORD(wParam);
        LRESULT item = SendMessageA(list, LB_GETITEMDATA, caret, 0);
        if (item != LB_ERR) {  // LB_ERR: the list is empty
            ToggleBoardRow(list, reinterpret_cast<void*>(item), caret);
        }
    }
    return -1;  // the list goes on with its own handling of the key
}
