// tests/portlist/board_builder.h: boards and ports written straight into g_inventory.
#ifndef KORVALIN_TESTS_PORTLIST_BOARD_BUILDER_H
#define KORVALIN_TESTS_PORTLIST_BOARD_BUILDER_H

#include <string.h>

#include "inventory/inventory.h"
#include "tests/support/test_inventory.h"

inline BoardRecord* AddTestBoard(int32_t boardType, const char* instanceName) {
    BoardRecord* board = &g_inventory.boards[g_inventory.boardCount++];
    board->boardType = boardType;
    strcpy(board->instanceName, instanceName);
    return board;
}

inline PortRecord* FillTestPort(PortRecord* port, BoardRecord* board, uint16_t number,
                                const char* name) {
    port->itemKind = 1;
    port->portNumber = number;
    port->owningBoard = board;
    strcpy(port->portName, name);
    return port;
}

inline PortRecord* AddDirectPort(BoardRecord* board, int slot, const char* name) {
    return FillTestPort(&board->ports[slot], board, static_cast<uint16_t>(slot + 1), name);
}

inline PortRecord* AddChildPort(BoardRecord* board, int child, int slot, const char* name) {
    return FillTestPort(&board->childGroups[child].ports[slot], board,
                        static_cast<uint16_t>(kMaxDirectPorts + child * kChildPorts + slot + 1),
                        name);
}

#endif
