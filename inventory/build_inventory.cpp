// inventory/build_inventory.cpp: building the inventory: the four walks, in the dialog's order.
#include "inventory/inventory.h"

int BuildPortInventory(PortInventory& inventory) {
    EnumerateLegacyPorts(inventory);
    if (!EnumerateIsaPnpBoards(inventory))
        return 0;
    if (!EnumerateMultifunctionChildren(inventory))
        return 0;
    return CollectOrphanClassKeys(inventory);
}
