// tests/portlist/port_rows_test.cpp: which rows the list shows, expanding and collapsing by
// double-click and keys, the expanded set, and scrolling after an expansion.
#include "tests/portlist/list_test_window.h"

#include "app/resource.h"
#include "tests/portlist/board_builder.h"
#include "tests/support/test_inventory.h"

namespace {

LRESULT Data(const void* record) {
    return reinterpret_cast<LRESULT>(record);
}

class PortRowsTest : public PortListTest {
  protected:
    // Three boards: one with direct and child ports, one without ports, a standard port.
    void BuildInventory() {
        board0_ = AddTestBoard(kBoardTessaline16, "14D2BEEE");
        child1Slot0_ = AddChildPort(board0_, 1, 0, "COM5");
        direct0_ = AddDirectPort(board0_, 0, "COM3");
        child0Slot1_ = AddChildPort(board0_, 0, 1, "COM6");
        direct2_ = AddDirectPort(board0_, 2, "COM4");
        board1_ = AddTestBoard(kBoardMarrowlinkPnp, "ABCDEF");
        board2_ = AddTestBoard(kBoardStandardCom, "0000");
        com1_ = AddDirectPort(board2_, 0, "COM1");
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&g_inventory);
        built_.assign(bytes, bytes + sizeof g_inventory);
    }
    // The list only reads the inventory: filling and folding leave it as built.
    bool InventoryAsBuilt() const {
        return built_.size() == sizeof g_inventory &&
               memcmp(built_.data(), &g_inventory, sizeof g_inventory) == 0;
    }
    std::vector<LRESULT> AllRows() const {
        return {Data(board0_),      Data(direct0_), Data(direct2_), Data(child1Slot0_),
                Data(child0Slot1_), Data(board1_),  Data(board2_),  Data(com1_)};
    }
    std::vector<LRESULT> RowsWithBoard0Collapsed() const {
        return {Data(board0_), Data(board1_), Data(board2_), Data(com1_)};
    }
    void Fill() {
        BuildInventory();
        CreateList();
        PopulatePortList(list_, g_inventory);
    }
    // One key press as the list sees it: the key, then the character it types, if any.
    void Press(WPARAM virtualKey, char character) {
        SendMessageA(list_, WM_KEYDOWN, virtualKey, 1);
        if (character != 0) {
            SendMessageA(list_, WM_CHAR, static_cast<unsigned char>(character), 1);
        }
    }

    BoardRecord* board0_ = nullptr;
    BoardRecord* board1_ = nullptr;
    BoardRecord* board2_ = nullptr;
    PortRecord *direct0_ = nullptr, *direct2_ = nullptr, *child1Slot0_ = nullptr,
               *child0Slot1_ = nullptr, *com1_ = nullptr;
    std::vector<unsigned char> built_;
};

TEST_F(PortRowsTest, FillShowsEveryBoardExpandedWithItsPortsInRowOrder) {
    Fill();
    EXPECT_EQ(AllRows(), Rows());
    EXPECT_EQ(1, PortHasNextSibling(direct0_));
    EXPECT_EQ(1, PortHasNextSibling(direct2_));
    EXPECT_EQ(1, PortHasNextSibling(child1Slot0_));
    EXPECT_EQ(0, PortHasNextSibling(child0Slot1_));
    EXPECT_EQ(0, PortHasNextSibling(com1_));
    EXPECT_TRUE(InventoryAsBuilt());
    ASSERT_EQ(3, g_portListState.expandedCount);
    EXPECT_EQ(board0_, g_portListState.expandedItems[0]);
    EXPECT_EQ(board1_, g_portListState.expandedItems[1]);
    EXPECT_EQ(board2_, g_portListState.expandedItems[2]);
}

TEST_F(PortRowsTest, EmptyInventoryGivesAnEmptyListThatIgnoresToggleKeys) {
    CreateList();
    PopulatePortList(list_, g_inventory);
    Press(VK_SPACE, ' ');
    Press(VK_ADD, '+');
    EXPECT_EQ(0, SendMessageA(list_, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, g_portListState.expandedCount);
}

TEST_F(PortRowsTest, EachToggleWayCollapsesAndExpandsTheCaretBoardOnce) {
    Fill();
    struct Case {
        const char* name;
        WPARAM virtualKey;  // 0: double-click instead of a key
        char character;
    } cases[] = {
        {"double-click", 0, 0},       {"Space", VK_SPACE, ' '},
        {"Left", VK_LEFT, 0},         {"Right", VK_RIGHT, 0},
        {"Insert", VK_INSERT, 0},     {"Execute", VK_EXECUTE, 0},
        {"plus", VK_OEM_PLUS, '+'},   {"keypad plus", VK_ADD, '+'},
        {"minus", VK_OEM_MINUS, '-'}, {"keypad minus", VK_SUBTRACT, '-'},
        {"per cent", '5', '%'},       {"apostrophe", VK_OEM_7, '\''},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int round = 0; round < 2; ++round) {
            SendMessageA(list_, LB_SETCURSEL, 0, 0);
            if (c.virtualKey == 0) {
                ToggleBoardRow(list_, board0_, 0);
            } else {
                Press(c.virtualKey, c.character);
            }
            bool collapsed = round == 0;
            EXPECT_EQ(collapsed ? RowsWithBoard0Collapsed() : AllRows(), Rows());
            EXPECT_EQ(collapsed ? 0 : 1, ExpandedSetContains(&g_portListState, board0_));
        }
    }
    // The expansion re-inserted the rows the fill made, so the tree lines are unchanged.
    EXPECT_EQ(1, PortHasNextSibling(child1Slot0_));
    EXPECT_EQ(0, PortHasNextSibling(child0Slot1_));
}

