// tests/support/inventory_walk.h: the tests' ways through the inventory, in the board's own port
// order (PortInventory's PortInOrder), and a recorder for the changes OK reports.
#ifndef KORVALIN_TESTS_SUPPORT_INVENTORY_WALK_H
#define KORVALIN_TESTS_SUPPORT_INVENTORY_WALK_H

#include <string>
#include <vector>

#include "commit/ok_changes.h"
#include "inventory/inventory.h"

// The board's present ports in its port order.
inline std::vector<PortRecord*> PresentPorts(BoardRecord& board) {
    std::vector<PortRecord*> ports;
    for (int i = 0; i < kMaxBoardPorts; ++i)
        if (IsPortPresent(*PortInOrder(board, i)))
            ports.push_back(PortInOrder(board, i));
    return ports;
}

// The board's present port with this number, or null.
inline PortRecord* PortNumbered(BoardRecord& board, int number) {
    for (PortRecord* port : PresentPorts(board))
        if (port->portNumber == number)
            return port;
    return nullptr;
}

// One change OK made or would make, as the observer heard of it.
struct RecordedChange {
    int kind;
    std::string path, text;
    bool operator==(const RecordedChange& other) const {
        return kind == other.kind && path == other.path && text == other.text;
    }
};

// An OkChangeObserver; `context` is a std::vector<RecordedChange>.
inline void RecordChange(void* context, const OkChange& change) {
    static_cast<std::vector<RecordedChange>*>(context)->push_back(
        {change.kind, change.path, change.newText ? change.newText : ""});
}

#endif
