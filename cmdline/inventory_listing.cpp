// cmdline/inventory_listing.cpp: /list: the list's rows as text, each port with its key path.
#include "cmdline/command_line.h"
#include "listview/tree_rows.h"
#include "platform/registry.h"

int FormatPortKeyPath(const BoardRecord& board, const PortRecord& port, char* path, size_t size) {
    if (size == 0)
        return 0;
    for (int s = 0; s < kMaxDirectPorts; ++s) {
        if (&board.ports[s] == &port) {
            unsigned room = static_cast<unsigned>(size);
            return JoinKeyPath(kEnumKeyName, board.enumeratorName, path, room) &&
                   JoinKeyPath(path, board.deviceKeyNames[s], path, room) &&
                   JoinKeyPath(path, board.instanceName, path, room);
        }
    }
    for (int k = 0; k < kChildCount; ++k) {
        const ChildGroup& group = board.childGroups[k];
        for (int s = 0; s < kChildPorts; ++s) {
            if (&group.ports[s] == &port) {
                unsigned room = static_cast<unsigned>(size);
                return JoinKeyPath(kMfPath.text, group.childKeyName, path, room) &&
                       JoinKeyPath(path, group.childInstanceNames[s], path, room);
            }
        }
    }
    path[0] = 0;
    return 0;
}

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
    return FlushTextWriter(out);
}
