// commit/vendor_boards.cpp: whether any of the maker's boards is left, which decides the file
// clean-up on OK.
#include "commit/commit.h"
#include "inventory/inventory.h"

int AnyVendorBoardRemainsIn(const PortInventory& inventory) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord& board = inventory.boards[b];
        if (!board.removed && board.boardType != kBoardStandardCom)
            return 1;
    }
    return 0;
}

int AnyVendorBoardRemains() {
    return AnyVendorBoardRemainsIn(g_inventory);
}
