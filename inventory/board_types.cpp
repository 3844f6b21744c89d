// inventory/board_types.cpp: the table of board types and the lookups over it.
#include "inventory/board_types.h"

#include "platform/ascii.h"
#include "platform/text.h"

namespace {

const char kIdLabel[] = ", ID# ";

// One row per BoardType code, then the row of a code no type has: an unknown board of the
// maker's, with no text, numbered ports and removable.
const BoardTypeFacts kBoardTypes[kBoardTypeCount + 1] = {
    // kBoardMarrowlink: a legacy port of no position on a card worth numbering.
    {"Marrowlink M1/M2", kIdLabel, 0, 1, 1, kSlotsLegacy, "Marrowlink", nullptr, 0},
    // kBoardMarrowlinkPnp: its ports count from 1.
    {"Marrowlink PnP M1/M2", kIdLabel, 1, 1, 1, kSlotsPnp, nullptr, "0", 1},
    {"Tessaline 4/8 Port", kIdLabel, 1, 1, 1, kSlotsPnp, nullptr, "12", 0},
    {"Tessaline 16 Port", kIdLabel, 1, 1, 1, kSlotsPnp, nullptr, "3", 0},
    // kBoardStandardCom: every other legacy serial port; Windows' own tools remove it.
    {"Standard COM Port", kIdLabel, 0, 0, 0, kSlotsLegacy, nullptr, nullptr, 0},
    {"", kIdLabel, 1, 1, 1, kSlotsNone, nullptr, nullptr, 0},
};

}  // namespace

const BoardTypeFacts& BoardTypeOf(int32_t boardType) {
    uint32_t row = static_cast<uint32_t>(boardType);
    return kBoardTypes[row < kBoardTypeCount ? row : kBoardTypeCount];
}

int32_t LegacyBoardType(const char* description) {
    int32_t fallback = -1;
    for (int32_t type = 0; type < kBoardTypeCount; ++type) {
        const BoardTypeFacts& facts = kBoardTypes[type];
        if (facts.portSlots != kSlotsLegacy)
            continue;
        if (facts.legacyDescription == nullptr)
            fallback = type;
        else if (StartsWithIgnoringCase(description, facts.legacyDescription))
            return type;
    }
    return fallback;
}

int32_t PnpBoardType(char typeCharacter) {
    for (int32_t type = 0; type < kBoardTypeCount; ++type) {
        const BoardTypeFacts& facts = kBoardTypes[type];
        if (facts.portSlots == kSlotsPnp && typeCharacter != 0 &&
            FindCharacter(facts.pnpTypeCharacters, typeCharacter) != nullptr)
            return type;
    }
    return -1;
}
