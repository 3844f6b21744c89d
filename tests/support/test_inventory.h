// tests/support/test_inventory.h: the inventory the tests walk into, and the walks over it.
//
// The program keeps one inventory per front end (the dialog's in app/, the command line's its
// own); a test keeps `g_inventory`. Tests that run the real dialog get the dialog's own, which
// app/ defines under the same name; the others get the one tests/support defines.
#ifndef KORVALIN_TESTS_SUPPORT_TEST_INVENTORY_H
#define KORVALIN_TESTS_SUPPORT_TEST_INVENTORY_H

#include "inventory/inventory.h"
#include "rename/rename_rule.h"

extern PortInventory g_inventory;

inline void ResetInventory() {
    ResetInventory(g_inventory);
}
inline int BuildPortInventory() {
    return BuildPortInventory(g_inventory);
}
inline void EnumerateLegacyPorts() {
    EnumerateLegacyPorts(g_inventory);
}
inline void EnumerateLegacyDeviceKey(RegistryKey key, const char* enumerator, const char* id) {
    EnumerateLegacyDeviceKey(g_inventory, key, enumerator, id);
}
inline int EnumerateIsaPnpBoards() {
    return EnumerateIsaPnpBoards(g_inventory);
}
inline int EnumerateMultifunctionChildren() {
    return EnumerateMultifunctionChildren(g_inventory);
}
inline int CollectOrphanClassKeys() {
    return CollectOrphanClassKeys(g_inventory);
}
inline int IsClassKeyUnreferenced(const char* name) {
    return IsClassKeyUnreferenced(g_inventory, name);
}
inline BoardRecord* FindOrAddBoard(const char* instanceName, int32_t boardType) {
    return FindOrAddBoard(g_inventory, instanceName, boardType);
}
inline RenameResult RenamePorts(PortRecord* port, const char* typedText, int autoEnumerate) {
    return RenamePorts(g_inventory, port, typedText, autoEnumerate);
}

#endif
