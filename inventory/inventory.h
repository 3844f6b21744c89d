// inventory/inventory.h: the in-memory picture of boards and ports, and the walks that fill it.
//
// Everything lives in one fixed-size table (no heap) that its owner keeps for the life of the
// process (the dialog one, the command line its own): list rows, the selection and the commit
// refer to records by pointer.
#ifndef KORVALIN_INVENTORY_INVENTORY_H
#define KORVALIN_INVENTORY_INVENTORY_H

#include <stdint.h>

#include "inventory/board_types.h"
#include "inventory/registry_names.h"
#include "platform/registry.h"

enum {
    kMaxBoards = 8,
    kMaxDirectPorts = 48,
    kChildCount = 4,
    kChildPorts = 4,
    kMaxInstanceNames = 48,
    kInstanceNameSize = 80,  // InstanceNameTable entry, and every 80-character name buffer
    kMaxOrphanClassKeys = 128,
    kOrphanClassKeySize = 30,
    kBoardInstanceNameSize = 32,
    kPortNameSize = 20,
    kDriverKeySize = 30,
    kDeviceDescSize = 40,
    kPnpInstanceNameSize = 30,  // buffer for Enum\ISAPNP instance key names
    kPortDriverSize = 30,
    kMaxBoardPorts = kMaxDirectPorts + kChildCount * kChildPorts,  // a board's port slots
    kMaxForeignPortNames = 256,  // a Windows 95 machine holds a few dozen
    kForeignKeyPathSize = 256,
    // A port's instance key path: "Enum\ISAPNP\<device key>\<board>" is the longest, at
    // most 5 + 6 + 1 + 79 + 1 + 31 characters.
    kPortKeyPathSize = 124,
};

static_assert(sizeof kChildKeyNames / sizeof kChildKeyNames[0] == kChildCount,
              "one child key name per child number");

// What a record's first word, itemKind, holds. A list row's item data points at a BoardRecord or
// a PortRecord, which both begin with it, so the row's kind is read there. A port slot holds
// kPortItem only while its port is present (its PORTNAME was read); an empty slot holds 0,
// never becomes a row and is passed over by PortsOf. Only the commit of a removed board still
// visits it: the slot's keys are the board's whether or not a port was found there.
enum ItemKind { kBoardItem = 0, kPortItem = 1 };

// 1 when a list row's item data (a BoardRecord or PortRecord pointer, never null) is a port.
inline int IsPortRow(const void* itemData) {
    return *static_cast<const int32_t*>(itemData) == kPortItem;
}

struct BoardRecord;

struct PortRecord {
    int32_t itemKind;  // kPortItem: present; 0: empty slot
    uint16_t portNumber;
    BoardRecord* owningBoard;
    char portName[kPortNameSize];   // the name after OK: Apply, Remove and /rename change it
    char foundName[kPortNameSize];  // the name the machine holds: the walk's, never changed
    char driverKey[kDriverKeySize];
    // Where the port lives: its instance key below HKEY_LOCAL_MACHINE, as the walk opened it,
    // and that path's KeyPathHash. Filled by the walk that found the port; read, never rebuilt.
    char keyPath[kPortKeyPathSize];
    uint32_t keyHash;
};

struct ChildGroup {
    const char* childKeyName;  // kChildKeyNames[k] of the group's own number k
    char childInstanceNames[kChildPorts][kInstanceNameSize];
    PortRecord ports[kChildPorts];
};

// A board begins with the same first word as a PortRecord (see ItemKind).
struct BoardRecord {
    int32_t itemKind;  // always kBoardItem
    char instanceName[kBoardInstanceNameSize];
    int32_t boardType;
    int32_t removed;
    int32_t modified;
    const char* enumeratorName;  // kBiosEnumerator, kRootEnumerator or kIsaPnpEnumerator
    const char* deviceKeyNames[kMaxDirectPorts];
    PortRecord ports[kMaxDirectPorts];
    ChildGroup childGroups[kChildCount];
};

// A port name that a device outside the list holds, with its instance key below
// HKEY_LOCAL_MACHINE.
struct ForeignPortName {
    char portName[kPortNameSize];
    char keyPath[kForeignKeyPathSize];
};

// The port names of every other device, read once, when a rename first needs them (never when
// the dialog opens). They count as in use as much as the list's own.
struct ForeignPortNames {
    int32_t read;      // 1 once read
    int32_t overflow;  // 1: the machine holds more than the table: no rename can be checked
    int32_t count;
    ForeignPortName names[kMaxForeignPortNames];  // in the order the registry enumerates them
};

struct PortInventory {
    BoardRecord boards[kMaxBoards];
    int32_t boardCount;
    char instanceNameTable[kMaxInstanceNames][kInstanceNameSize];
    int32_t instanceNameCount;
    char orphanClassKeyTable[kMaxOrphanClassKeys][kOrphanClassKeySize];
    int32_t orphanClassKeyCount;
    ForeignPortNames foreign;
};

// 1 when a port slot holds a present port (its PORTNAME was read), else 0.
inline int IsPortPresent(const PortRecord& slot) {
    return slot.itemKind == kPortItem;
}