TEST_F(PortRowsTest, KeysThatToggleNothing) {
    Fill();
    struct Case {
        const char* name;
        int caret;
        WPARAM virtualKey;
        char character;
    } cases[] = {
        {"Space on a port row", 1, VK_SPACE, ' '},    {"plus on a port row", 2, VK_OEM_PLUS, '+'},
        {"Enter on a board row", 0, VK_RETURN, '\r'}, {"a letter on a board row", 0, 'A', 'a'},
        {"Down on a board row", 0, VK_DOWN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SendMessageA(list_, LB_SETCURSEL, c.caret, 0);
        Press(c.virtualKey, c.character);
        EXPECT_EQ(AllRows(), Rows());
        EXPECT_EQ(3, g_portListState.expandedCount);
    }
    ToggleBoardRow(list_, direct0_, 1);  // a double-click on a port row
    EXPECT_EQ(AllRows(), Rows());
}

TEST_F(PortRowsTest, CollapsingTheLastBoardStopsAtTheEndOfTheList) {
    Fill();
    ToggleBoardRow(list_, board2_, 6);
    std::vector<LRESULT> expected = AllRows();
    expected.pop_back();
    EXPECT_EQ(expected, Rows());
    ToggleBoardRow(list_, board2_, 6);
    EXPECT_EQ(AllRows(), Rows());
}

TEST_F(PortRowsTest, BoardWithoutPortsOnlyMovesInAndOutOfTheSet) {
    Fill();
    ToggleBoardRow(list_, board1_, 5);
    EXPECT_EQ(AllRows(), Rows());
    EXPECT_EQ(0, ExpandedSetContains(&g_portListState, board1_));
    ToggleBoardRow(list_, board1_, 5);
    EXPECT_EQ(AllRows(), Rows());
    EXPECT_EQ(1, ExpandedSetContains(&g_portListState, board1_));
    EXPECT_TRUE(InventoryAsBuilt());
}

TEST_F(PortRowsTest, ExpandedSetKeepsInsertionOrderAndFreesWhenEmpty) {
    PortListState state = {};
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(0, ExpandedSetContains(&state, &a));
    EXPECT_EQ(1, ExpandedSetAdd(&state, &a));
    EXPECT_EQ(1, ExpandedSetAdd(&state, &b));
    EXPECT_EQ(1, ExpandedSetAdd(&state, &c));
    EXPECT_EQ(1, ExpandedSetAdd(&state, &b));  // already there: not twice
    ASSERT_EQ(3, state.expandedCount);

    ExpandedSetRemove(&state, &b);
    ASSERT_EQ(2, state.expandedCount);
    EXPECT_EQ(&a, state.expandedItems[0]);
    EXPECT_EQ(&c, state.expandedItems[1]);
    EXPECT_EQ(0, ExpandedSetContains(&state, &b));

    ExpandedSetRemove(&state, &b);  // absent: nothing changes
    EXPECT_EQ(2, state.expandedCount);
    ExpandedSetRemove(&state, &a);
    ExpandedSetRemove(&state, &c);
    EXPECT_EQ(0, state.expandedCount);
    EXPECT_EQ(nullptr, state.expandedItems);
}

TEST_F(PortRowsTest, ExpansionScrollsItsLastRowIntoViewButNotPastTheBoard) {
    struct Case {
        int ports;
        LRESULT top;
    } cases[] = {{2, 0}, {6, 4}, {20, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ports);
        ResetInventory();
        ResetPortListState();
        ASSERT_EQ(1, LoadImageStrip(GetModuleHandleA(nullptr), IDB_TREE_IMAGES, 4, 3, 1,
                                    &g_portListState, 1));
        for (int b = 0; b < 5; ++b) {
            AddTestBoard(kBoardStandardCom, "0000");
        }
        BoardRecord* board = AddTestBoard(kBoardTessaline16, "14D2BEEE");
        for (int slot = 0; slot < c.ports; ++slot) {
            AddDirectPort(board, slot, "COM9");
        }
        if (parent_ != nullptr) {
            DestroyWindow(parent_);
        }
        CreateList(200, 8 * 16);  // eight rows of 16 pixels
        PopulatePortList(list_, g_inventory);
        ToggleBoardRow(list_, board, 5);
        SendMessageA(list_, LB_SETTOPINDEX, 0, 0);
        ToggleBoardRow(list_, board, 5);
        EXPECT_EQ(c.top, SendMessageA(list_, LB_GETTOPINDEX, 0, 0));
    }
}

TEST_F(PortRowsTest, ExpansionWithoutAnyRowHeightDoesNotScrollOrFail) {
    ResetPortListState();  // neither strip nor font: itemHeight 0
    Fill();
    ToggleBoardRow(list_, board0_, 0);
    ToggleBoardRow(list_, board0_, 0);
    EXPECT_EQ(AllRows(), Rows());
}

}  // namespace
