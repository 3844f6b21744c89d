// inventory/inventory.cpp: the process-wide inventory, board lookup and the walks in order.
#include "inventory/inventory.h"

#include <string.h>

#include "inventory/value_read.h"

PortInventory g_inventory;

void ResetInventory() {
    memset(&g_inventory, 0, sizeof g_inventory);
}

int ReadTextValue(RegistryKey key, const char* name, char* field, unsigned long size) {
    char buffer[kInstanceNameSize];  // larger than every value field the walks read
    if (size > sizeof buffer)
        return 0;
    unsigned long length = size;
    if (RegistryQueryValue(key, name, buffer, &length) != kRegistryOk || length > size)
        return 0;
    // Registry strings need not carry their terminator; a value that fills the whole field
    // without one is a name one character too long for it.
    const char* end = static_cast<const char*>(memchr(buffer, 0, length));
    if (end == nullptr) {
        if (length == size)
            return 0;
        buffer[length] = 0;
    }
    strcpy(field, buffer);
    return 1;
}

BoardRecord* FindOrAddBoard(const char* instanceName, int32_t boardType) {
    PortInventory& inv = g_inventory;
    for (int32_t i = 0; i < inv.boardCount; ++i) {
        BoardRecord& board = inv.boards[i];
        if (board.boardType == boardType && strcmp(board.instanceName, instanceName) == 0)
            return &board;
    }
    // A name that does not fit instanceName is never cut: a cut name could match another board.
    if (inv.boardCount >= kMaxBoards || strlen(instanceName) >= kBoardInstanceNameSize)
        return nullptr;
    BoardRecord& board = inv.boards[inv.boardCount++];
    memset(&board, 0, sizeof board);
    strcpy(board.instanceName, instanceName);
    board.boardType = boardType;
    board.enumeratorName = "ISAPNP";
    return &board;
}

int BuildPortInventory() {
    EnumerateLegacyPorts();
    if (!EnumerateIsaPnpBoards())
        return 0;
    if (!EnumerateMultifunctionChildren())
        return 0;
    return CollectOrphanClassKeys();
}
