// inventory/inventory.cpp: the inventory's records: reset, port order, key paths, a port's two
// names, board lookup.
#include "inventory/inventory.h"

#include <string.h>

#include "inventory/value_read.h"
#include "platform/ascii.h"
#include "platform/text.h"

void ResetInventory(PortInventory& inventory) {
    memset(&inventory, 0, sizeof inventory);
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

int CollectPresentPorts(BoardRecord* board, PortRecord* ports[kMaxBoardPorts]) {
    int count = 0;
    for (PortRecord* port : PortsOf(*board))
        ports[count++] = port;
    return count;
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

int ReadFoundName(RegistryKey instanceKey, PortRecord& port) {
    if (!ReadTextValue(instanceKey, kPortNameValue, port.foundName, sizeof port.foundName))
        return 0;
    CopyText(port.portName, port.foundName);
    return 1;
}

int IsRenamePending(const PortRecord& port) {
    return !TextEqual(port.portName, port.foundName);
}

int NextPortIndex(const BoardRecord& board, int index) {
    while (index < kMaxBoardPorts && !IsPortPresent(*PortInOrder(board, index)))
        ++index;
    return index;
}

BoardRecord* FindOrAddBoard(PortInventory& inv, const char* instanceName, int32_t boardType) {
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
