// rename/port_changes.cpp: the one rename and the one remove (see port_changes.h).
#include "rename/port_changes.h"

#include "platform/text.h"
#include "rename/rename_texts.h"

int RenamePort(PortInventory& inventory, PortRecord* port, const char* newName, int automatic,
               char* refusal, RenamePlan* dryRun) {
    refusal[0] = 0;
    if (port == nullptr || newName[0] == 0)
        return kChangeNothing;
    ReadForeignPortNames(inventory);  // once: the first rename needs them
    RenameResult result = RenamePorts(inventory, port, newName, automatic, dryRun);
    if (result.outcome == kRenameDone)
        return kChangeDone;
    FormatRenameRefusal(result, refusal, kChangeRefusalSize);
    return kChangeRefused;
}

int RemoveBoard(PortInventory&, BoardRecord* board, char* refusal) {
    refusal[0] = 0;
    if (board == nullptr)
        return kChangeNothing;
    if (!BoardTypeOf(board->boardType).removable) {
        CopyText(refusal, kCannotRemoveStandardPortText);
        return kChangeRefused;
    }
    board->removed = 1;
    return kChangeDone;
}
