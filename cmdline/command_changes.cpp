// cmdline/command_changes.cpp: the command line's renames and removals, made in the inventory
// as Apply and Remove make them in the dialog.
#include "cmdline/command_line.h"
#include "cmdline/command_texts.h"
#include "platform/ascii.h"
#include "platform/text.h"
#include "portlist/tree_rows.h"
#include "rename/port_changes.h"

namespace {

// Puts the inventory back as the walks left it: each port's name as the machine holds it, no
// board removed or renamed. The line's changes are the only ones made to it, so a refusal
// part-way through the line drops them all.
void DropChanges(PortInventory& inventory) {
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord& board = inventory.boards[b];
        for (PortRecord* port : PortsOf(board))
            CopyText(port->portName, port->foundName);
        board.removed = 0;
        board.modified = 0;
    }
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

// A ChangeResult as the line's exit code, a refusal's text in `message`.
int ExitCodeOf(int result, const char* refusal, char* message, size_t size) {
    if (result != kChangeRefused)
        return kExitDone;
    if (size > 0) {
        message[0] = 0;
        AppendText(message, size, refusal);
    }
    return kExitRefused;
}

int Rename(PortInventory& inventory, const CommandChange& change, int single, char* message,
           size_t size) {
    int count;
    PortRecord* port = FindNamedPort(inventory, change.name, &count);
    if (count != 1) {
        FormatText(message, size, count == 0 ? kNoSuchPortText : kPortAmbiguousText, change.name);
        return kExitRefused;
    }
    char refusal[kChangeRefusalSize];
    int result = RenamePort(inventory, port, change.newName, !single, refusal);
    return ExitCodeOf(result, refusal, message, size);
}

int Remove(PortInventory& inventory, const CommandChange& change, char* message, size_t size) {
    char refusal[kChangeRefusalSize];
    if (change.kind == kChangeRemoveAll) {
        // Every board Remove takes; the others (Standard COM Ports) refuse and stay.
        for (int32_t b = 0; b < inventory.boardCount; ++b)
            RemoveBoard(inventory, &inventory.boards[b], refusal);
        return kExitDone;
    }
    int count;
    BoardRecord* board = FindNamedBoard(inventory, change.name, &count);
    if (count != 1) {
        FormatText(message, size, count == 0 ? kNoSuchBoardText : kBoardAmbiguousText, change.name);
        return kExitRefused;
    }
    int result = RemoveBoard(inventory, board, refusal);
    return ExitCodeOf(result, refusal, message, size);
}

}  // namespace

PortRecord* FindNamedPort(PortInventory& inventory, const char* name, int* count) {
    PortRecord* found = nullptr;
    *count = 0;
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        BoardRecord& board = inventory.boards[b];
        if (board.removed)
            continue;
        for (PortRecord* port : PortsOf(board)) {
            if (TextEqual(port->portName, name)) {
                found = port;
                ++*count;
            }
        }
    }
    return found;
}

int ApplyCommandChanges(const CommandLine& parsed, PortInventory& inventory, char* message,
                        size_t size) {
    if (size > 0)
        message[0] = 0;
    for (int i = 0; i < parsed.changeCount; ++i) {
        const CommandChange& change = parsed.changes[i];
        int code = change.kind == kChangeRename
                       ? Rename(inventory, change, parsed.single, message, size)
                       : Remove(inventory, change, message, size);
        if (code != kExitDone) {
            DropChanges(inventory);
            return code;
        }
    }
    return kExitDone;
}
