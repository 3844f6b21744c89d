// cmdline/inventory_listing.cpp: /list: the list's rows as text, each port with its key path.
#include <string.h>

#include "cmdline/command_line.h"
#include "listview/tree_rows.h"

namespace {

// Appends the pieces to `path`, separated by backslashes; 0 when they do not all fit.
int JoinKeyPath(char* path, size_t size, const char* const* pieces, int count) {
    size_t used = 0;
    path[0] = 0;
    for (int i = 0; i < count; ++i) {
        const char* piece = pieces[i] != nullptr ? pieces[i] : "";
        size_t length = TextLength(piece);
        size_t needed = length + (i > 0 ? 1 : 0);
        if (used + needed >= size) {
            path[0] = 0;
            return 0;
        }
        if (i > 0)
            path[used++] = '\\';
        memcpy(path + used, piece, length);
        used += length;
        path[used] = 0;
    }
    return 1;
}

}  // namespace

int FormatPortKeyPath(const BoardRecord& board, const PortRecord& port, char* path, size_t size) {
    if (size == 0)
        return 0;
    for (int s = 0; s < kMaxDirectPorts; ++s) {
        if (&board.ports[s] == &port) {
            const char* pieces[] = {kEnumKeyName, board.enumeratorName, board.deviceKeyNames[s],
                                    board.instanceName};
            return JoinKeyPath(path, size, pieces, 4);
        }
    }
    for (int k = 0; k < kChildCount; ++k) {
        const ChildGroup& group = board.childGroups[k];
        for (int s = 0; s < kChildPorts; ++s) {
            if (&group.ports[s] == &port) {
                const char* pieces[] = {kMfPath.text, group.childKeyName,
                                        group.childInstanceNames[s]};
                return JoinKeyPath(path, size, pieces, 3);
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
