// tests/inventory/inventory_dump.h: the inventory as text, for comparing whole inventories.
#ifndef KORVALIN_TESTS_INVENTORY_INVENTORY_DUMP_H
#define KORVALIN_TESTS_INVENTORY_INVENTORY_DUMP_H

#include <string>
#include <vector>

// Every board with its present ports in the board's port order, then both name tables.
std::string DumpInventory();

// REGEDIT4 text from "path" lines followed by "name=value" lines (string values), so a test
// states its registry in a few lines. A line "path" starts a key; "-name" is a value left out.
std::string RegFromLines(const std::vector<std::string>& lines);

#endif
