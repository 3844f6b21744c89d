// portlist/tree_rows.h: what the tree list's rows say and which rows a board has.
//
// No window calls here: these rules build and are tested natively as well as for Windows.
#ifndef KORVALIN_PORTLIST_TREE_ROWS_H
#define KORVALIN_PORTLIST_TREE_ROWS_H

#include <stdint.h>

#include "inventory/inventory.h"

enum {
    kRowTextSize = 128,  // a row's text, terminator included
    kIdDigestSize = 20,  // a board's ID digest, terminator included
};

// --- row_text.cpp
// The short ID shown for a board: pairs of characters from the end of its instance name,
// walking backward and skipping the last two characters; short names are shown whole.
void FormatIdDigest(const char* instanceName, char digest[kIdDigestSize]);
// "<type>, ID# <digest>"
void FormatBoardRowText(const BoardRecord* board, char text[kRowTextSize]);
// "Port <n> -> <name>", or "Port Name -> <name>" for legacy and standard COM boards.
void FormatPortRowText(const PortRecord* port, char text[kRowTextSize]);

// --- row_rules.cpp
// The top index that brings `count` rows inserted below the board row at `boardIndex` into
// view, or -1 when no scrolling is needed.
int32_t ExpandedRowsTopIndex(int32_t top, int32_t visibleRows, int32_t boardIndex, int32_t count);

// Key codes that expand or collapse the caret's board. A key reaches the list twice, as a
// key code and (if it types one) as a character; each toggle key must act on only one of them.
enum ToggleKeySource { kToggleByKeyCode = 0, kToggleByCharacter = 1 };
int IsToggleKey(ToggleKeySource source, uint16_t code);  // 1: toggle; 0: not a toggle key

#endif
