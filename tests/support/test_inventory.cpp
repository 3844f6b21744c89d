// tests/support/test_inventory.cpp: the tests' inventory, for tests that do not run the dialog
// (whose own app/ defines it; the linker then takes that one).
#include "tests/support/test_inventory.h"

PortInventory g_inventory;
