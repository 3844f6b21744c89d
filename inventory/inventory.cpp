// inventory/inventory.cpp: the process-wide inventory, board lookup and the walks in order.
#include "inventory/inventory.h"

#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"

PortInventory g_inventory;

void ResetInventory() {
    memset(&g_inventory, 0, sizeof g_inventory);
}

PortRecord* PortInOrder(BoardRecord& board, int index) {
    if (index < kMaxDirectPorts)
        return &board.ports[index];
    index -= kMaxDirectPorts;
    return &board.childGroups[index % kChildCount].ports[index / kChildCount];
}

const PortRecord* PortInOrder(const BoardRecord& board, int index) {
    return PortInOrder(const_cast<BoardRecord&>(board), index);
}

uint32_t KeyPathHash(const char* path) {
    uint32_t hash = 2166136261u;
    for (; *path != 0; ++path)
        hash = (hash ^ static_cast<unsigned char>(LowerAscii(*path))) * 16777619u;
    return hash;
}

void SetPortKeyPath(PortRecord& port, const char* parent, const char* key, const char* subkey) {
    if (!JoinKeyPath(parent, key, port.keyPath, sizeof port.keyPath) ||
        !JoinKeyPath(port.keyPath, subkey, port.keyPath, sizeof port.keyPath))
        port.keyPath[0] = 0;
    port.keyHash = KeyPathHash(port.keyPath);
}

int NextPortIndex(const BoardRecord& board, int index) {
    while (index < kMaxBoardPorts && !IsPortPresent(*PortInOrder(board, index)))
        ++index;
    return index;
}

BoardRecord* FindOrAddBoard(const char* instanceName, int32_t boardType) {
    PortInventory& inv = g_inventory;
    for (int32_t i = 0; i < inv.boardCount; ++i) {
        BoardRecord& board = inv.boards[i];
        if (board.boardType == boardType && TextEqual(board.instanceName, instanceName))
            return &board;
    }
    // A name that does not fit instanceName is never cut: a cut name could match another board.
    if (inv.boardCount >= kMaxBoards || TextLength(instanceName) >= kBoardInstanceNameSize)
        return nullptr;
    BoardRecord& board = inv.boards[inv.boardCount++];
    memset(&board, 0, sizeof board);
    CopyText(board.instanceName, instanceName);
    board.boardType = boardType;
    board.enumeratorName = kIsaPnpEnumerator;
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