// Slot `index` (0 to kMaxBoardPorts - 1) of `board` in the board's port order, the order the list
// shows, renaming numbers and searches walk: the direct slots 0 to 47, then the child ports with
// the slot in the outer loop and the child in the inner one.
PortRecord* PortInOrder(BoardRecord& board, int index);
const PortRecord* PortInOrder(const BoardRecord& board, int index);

// The port order index of the first present port of `board` at or after `index`, or
// kMaxBoardPorts when none is left.
int NextPortIndex(const BoardRecord& board, int index);

// The present ports of a board in its port order, the one walk over a board's port slots:
//     for (PortRecord* port : PortsOf(board)) ...
template <typename Board, typename Port>
class BoardPorts {
  public:
    class Iterator {
      public:
        Iterator(Board* board, int index) : board_(board), index_(NextPortIndex(*board, index)) {}
        Port* operator*() const { return PortInOrder(*board_, index_); }
        Iterator& operator++() {
            index_ = NextPortIndex(*board_, index_ + 1);
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

      private:
        Board* board_;
        int index_;
    };
    explicit BoardPorts(Board& board) : board_(&board) {}
    Iterator begin() const { return Iterator(board_, 0); }
    Iterator end() const { return Iterator(board_, kMaxBoardPorts); }

  private:
    Board* board_;
};
inline BoardPorts<BoardRecord, PortRecord> PortsOf(BoardRecord& board) {
    return BoardPorts<BoardRecord, PortRecord>(board);
}
// A const board's walk is the same code (a second copy would cost the program 120 bytes): its
// ports come out as PortRecord*, and every caller with a const board takes them as
// const PortRecord*.
inline BoardPorts<BoardRecord, PortRecord> PortsOf(const BoardRecord& board) {
    return BoardPorts<BoardRecord, PortRecord>(const_cast<BoardRecord&>(board));
}

// The board's present ports in its port order, into `ports`, as the list shows them. Returns
// how many were stored.
int CollectPresentPorts(BoardRecord* board, PortRecord* ports[kMaxBoardPorts]);

// Zeroes `inventory`, as at process start; lets tests and repeated dialogs start afresh.
void ResetInventory(PortInventory& inventory);

// --- inventory.cpp
// A hash of a key path that is the same for paths equal but for ASCII letter case.
uint32_t KeyPathHash(const char* path);
// Records where `port` lives: parent\key\subkey, and its hash. Empty when it does not fit.
void SetPortKeyPath(PortRecord& port, const char* parent, const char* key, const char* subkey);
// Reads the PORTNAME of the port's open instance key into foundName and portName alike. 1 when
// it was read whole: the port is there.
int ReadFoundName(RegistryKey instanceKey, PortRecord& port);
// 1 while OK is to give the port another name than the one the machine holds (portName differs
// from foundName, letter case included), else 0.
int IsRenamePending(const PortRecord& port);
// The Plug and Play board with this (instanceName, boardType), appended when new; null when a
// new board is needed and the table is full.
BoardRecord* FindOrAddBoard(PortInventory& inventory, const char* instanceName, int32_t boardType);

// --- legacy_walk.cpp
// Walks the instances of one open legacy device-ID key; texts are stored by reference.
void EnumerateLegacyDeviceKey(PortInventory& inventory, RegistryKey deviceIdKey,
                              const char* enumeratorName, const char* deviceIdText);
// Runs EnumerateLegacyDeviceKey over the five device-ID keys in order.
void EnumerateLegacyPorts(PortInventory& inventory);

// --- pnp_walk.cpp
// Parsed Enum\ISAPNP device key or Enum\MF instance key name. slot -1: not the maker's device.
// type -1: the type character is not 0..3.
struct PnpKeyName {
    int slot;
    int32_t type;
    const char* boardInstanceName;  // Enum\MF only: points into the parsed name
};
PnpKeyName ParseIsaPnpDeviceKeyName(const char* name);
PnpKeyName ParseMfInstanceKeyName(const char* name);
// Each returns 1 when the initialisation may go on, 0 when it stops.
int EnumerateIsaPnpBoards(PortInventory& inventory);
int EnumerateMultifunctionChildren(PortInventory& inventory);

// --- foreign_names.cpp
// Reads the PORTNAME string of every instance key Enum\<enumerator>\<device ID>\<instance> that
// is not a port of the inventory into inventory.foreign, once: later calls do nothing. Keys and
// values that cannot be read are passed over.
void ReadForeignPortNames(PortInventory& inventory);

// --- class_key_walk.cpp
int CollectOrphanClassKeys(PortInventory& inventory);  // 1: go on; 0: the initialisation stops
int IsClassKeyUnreferenced(const PortInventory& inventory, const char* name);

// --- build_inventory.cpp
// The four walks in the dialog's order, into `inventory` (zero, as at process start). Returns 1
// when the initialisation may go on to the list fill, 0 when a walk stopped it (the inventory
// keeps what was found).
int BuildPortInventory(PortInventory& inventory);

#endif
