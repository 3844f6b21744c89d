// inventory/legacy_walk.cpp: standard and legacy serial ports under Enum\BIOS and Enum\Root.
#include <string.h>

#include "inventory/inventory.h"
#include "inventory/value_read.h"
#include "platform/text.h"

namespace {

struct LegacyDeviceKey {
    const char* path;
    const char* enumeratorName;
    const char* deviceIdText;
};

constexpr auto kBiosPnp0500Path = ConstantKeyPath(kBiosPath, kPnp0500DeviceId);
constexpr auto kBiosPnp0501Path = ConstantKeyPath(kBiosPath, kPnp0501DeviceId);
constexpr auto kRootPnp0500Path = ConstantKeyPath(kRootPath, kPnp0500DeviceId);
constexpr auto kRootPnp0501Path = ConstantKeyPath(kRootPath, kPnp0501DeviceId);
constexpr auto kRootPortsPath = ConstantKeyPath(kRootPath, kPortsClassName);

const LegacyDeviceKey kLegacyDeviceKeys[] = {
    {kBiosPnp0500Path.text, kBiosEnumerator, kPnp0500DeviceId},
    {kBiosPnp0501Path.text, kBiosEnumerator, kPnp0501DeviceId},
    {kRootPnp0500Path.text, kRootEnumerator, kPnp0500DeviceId},
    {kRootPnp0501Path.text, kRootEnumerator, kPnp0501DeviceId},
    {kRootPortsPath.text, kRootEnumerator, kPortsClassName},
};

}  // namespace

void EnumerateLegacyDeviceKey(PortInventory& inv, RegistryKey deviceIdKey,
                              const char* enumeratorName, const char* deviceIdText) {
    for (unsigned long index = 0;; ++index) {
        // With either table full the walk ends: no ninth board, no forty-ninth name.
        if (inv.boardCount >= kMaxBoards || inv.instanceNameCount >= kMaxInstanceNames)
            return;
        char* name = inv.instanceNameTable[inv.instanceNameCount];
        unsigned long nameLength = kInstanceNameSize;
        if (RegistryEnumKey(deviceIdKey, index, name, &nameLength) != kRegistryOk)
            return;
        // Too long for instanceName: skipped rather than cut, which could match another board.
        if (TextLength(name) >= kBoardInstanceNameSize)
            continue;

        RegistryKey instanceKey;
        if (RegistryOpenKey(deviceIdKey, name, &instanceKey) != kRegistryOk)
            continue;

        BoardRecord& board = inv.boards[inv.boardCount];
        memset(&board, 0, sizeof board);
        board.enumeratorName = enumeratorName;
        board.deviceKeyNames[0] = deviceIdText;
        CopyText(board.instanceName, name);

        char description[kDeviceDescSize] = "";  // unreadable counts as empty: a standard port
        ReadTextValue(instanceKey, kDeviceDescValue, description, sizeof description);
        board.boardType = LegacyBoardType(description);

        PortRecord& port = board.ports[0];
        ReadTextValue(instanceKey, kDriverValue, port.driverKey, sizeof port.driverKey);
        if (ReadFoundName(instanceKey, port)) {
            port.itemKind = kPortItem;
            port.portNumber = 1;
            port.owningBoard = &board;
            char parent[kPortKeyPathSize];
            JoinKeyPath(kEnumKeyName, enumeratorName, parent, sizeof parent);
            SetPortKeyPath(port, parent, deviceIdText, board.instanceName);
            ++inv.boardCount;
            ++inv.instanceNameCount;
        } else {
            memset(&board, 0, sizeof board);  // nothing of this instance stays
        }
        RegistryCloseKey(instanceKey);
    }
}

void EnumerateLegacyPorts(PortInventory& inventory) {
    for (const LegacyDeviceKey& row : kLegacyDeviceKeys) {
        RegistryKey deviceIdKey;
        if (RegistryOpenKey(RegistryRoot(), row.path, &deviceIdKey) != kRegistryOk)
            continue;
        EnumerateLegacyDeviceKey(inventory, deviceIdKey, row.enumeratorName, row.deviceIdText);
        RegistryCloseKey(deviceIdKey);
    }
}
