// inventory/pnp_walk.cpp: the maker's Plug and Play boards under Enum\ISAPNP and Enum\MF.
#include "inventory/inventory.h"
#include "inventory/value_read.h"
#include "platform/text.h"

namespace {

// Reads a decimal number the way the C library's text-to-integer conversion does: leading
// white space, an optional sign, then digits up to the first other character; 0 when none.
// Callers hand it at most three significant characters, so it cannot overflow.
int DecimalValue(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    int sign = 1;
    if (*text == '+' || *text == '-')
        sign = (*text++ == '-') ? -1 : 1;
    int value = 0;
    for (int digits = 0; *text >= '0' && *text <= '9' && digits < 9; ++text, ++digits)
        value = value * 10 + (*text - '0');
    return sign * value;
}

// Field by field: an initialised aggregate may become a copy of a template in .data, which a
// program otherwise without initialised data pays a whole file block for.
PnpKeyName NotTheMakers() {
    PnpKeyName name;
    name.slot = -1;
    name.type = -1;
    name.boardInstanceName = nullptr;
    return name;
}

// Reads the port at parent\key\subkey (its instance key, open).
void ReadPort(RegistryKey instanceKey, PortRecord& port, BoardRecord* board, uint16_t number,
              const char* parent, const char* key, const char* subkey) {
    ReadTextValue(instanceKey, kDriverValue, port.driverKey, sizeof port.driverKey);
    if (ReadFoundName(instanceKey, port)) {
        port.itemKind = kPortItem;
        port.portNumber = number;
        port.owningBoard = board;
        SetPortKeyPath(port, parent, key, subkey);
    }
}

}  // namespace

PnpKeyName ParseIsaPnpDeviceKeyName(const char* name) {
    if (!TextBeginsWith(name, kMakersDeviceIdPrefix))
        return NotTheMakers();
    size_t length = TextLength(name);
    PnpKeyName parsed;
    parsed.type = length >= 7 ? PnpBoardType(name[6]) : -1;
    parsed.slot = DecimalValue(name + length - 3);  // "QVX" itself: the name has three
    parsed.boardInstanceName = nullptr;
    return parsed;
}

PnpKeyName ParseMfInstanceKeyName(const char* name) {
    const char* first = FindCharacter(name, '&');
    if (first == nullptr || !TextBeginsWith(first + 1, kMakersDeviceIdPrefix))
        return NotTheMakers();
    // The type character sits seven after the '&'; a shorter name cannot be parsed.
    for (int i = 1; i <= 7; ++i) {
        if (first[i] == 0)
            return NotTheMakers();
    }
    const char* typeCharacter = first + 7;
    const char* second = FindCharacter(typeCharacter, '&');
    if (second == nullptr)
        return NotTheMakers();
    PnpKeyName parsed;
    parsed.type = PnpBoardType(*typeCharacter);
    parsed.slot = DecimalValue(second - 3) - 2;  // second - 3 is past "QVX", never before first
    parsed.boardInstanceName = second + 1;
    return parsed;
}

int EnumerateIsaPnpBoards(PortInventory& inv) {
    RegistryKey isaPnpKey;
    if (RegistryOpenKey(RegistryRoot(), kIsaPnpPath.text, &isaPnpKey) != kRegistryOk)
        return 1;

    int goOn = 1;
    for (unsigned long d = 0; goOn; ++d) {
        // A maker's device key needs an entry for its name: without one its ports could not be
        // written back, so once the table is full no further device key is read.
        if (inv.instanceNameCount >= kMaxInstanceNames)
            break;
        char* deviceKeyName = inv.instanceNameTable[inv.instanceNameCount];
        unsigned long nameLength = kInstanceNameSize;
        if (RegistryEnumKey(isaPnpKey, d, deviceKeyName, &nameLength) != kRegistryOk)
            break;

        // Another maker's key (slot -1), an unknown type character or a slot no board has:
        // skipped, its name not kept.
        PnpKeyName parsed = ParseIsaPnpDeviceKeyName(deviceKeyName);
        if (parsed.type < 0 || parsed.slot < 0 || parsed.slot >= kMaxDirectPorts)
            continue;

        RegistryKey deviceKey;
        if (RegistryOpenKey(isaPnpKey, deviceKeyName, &deviceKey) != kRegistryOk) {
            goOn = 0;
            break;
        }
        for (unsigned long m = 0; m < 8; ++m) {
            char instanceName[kPnpInstanceNameSize];
            unsigned long instanceLength = sizeof instanceName;
            if (RegistryEnumKey(deviceKey, m, instanceName, &instanceLength) != kRegistryOk)
                break;
            BoardRecord* board = FindOrAddBoard(inv, instanceName, parsed.type);
            if (board == nullptr)
                break;
            board->deviceKeyNames[parsed.slot] = deviceKeyName;

            RegistryKey instanceKey;
            if (RegistryOpenKey(deviceKey, board->instanceName, &instanceKey) != kRegistryOk) {
                goOn = 0;
                break;
            }
            uint16_t number =
                static_cast<uint16_t>(BoardTypeOf(parsed.type).firstDirectPortNumber + parsed.slot);
            ReadPort(instanceKey, board->ports[parsed.slot], board, number, kIsaPnpPath.text,
                     deviceKeyName, board->instanceName);
            RegistryCloseKey(instanceKey);
        }
        RegistryCloseKey(deviceKey);
        if (goOn)
            ++inv.instanceNameCount;
    }
    RegistryCloseKey(isaPnpKey);
    return goOn;
}

int EnumerateMultifunctionChildren(PortInventory& inventory) {
    RegistryKey mfKey;
    if (RegistryOpenKey(RegistryRoot(), kMfPath.text, &mfKey) != kRegistryOk)
        return 1;

    for (int k = 0; k < kChildCount; ++k) {
        RegistryKey childKey;
        if (RegistryOpenKey(mfKey, kChildKeyNames[k], &childKey) != kRegistryOk)
            continue;
        for (unsigned long j = 0;; ++j) {
            char name[kInstanceNameSize];
            unsigned long nameLength = sizeof name;
            if (RegistryEnumKey(childKey, j, name, &nameLength) != kRegistryOk)
                break;

            PnpKeyName parsed = ParseMfInstanceKeyName(name);
            if (parsed.type < 0 || parsed.slot < 0 || parsed.slot >= kChildPorts)
                continue;
            // Never cut: a cut board name could match another board.
            if (TextLength(parsed.boardInstanceName) >= kBoardInstanceNameSize)
                continue;

            BoardRecord* board = FindOrAddBoard(inventory, parsed.boardInstanceName, parsed.type);
            if (board == nullptr)
                break;
            ChildGroup& group = board->childGroups[k];
            group.childKeyName = kChildKeyNames[k];
            CopyText(group.childInstanceNames[parsed.slot], name);

            RegistryKey instanceKey;
            if (RegistryOpenKey(childKey, name, &instanceKey) != kRegistryOk) {
                RegistryCloseKey(childKey);
                RegistryCloseKey(mfKey);
                return 0;
            }
            int slot = parsed.slot;
            uint16_t number = static_cast<uint16_t>(slot == 0 ? k + 2 : k + 4 * slot + 1);
            ReadPort(instanceKey, group.ports[slot], board, number, kMfPath.text, kChildKeyNames[k],
                     name);
            RegistryCloseKey(instanceKey);
        }
        RegistryCloseKey(childKey);
    }
    RegistryCloseKey(mfKey);
    return 1;
}
