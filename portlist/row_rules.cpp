// portlist/row_rules.cpp: where an expansion scrolls to, and which keys toggle a board.
#include "portlist/tree_rows.h"

int32_t ExpandedRowsTopIndex(int32_t top, int32_t visibleRows, int32_t boardIndex, int32_t count) {
    // Unsigned 16-bit arithmetic on purpose: a board row below the visible page wraps `room`
    // to a large value and leaves the list where it is.
    uint16_t room = static_cast<uint16_t>(top + visibleRows - boardIndex);
    uint16_t inserted = static_cast<uint16_t>(count);
    if (room > inserted) {
        return -1;  // room - 1 rows below the board are visible: all of them fit
    }
    int32_t newTop = top + inserted - room + 1;  // last inserted row on the bottom line
    if (newTop >= boardIndex) {
        newTop = boardIndex;  // but never scroll the board row itself away
    }
    return newTop;
}

int IsToggleKey(ToggleKeySource source, uint16_t code) {
    // Left, Right and Insert type no character, and '+', '-', '%' and '\'' come from keys
    // whose key codes are something else, so each of those keys toggles once. Space is the
    // one key seen under the same code both ways; it toggles on its key code only, or a
    // press would expand and collapse again at once.
    switch (code) {
        case 0x20:  // VK_SPACE
            return source == kToggleByKeyCode;
        case 0x25:  // VK_LEFT, '%'
        case 0x27:  // VK_RIGHT, '\''
        case 0x2B:  // VK_EXECUTE, '+'
        case 0x2D:  // VK_INSERT, '-'
            return 1;
        default:
            return 0;
    }
}
