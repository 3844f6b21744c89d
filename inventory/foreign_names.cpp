// inventory/foreign_names.cpp: the port names that devices outside the list hold: a PC Card
// modem, another maker's card, an infrared port's virtual COM port, a board the list has no
// room for. Windows 95 keeps each in the PORTNAME of the device's instance key under Enum.
#include "inventory/inventory.h"
#include "inventory/value_read.h"
#include "platform/ascii.h"
#include "platform/limits.h"
#include "platform/regedit_lines.h"
#include "platform/text.h"

namespace {

// 1 when `path` is the instance key of a port the walks took (of a removed board too). The
// hashes rule out all but the one port it may be, so a machine full of ports costs little.
int IsInventoryPortKey(const PortInventory& inventory, const char* path) {
    uint32_t hash = KeyPathHash(path);
    for (int32_t b = 0; b < inventory.boardCount; ++b) {
        for (const PortRecord* port : PortsOf(inventory.boards[b])) {
            if (port->keyHash == hash && EqualIgnoringCase(port->keyPath, path))
                return 1;
        }
    }
    return 0;
}

// Keeps the PORTNAME of the instance key `key` at `path` when it is a string of another device.
void TakeForeignName(PortInventory& inventory, RegistryKey key, const char* path) {
    RegistryValue value;
    if (RegistryFindValue(key, kPortNameValue, &value) != kRegistryOk ||
        value.type != kRegTypeString)
        return;
    // An empty name, or one longer than 19 characters, is one no port of the list can take.
    char name[kPortNameSize];
    if (!TextValueFits(value.data, value.size, name, sizeof name) || name[0] == 0 ||
        IsInventoryPortKey(inventory, path))
        return;
    ForeignPortNames& foreign = inventory.foreign;
    if (foreign.count == kMaxForeignPortNames) {
        foreign.overflow = 1;
        return;
    }
    ForeignPortName& entry = foreign.names[foreign.count++];
    CopyText(entry.portName, name);
    entry.keyPath[0] = 0;
    AppendText(entry.keyPath, sizeof entry.keyPath, path);  // a path too long is only cut
}

// Calls `visit` with each subkey's name below the open `key`. A key that will not open is passed
// over; a failing enumeration ends the level.
template <typename Visit>
void EachSubkey(RegistryKey key, Visit visit) {
    char name[kRegistryNameSize];
    for (unsigned long index = 0;; ++index) {
        unsigned long length = sizeof name;
        if (RegistryEnumKey(key, index, name, &length) != kRegistryOk)
            return;
        RegistryKey subkey;
        if (RegistryOpenKey(key, name, &subkey) != kRegistryOk)
            continue;
        visit(subkey, name);
        RegistryCloseKey(subkey);
    }
}

}  // namespace

void ReadForeignPortNames(PortInventory& inventory) {
    ForeignPortNames& foreign = inventory.foreign;
    if (foreign.read)
        return;
    foreign.read = 1;
    RegistryKey enumKey;
    if (RegistryOpenKey(RegistryRoot(), kEnumKeyName, &enumKey) != kRegistryOk)
        return;
    // Enum\<enumerator>\<device ID>\<instance>: each instance key is opened once.
    char path[kForeignKeyPathSize * 4];
    EachSubkey(enumKey, [&](RegistryKey enumerator, const char* enumeratorName) {
        EachSubkey(enumerator, [&](RegistryKey device, const char* deviceId) {
            EachSubkey(device, [&](RegistryKey instance, const char* instanceName) {
                unsigned room = sizeof path;
                if (JoinKeyPath(kEnumKeyName, enumeratorName, path, room) &&
                    JoinKeyPath(path, deviceId, path, room) &&
                    JoinKeyPath(path, instanceName, path, room))
                    TakeForeignName(inventory, instance, path);
            });
        });
    });
    RegistryCloseKey(enumKey);
}
