// inventory/board_types.h: what each type of board is: the one table of board-type facts.
//
// Adding a type of board means a row here (and its code in BoardType); every question about a
// type (its row text, whether its ports are numbered, whether it is the maker's, whether Remove
// takes it, how the walks recognise and number it) is read from this table.
#ifndef KORVALIN_INVENTORY_BOARD_TYPES_H
#define KORVALIN_INVENTORY_BOARD_TYPES_H

#include <stdint.h>

// BoardType codes: the index of the type's row in the table.
enum BoardType {
    kBoardMarrowlink = 0,     // "Marrowlink M1/M2", legacy
    kBoardMarrowlinkPnp = 1,  // "Marrowlink PnP M1/M2"
    kBoardTessaline48 = 2,    // "Tessaline 4/8 Port"
    kBoardTessaline16 = 3,    // "Tessaline 16 Port"
    kBoardStandardCom = 4,    // "Standard COM Port", not one of the maker's boards
    kBoardTypeCount,
};

// Where a type's ports are found: which walk reads them.
enum BoardPortSlots {
    kSlotsNone = 0,    // no walk produces the type
    kSlotsLegacy = 1,  // one port, the instance key itself under Enum\BIOS or Enum\Root
    kSlotsPnp = 2,     // direct ports under Enum\ISAPNP, one device key per slot, and child
                       // ports under Enum\MF\CHILD0000..CHILD0003
};

struct BoardTypeFacts {
    const char* displayText;  // the board row's text before the ID# ("" for no type)
    // The row's ID#: the digest of the instance name (FormatIdDigest), after this label.
    const char* idLabel;
    uint8_t numberedPorts;  // port rows say "Port <n> ->"; otherwise "Port Name ->"
    uint8_t makers;         // one of the maker's boards: its drivers go when the last one goes
    uint8_t removable;      // Remove and /remove take it
    uint8_t portSlots;      // a BoardPortSlots
    // kSlotsLegacy: how its DeviceDesc begins (any letter case); null for the fallback type.
    const char* legacyDescription;
    // kSlotsPnp: the device ID's type characters that give this type, and the number of
    // direct slot 0 (the others follow it).
    const char* pnpTypeCharacters;
    uint8_t firstDirectPortNumber;
};

// The facts of type `boardType`. A code no row has gets those of an unknown board of the
// maker's: no text, numbered ports, removable.
const BoardTypeFacts& BoardTypeOf(int32_t boardType);

// The type whose legacy DeviceDesc begins as `description`: the maker's legacy board, or
// otherwise a Standard COM Port.
int32_t LegacyBoardType(const char* description);
// The Plug and Play type of a device ID's type character, or -1 for one no type has.
int32_t PnpBoardType(char typeCharacter);

#endif
