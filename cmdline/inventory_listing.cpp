// cmdline/inventory_listing.cpp: /list: the list's rows as text, each port with its key path,
// then the port names other devices hold.
#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "portlist/tree_rows.h"

int WriteInventoryListing(const PortInventory& inventory, TextWriter* out, int* boards,
                          int* ports) {
    *boards = 0;
    *ports = 0;
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        const BoardRecord& board = inventory.boards[b];
        if (board.removed)
            continue;
        char text[kRowTextSize];
        FormatBoardRowText(&board, text);
        WriteText(out, text);
        WriteText(out, "\n");
        ++*boards;

        for (const PortRecord* port : PortsOf(board)) {
            FormatPortRowText(port, text);
            WriteText(out, text);
            WriteText(out, "\t");
            WriteText(out, port->keyPath);
            WriteText(out, "\n");
            ++*ports;
        }
    }
    const ForeignPortNames& foreign = inventory.foreign;
    for (int i = 0; i < foreign.count; ++i) {
        WriteText(out, kOtherDeviceText);
        WriteText(out, foreign.names[i].portName);
        WriteText(out, "\t");
        WriteText(out, foreign.names[i].keyPath);
        WriteText(out, "\n");
    }
    if (foreign.overflow)
        WriteText(out, kMoreOtherDevicesText);
    return FlushTextWriter(out);
}
