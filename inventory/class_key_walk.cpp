// inventory/class_key_walk.cpp: class keys of the maker's port drivers that no port refers to.
#include "inventory/inventory.h"
#include "inventory/value_read.h"
#include "platform/text.h"

namespace {

// A driverKey's class part, not compared: the class name and a backslash (sizeof counts the
// backslash where it counts the name's terminator).
const size_t kClassPartLength = sizeof kPortsClassName;

// The whole PortDriver text, compared exactly, letter case included.
int IsMakersPortDriver(const char* portDriver) {
    for (const char* driver : kMakersPortDrivers) {
        if (TextEqual(portDriver, driver))
            return 1;
    }
    return 0;
}

int RefersTo(const PortRecord& port, const char* name) {
    if (TextLength(port.driverKey) < kClassPartLength)
        return 0;
    return TextEqual(port.driverKey + kClassPartLength, name);
}

}  // namespace

int IsClassKeyUnreferenced(const PortInventory& inv, const char* name) {
    for (int32_t b = 0; b < inv.boardCount; ++b) {
        for (const PortRecord* port : PortsOf(inv.boards[b]))
            if (RefersTo(*port, name))
                return 0;
    }
    return 1;
}

int CollectOrphanClassKeys(PortInventory& inv) {
    RegistryKey portsKey;
    if (RegistryOpenKey(RegistryRoot(), kPortsClassPath.text, &portsKey) != kRegistryOk)
        return 1;

    int goOn = 1;
    for (unsigned long i = 0; inv.orphanClassKeyCount < kMaxOrphanClassKeys; ++i) {
        char* name = inv.orphanClassKeyTable[inv.orphanClassKeyCount];
        unsigned long nameLength = kOrphanClassKeySize;
        if (RegistryEnumKey(portsKey, i, name, &nameLength) != kRegistryOk)
            break;

        RegistryKey classKey;
        if (RegistryOpenKey(portsKey, name, &classKey) != kRegistryOk) {
            goOn = 0;
            break;
        }
        char portDriver[kPortDriverSize];
        int read = ReadTextValue(classKey, kPortDriverValue, portDriver, sizeof portDriver);
        RegistryCloseKey(classKey);
        if (!read)
            continue;
        if (!IsMakersPortDriver(portDriver))
            continue;
        if (IsClassKeyUnreferenced(inv, name))
            ++inv.orphanClassKeyCount;
    }
    RegistryCloseKey(portsKey);
    return goOn;
}
