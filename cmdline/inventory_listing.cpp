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
        // The row functions read records through non-const pointers only for the list's sake.
        BoardRecord* board = const_cast<BoardRecord*>(&inventory.boards[b]);
        if (board->removed)
            continue;
        char text[kRowTextSize];
        FormatBoardRowText(board, text);
        WriteText(out, text);
        WriteText(out, "\n");
        ++*boards;

        PortRecord* present[kMaxBoardPorts];
        int count = CollectPresentPorts(board, present);
        for (int i = 0; i < count; ++i) {
            char path[kCommandPathSize];
            FormatPortRowText(present[i], text);
            FormatPortKeyPath(*board, *present[i], path, sizeof path);
            WriteText(out, text);
            WriteText(out, "\t");
            WriteText(out, path);
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
