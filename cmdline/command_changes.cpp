// cmdline/command_changes.cpp: the command line's renames and removals, made in the inventory
// as Apply and Remove make them in the dialog.
#include <string.h>

#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "platform/ascii.h"
#include "portlist/tree_rows.h"
#include "rename/rename_rule.h"

namespace {

// What the changes may alter: every port's name and every board's two flags. Kept so that a
// refusal part-way through the line leaves the inventory as it was.
struct SavedChanges {
    char names[kMaxBoards][kMaxBoardPorts][kPortNameSize];
    int32_t removed[kMaxBoards];
    int32_t modified[kMaxBoards];
};

void Save(PortInventory& inventory, SavedChanges* saved) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord& board = inventory.boards[b];
        for (int i = 0; i < kMaxBoardPorts; ++i)
            memcpy(saved->names[b][i], PortInOrder(board, i)->portName, kPortNameSize);
        saved->removed[b] = board.removed;
        saved->modified[b] = board.modified;
    }
}

void Restore(PortInventory& inventory, const SavedChanges& saved) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord& board = inventory.boards[b];
        for (int i = 0; i < kMaxBoardPorts; ++i)
            memcpy(PortInOrder(board, i)->portName, saved.names[b][i], kPortNameSize);
        board.removed = saved.removed[b];
        board.modified = saved.modified[b];
    }
}

// The one present port, on a board not removed, named `name` byte for byte, as the dialog
// compares names. Sets *count to how many there are.
PortRecord* FindNamedPort(PortInventory& inventory, const char* name, int* count) {
    PortRecord* found = nullptr;
    *count = 0;
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord& board = inventory.boards[b];
        if (board.removed)
            continue;
        for (int i = 0; i < kMaxBoardPorts; ++i) {
            PortRecord* port = PortInOrder(board, i);
            if (IsPortPresent(*port) && TextEqual(port->portName, name)) {
                found = port;
                ++*count;
            }
        }
    }
    return found;
}

// The one board whose ID# (as its row shows it) or instance name is `id`. IDs are typed from the
// screen, where letter case is easily lost; the registry itself matches instance names without
// regard to case.
BoardRecord* FindNamedBoard(PortInventory& inventory, const char* id, int* count) {
    BoardRecord* found = nullptr;
    *count = 0;
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord& board = inventory.boards[b];
        char digest[kIdDigestSize];
        FormatIdDigest(board.instanceName, digest);
        if (EqualIgnoringCase(digest, id) || EqualIgnoringCase(board.instanceName, id)) {
            found = &board;
            ++*count;
        }
    }
    return found;
}

int Rename(PortInventory& inventory, const CommandChange& change, int single, char* message,
           size_t size) {
    int count;
    PortRecord* port = FindNamedPort(inventory, change.name, &count);
    if (count != 1) {
        FormatText(message, size, count == 0 ? kNoSuchPortText : kPortAmbiguousText, change.name);
        return kExitRefused;
    }
    ReadForeignPortNames(inventory);  // once: the first rename needs them
    RenameResult result = RenamePortsIn(inventory, port, change.newName, !single);
    if (result.outcome == kRenameDone)
        return kExitDone;
    FormatRenameRefusal(result, message, size);
    return kExitRefused;
}

int Remove(PortInventory& inventory, const CommandChange& change, char* message, size_t size) {
    if (change.kind == kChangeRemoveAll) {
        for (int32_t b = 0; b < inventory.boardCount; ++b)
            if (inventory.boards[b].boardType != kBoardStandardCom)
                inventory.boards[b].removed = 1;
        return kExitDone;
    }
    int count;
    BoardRecord* board = FindNamedBoard(inventory, change.name, &count);
    if (count != 1) {
        FormatText(message, size, count == 0 ? kNoSuchBoardText : kBoardAmbiguousText, change.name);
        return kExitRefused;
    }
    if (board->boardType == kBoardStandardCom) {
        FormatText(message, size, kCannotRemoveStandardPortText, "");
        return kExitRefused;
    }
    board->removed = 1;
    return kExitDone;
}

}  // namespace

int ApplyCommandChanges(const CommandLine& parsed, PortInventory& inventory, char* message,
                        size_t size) {
    if (size > 0)
        message[0] = 0;
    SavedChanges saved;
    Save(inventory, &saved);
    for (int i = 0; i < parsed.changeCount; ++i) {
        const CommandChange& change = parsed.changes[i];
        int code = change.kind == kChangeRename
                       ? Rename(inventory, change, parsed.single, message, size)
                       : Remove(inventory, change, message, size);
        if (code != kExitDone) {
            Restore(inventory, saved);
            return code;
        }
    }
    return kExitDone;
}
