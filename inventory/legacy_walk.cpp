// inventory/legacy_walk.cpp: standard and legacy serial ports under Enum\BIOS and Enum\Root.
#include <string.h>

#include "inventory/inventory.h"
#include "inventory/value_read.h"

namespace {

struct LegacyDeviceKey {
    const char* path;
    const char* enumeratorName;
    const char* deviceIdText;
};

const LegacyDeviceKey kLegacyDeviceKeys[] = {
    {"Enum\\BIOS\\*PNP0500", "BIOS", "*PNP0500"}, {"Enum\\BIOS\\*PNP0501", "BIOS", "*PNP0501"},
    {"Enum\\Root\\*PNP0500", "Root", "*PNP0500"}, {"Enum\\Root\\*PNP0501", "Root", "*PNP0501"},
    {"Enum\\Root\\Ports", "Root", "Ports"},
};

// "Marrowlink" over its ten characters, ASCII letters compared without regard to case.
int IsMarrowlinkDescription(const char* description) {
    static const char kPrefix[] = "marrowlink";
    for (int i = 0; kPrefix[i] != 0; ++i) {
        char c = description[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kPrefix[i])
            return 0;  // also ends a description shorter than ten characters
    }
    return 1;
}

}  // namespace

void EnumerateLegacyDeviceKey(RegistryKey deviceIdKey, const char* enumeratorName,
                              const char* deviceIdText) {
    PortInventory& inv = g_inventory;
    for (unsigned long index = 0;; ++index) {
        // With either table full the walk ends: no ninth board, no forty-ninth name.
        if (inv.boardCount >= kMaxBoards || inv.instanceNameCount >= kMaxInstanceNames)
            return;
        char* name = inv.instanceNameTable[inv.instanceNameCount];
        unsigned long nameLength = kInstanceNameSize;
        if (RegistryEnumKey(deviceIdKey, index, name, &nameLength) != kRegistryOk)
            return;
        // Too long for instanceName: skipped rather than cut, which could match another board.
        if (strlen(name) >= kBoardInstanceNameSize)
            continue;

        RegistryKey instanceKey;
        if (RegistryOpenKey(deviceIdKey, name, &instanceKey) != kRegistryOk)
            continue;

        BoardRecord& board = inv.boards[inv.boardCount];
        memset(&board, 0, sizeof board);
        board.enumeratorName = enumeratorName;
        board.deviceKeyNames[0] = deviceIdText;
        strcpy(board.instanceName, name);

        char description[kDeviceDescSize] = "";  // unreadable counts as empty: a standard port
        ReadTextValue(instanceKey, "DeviceDesc", description, sizeof description);
        board.boardType =
            IsMarrowlinkDescription(description) ? kBoardMarrowlink : kBoardStandardCom;

        PortRecord& port = board.ports[0];
        ReadTextValue(instanceKey, "Driver", port.driverKey, sizeof port.driverKey);
        if (ReadTextValue(instanceKey, kPortNameValue, port.portName, sizeof port.portName)) {
            port.itemKind = 1;
            port.portNumber = 1;
            port.owningBoard = &board;
            ++inv.boardCount;
            ++inv.instanceNameCount;
        } else {
            memset(&board, 0, sizeof board);  // nothing of this instance stays
        }
        RegistryCloseKey(instanceKey);
    }
}

void EnumerateLegacyPorts() {
    for (const LegacyDeviceKey& row : kLegacyDeviceKeys) {
        RegistryKey deviceIdKey;
        if (RegistryOpenKey(RegistryRoot(), row.path, &deviceIdKey) != kRegistryOk)
            continue;
        EnumerateLegacyDeviceKey(deviceIdKey, row.enumeratorName, row.deviceIdText);
        RegistryCloseKey(deviceIdKey);
    }
}
