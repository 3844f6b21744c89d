// portlist/portlist.h: the owner-drawn tree list of boards and ports in the main dialog.
//
// The list stores no strings: each row's item data is a BoardRecord or PortRecord pointer
// into the dialog's inventory, and the dialog paints rows from those records.
#ifndef KORVALIN_PORTLIST_PORTLIST_H
#define KORVALIN_PORTLIST_PORTLIST_H

#include <windows.h>
#include <stdint.h>

#include "inventory/inventory.h"
#include "portlist/tree_rows.h"

// Everything the list keeps between messages. One process-wide instance, zero at start.
struct PortListState {
    HDC memoryDC;            // holds the image strip for the whole run
    HBITMAP stripBitmap;     // the strip, background already in the window colour
    HGDIOBJ previousBitmap;  // what memoryDC held before the strip
    int32_t cellHeight;
    int32_t cellWidth;
    int32_t textHeight;  // tmHeight of the list's font; 0 until measured
    int32_t itemHeight;  // max(cellHeight, textHeight)
    int32_t drawLines;   // non-zero: port rows get tree lines
    // The boards whose port rows are shown, in insertion order, compared by pointer.
    int32_t expandedCount;
    const void** expandedItems;  // exactly expandedCount entries on the heap, or null
};

extern PortListState g_portListState;

// Releases the strip and the expanded set and zeroes g_portListState, as at process start
// (tests load the strip and run the list many times in one process).
void ResetPortListState();

// --- image_strip.cpp
// Loads the bitmap resource into state->memoryDC with its background index in the window
// colour, and sets the cell and row sizes. reset: also empties the expanded set and sets
// drawLines. Returns 1 on success, 0 when a step failed (the fields set so far stay).
int LoadImageStrip(HINSTANCE instance, int resourceId, int rows, int columns, int drawLinesValue,
                   PortListState* state, int reset);
// WM_MEASUREITEM: the row height is max(textHeight, cellHeight). The dialog returns TRUE.
void MeasurePortListItem(MEASUREITEMSTRUCT* measureItem, PortListState* state);
// WM_SETFONT: measures `font`; `list` is the list's window, or null before the controls exist
// (then only the state changes). The dialog returns 0.
void UpdateFontMetrics(HWND list, HFONT font, PortListState* state);

// --- row_drawing.cpp
// WM_DRAWITEM for the list (uses g_portListState). The dialog returns TRUE.
void DrawPortListItem(const DRAWITEMSTRUCT* drawItem);
// 1 when another present port of its board follows `port` (a port row's record) in the
// board's port order, so that the port's tree line goes on down; else 0.
int PortHasNextSibling(const PortRecord* port);
// Paints one row: tree lines for `level` and `lineBits`, the strip cell (cellRow,
// cellColumn), then `text` in the selection colours, and the focus rectangle.
void DrawTreeRow(const DRAWITEMSTRUCT* drawItem, int level, int lineBits, const char* text,
                 int cellRow, int cellColumn, const PortListState* state);

// --- port_rows.cpp
// Fills the empty `list` from `inventory`, every board not removed expanded.
void PopulatePortList(HWND list, PortInventory& inventory);
// Expands or collapses the board row at `index`; `item` is that row's item data. Port rows
// are ignored. Used for LBN_DBLCLK and the toggle keys.
void ToggleBoardRow(HWND list, void* item, int32_t index);
// Deletes the rows of the board at row `index`: its port rows when it is unfolded (none when
// folded), and its own row unless `keepBoardRow`. Folding and Remove both go through here.
void RemoveBoardRows(HWND list, int32_t index, int keepBoardRow);
// 1 when `record` is in the expanded set, else 0.
int ExpandedSetContains(const PortListState* state, const void* record);
// Appends `record`. Returns 1; 0 when the array could not grow (the set is then unchanged).
// A record already in the set is not added twice.
int ExpandedSetAdd(PortListState* state, const void* record);
// Removes `record` if present.
void ExpandedSetRemove(PortListState* state, const void* record);
// After `count` rows were inserted below the board row at boardIndex, scrolls so that the
// last of them is visible without scrolling the board row off the top.
void EnsureExpandedRowsVisible(const PortListState* state, HWND list, int32_t boardIndex,
                               int32_t count);
// WM_VKEYTOITEM and WM_CHARTOITEM from the list, with the message's own wParam and
// lParam: a toggle key expands or collapses the caret's board. Returns -1, which the dialog
// procedure returns as it is, so the list also does its default action for the key.
INT_PTR HandlePortListKey(UINT message, WPARAM wParam, LPARAM lParam);

#endif
