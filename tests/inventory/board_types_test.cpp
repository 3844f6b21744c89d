// tests/inventory/board_types_test.cpp: every board type's facts as the user meets them: the
// rows the list shows and whether Remove takes the board. A new type is tested by its row here.
#include <string>

#include <gtest/gtest.h>

#include "inventory/board_types.h"
#include "portlist/tree_rows.h"
#include "rename/port_changes.h"
#include "tests/portlist/board_builder.h"

namespace {

TEST(BoardTypes, EachTypesRowsRemovalAndMakerTogether) {
    const struct {
        int32_t type;
        const char* boardRow;
        const char* portRow;  // its port numbered 3, named COM5
        int removable;
        int makers;
    } cases[] = {
        {kBoardMarrowlink, "Marrowlink M1/M2, ID# 3C2B1A", "Port Name -> COM5", 1, 1},
        {kBoardMarrowlinkPnp, "Marrowlink PnP M1/M2, ID# 3C2B1A", "Port 3 -> COM5", 1, 1},
        {kBoardTessaline48, "Tessaline 4/8 Port, ID# 3C2B1A", "Port 3 -> COM5", 1, 1},
        {kBoardTessaline16, "Tessaline 16 Port, ID# 3C2B1A", "Port 3 -> COM5", 1, 1},
        {kBoardStandardCom, "Standard COM Port, ID# 3C2B1A", "Port Name -> COM5", 0, 0},
        {kBoardTypeCount, ", ID# 3C2B1A", "Port 3 -> COM5", 1, 1},  // a code no type has
        {-1, ", ID# 3C2B1A", "Port 3 -> COM5", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        ResetInventory();
        BoardRecord* board = AddTestBoard(c.type, "1A2B3C4D");
        PortRecord* port = FillTestPort(&board->ports[2], board, 3, "COM5");
        char text[kRowTextSize];
        FormatBoardRowText(board, text);
        EXPECT_STREQ(c.boardRow, text);
        FormatPortRowText(port, text);
        EXPECT_STREQ(c.portRow, text);
        EXPECT_EQ(c.makers, BoardTypeOf(c.type).makers);

        char refusal[kChangeRefusalSize];
        EXPECT_EQ(c.removable ? kChangeDone : kChangeRefused,
                  RemoveBoard(g_inventory, board, refusal));
        EXPECT_EQ(c.removable, board->removed);
        EXPECT_EQ(c.removable ? "" : "Cannot remove Standard COM Ports\nUse the System Wizard to "
                                     "remove Standard COM Ports",
                  std::string(refusal));
    }
}

// The walks find a type by the table alone: the legacy description and the Plug and Play type
// character.
TEST(BoardTypes, WalksRecogniseEachTypeByTheTable) {
    EXPECT_EQ(kBoardMarrowlink, LegacyBoardType("MARROWLINK M1 serial"));
    EXPECT_EQ(kBoardStandardCom, LegacyBoardType("Communications Port"));
    EXPECT_EQ(kBoardStandardCom, LegacyBoardType(""));
    const struct {
        char character;
        int32_t type;
    } pnp[] = {{'0', kBoardMarrowlinkPnp}, {'1', kBoardTessaline48}, {'2', kBoardTessaline48},
               {'3', kBoardTessaline16},   {'4', -1},                {0, -1}};
    for (const auto& c : pnp)
        EXPECT_EQ(c.type, PnpBoardType(c.character)) << c.character;
}

}  // namespace
