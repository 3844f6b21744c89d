// tests/portlist/row_text_test.cpp: row texts, ID digests, port order and scrolling.
#include <gtest/gtest.h>

#include "portlist/tree_rows.h"
#include "tests/portlist/board_builder.h"
#include "tests/support/test_inventory.h"

namespace {

TEST(IdDigest, ReadsPairsBackwardSkippingTheLastTwoCharacters) {
    struct Case {
        const char* instanceName;
        const char* digest;
    } cases[] = {
        {"", ""},
        {"A", ""},
        {"0D", "0D"},
        {"ABC", "ABC"},
        {"0000", "0000"},
        {"ABCDE", "ABCDE"},
        {"ABCDEF", "CDAB"},
        {"ABCDEFG", "DEBC"},
        {"ABCDEFGH", "EFCDAB"},
        {"14D2BEEE", "BED214"},
        {"ABCDEFGHIJ", "GHEFCD"},
        {"0123456789ABCDEFGHIJKLMNOPQRSTU", "RSPQNO"},  // longest name a board holds
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.instanceName);
        char digest[kIdDigestSize];
        memset(digest, '#', sizeof digest);
        FormatIdDigest(c.instanceName, digest);
        EXPECT_STREQ(c.digest, digest);
    }
}

TEST(RowText, BoardsShowTypeAndDigest) {
    struct Case {
        int32_t boardType;
        const char* instanceName;
        const char* text;
    } cases[] = {
        {kBoardMarrowlink, "0000", "Marrowlink M1/M2, ID# 0000"},
        {kBoardMarrowlinkPnp, "ABCDEF", "Marrowlink PnP M1/M2, ID# CDAB"},
        {kBoardTessaline48, "ABC", "Tessaline 4/8 Port, ID# ABC"},
        {kBoardTessaline16, "14D2BEEE", "Tessaline 16 Port, ID# BED214"},
        {kBoardStandardCom, "0000", "Standard COM Port, ID# 0000"},
        {kBoardStandardCom, "A", "Standard COM Port, ID# "},
        {7, "0000", ", ID# 0000"},  // a code no walk makes: no made-up type name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BoardRecord board = {};
        board.boardType = c.boardType;
        strcpy(board.instanceName, c.instanceName);
        char text[kRowTextSize];
        FormatBoardRowText(&board, text);
        EXPECT_STREQ(c.text, text);
    }
}

TEST(RowText, PortsOfLegacyAndStandardBoardsShowOnlyTheName) {
    struct Case {
        int32_t boardType;
        uint16_t portNumber;
        const char* portName;
        const char* text;
    } cases[] = {
        {kBoardStandardCom, 1, "COM1", "Port Name -> COM1"},
        {kBoardMarrowlink, 2, "COM1", "Port Name -> COM1"},
        {kBoardTessaline16, 3, "COM7", "Port 3 -> COM7"},
        {kBoardMarrowlinkPnp, 0, "COM3", "Port 0 -> COM3"},
        {kBoardTessaline48, 65535, "COM1234567890123456", "Port 65535 -> COM1234567890123456"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BoardRecord board = {};
        board.boardType = c.boardType;
        PortRecord port = {};
        port.itemKind = 1;
        port.owningBoard = &board;
        port.portNumber = c.portNumber;
        strcpy(port.portName, c.portName);
        char text[kRowTextSize];
        FormatPortRowText(&port, text);
        EXPECT_STREQ(c.text, text);
    }
}

TEST(PortOrder, DirectSlotsThenChildrenSlotByChild) {
    ResetInventory();
    BoardRecord* board = AddTestBoard(kBoardTessaline16, "14D2BEEE");
    PortRecord* direct0 = AddDirectPort(board, 0, "COM3");
    PortRecord* direct2 = AddDirectPort(board, 2, "COM4");
    PortRecord* child1Slot0 = AddChildPort(board, 1, 0, "COM5");
    PortRecord* child0Slot1 = AddChildPort(board, 0, 1, "COM6");
    PortRecord* last = AddChildPort(board, 3, 3, "COM7");

    PortRecord* ports[kMaxBoardPorts];
    ASSERT_EQ(5, CollectPresentPorts(board, ports));
    EXPECT_EQ(direct0, ports[0]);
    EXPECT_EQ(direct2, ports[1]);
    EXPECT_EQ(child1Slot0, ports[2]);
    EXPECT_EQ(child0Slot1, ports[3]);
    EXPECT_EQ(last, ports[4]);
}

TEST(ExpandedRowsTopIndex, ShowsTheLastInsertedRowButKeepsTheBoardRow) {
    struct Case {
        const char* name;
        int32_t top, visibleRows, boardIndex, count, newTop;
    } cases[] = {
        {"last row onto the bottom line", 0, 8, 5, 6, 4},
        {"limited to the board row", 0, 8, 5, 20, 5},
        {"all rows fit", 0, 8, 2, 5, -1},
        {"exactly fills the page", 0, 8, 2, 6, 1},
        {"scrolled list", 10, 8, 14, 5, 12},
        {"board just below the page scrolls even with no rows", 0, 8, 8, 0, 1},
        {"board further below: the room wraps and nothing scrolls", 0, 8, 9, 3, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.newTop, ExpandedRowsTopIndex(c.top, c.visibleRows, c.boardIndex, c.count));
    }
}

}  // namespace
