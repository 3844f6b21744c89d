// tests/rename/rename_rule_test.cpp: which names a rename gives, and which renames are refused.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rename/rename_rule.h"

namespace {

BoardRecord* AddBoard(int32_t boardType = kBoardTessaline16) {
    BoardRecord* board = &g_inventory.boards[g_inventory.boardCount++];
    board->boardType = boardType;
    return board;
}

PortRecord* Place(BoardRecord* board, PortRecord* port, uint16_t number, const char* name) {
    port->itemKind = 1;
    port->portNumber = number;
    port->owningBoard = board;
    strcpy(port->portName, name);
    return port;
}

// A board whose direct slots 0.. hold ports numbered 1.. with these names.
BoardRecord* AddBoardWithPorts(const std::vector<const char*>& names) {
    BoardRecord* board = AddBoard();
    for (size_t i = 0; i < names.size(); ++i)
        Place(board, &board->ports[i], static_cast<uint16_t>(i + 1), names[i]);
    return board;
}

// The names of the board's present ports in the order the list shows them.
std::vector<std::string> Names(const BoardRecord* board) {
    std::vector<std::string> names;
    for (const PortRecord& port : board->ports)
        if (port.itemKind == 1)
            names.push_back(port.portName);
    for (int s = 0; s < kChildPorts; ++s)
        for (int k = 0; k < kChildCount; ++k)
            if (board->childGroups[k].ports[s].itemKind == 1)
                names.push_back(board->childGroups[k].ports[s].portName);
    return names;
}

class RenameRuleTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetInventory(); }
    void TearDown() override { ResetInventory(); }
};

// The selected board has ports 1..n (direct slots) with `before`; port `selected` is chosen.
// `other` names the single ports of other boards; `removedOther` those of a removed board.
struct EnumerationCase {
    const char* label;
    std::vector<const char*> before;
    int selected;  // port number
    std::vector<const char*> other;
    std::vector<const char*> removedOther;
    const char* typed;
    std::vector<std::string> after;
};

TEST_F(RenameRuleTest, RenumbersFollowingPortsSkippingNamesInUse) {
    const EnumerationCase cases[] = {
        {"ports below the selected one keep their names and count; other boards' names count",
         {"COM10", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"},
         3,
         {"COM7"},
         {},
         "COM5",
         {"COM10", "COM2", "COM5", "COM6", "COM8", "COM9", "COM11", "COM12"}},
        {"old names of the ports being renamed never block",
         {"COM4", "COM3", "COM2", "COM1"},
         1,
         {},
         {},
         "COM1",
         {"COM1", "COM2", "COM3", "COM4"}},
        {"leading zeros carry no weight",
         {"A", "B", "C"},
         1,
         {},
         {},
         "COM007",
         {"COM7", "COM8", "COM9"}},
        {"a bare number has an empty prefix", {"A", "B"}, 1, {}, {}, "12", {"12", "13"}},
        {"a name without a number starts at 1",
         {"A", "B"},
         1,
         {},
         {},
         "MODEM",
         {"MODEM1", "MODEM2"}},
        {"only the trailing digits are the counter",
         {"A", "B"},
         1,
         {},
         {},
         "A1B2",
         {"A1B2", "A1B3"}},
        {"names on a removed board do not block",
         {"A", "B"},
         1,
         {},
         {"COM1", "COM2"},
         "COM1",
         {"COM1", "COM2"}},
        {"names compare with letter case", {"A", "B"}, 1, {"com1"}, {}, "COM1", {"COM1", "COM2"}},
        {"a number passed over is not tried again for a later port",
         {"A", "B", "C"},
         1,
         {"COM2"},
         {},
         "COM1",
         {"COM1", "COM3", "COM4"}},
        {"the counter runs up to the largest 32-bit value",
         {"A", "B"},
         2,
         {},
         {},
         "COM2147483647",
         {"A", "COM2147483647"}},
        {"a long run of zeros is still a small number",
         {"A"},
         1,
         {},
         {},
         "COM000000000000007",
         {"COM7"}},
        {"a 19-character candidate fits",
         {"A", "B"},
         1,
         {},
         {},
         "ABCDEFGHIJKLMNOPQ98",
         {"ABCDEFGHIJKLMNOPQ98", "ABCDEFGHIJKLMNOPQ99"}},
    };
    for (const EnumerationCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetInventory();
        BoardRecord* board = AddBoardWithPorts(c.before);
        for (const char* name : c.other) {
            BoardRecord* other = AddBoard(kBoardStandardCom);
            Place(other, &other->ports[0], 1, name);
        }
        for (const char* name : c.removedOther) {
            BoardRecord* removed = AddBoard(kBoardStandardCom);
            removed->removed = 1;
            Place(removed, &removed->ports[0], 1, name);
        }
        RenameResult result = RenamePorts(&board->ports[c.selected - 1], c.typed, 1);
        EXPECT_EQ(kRenameDone, result.outcome) << result.refusedName;
        EXPECT_EQ(c.after, Names(board));
        EXPECT_EQ(1, board->modified);
    }
}

TEST_F(RenameRuleTest, WalksDirectThenChildPortsSlotByChildAndPassesOverEmptySlots) {
    BoardRecord* board = AddBoard();
    Place(board, &board->ports[0], 1, "A");
    Place(board, &board->ports[3], 2, "B");  // slots 1 and 2 are empty
    // Child ports numbered along the board's order: slot outer, child inner.
    for (int s = 0; s < 2; ++s)
        for (int k = 0; k < kChildCount; ++k)
            Place(board, &board->childGroups[k].ports[s], static_cast<uint16_t>(3 + s * 4 + k),
                  "X");

    ASSERT_EQ(kRenameDone, RenamePorts(&board->ports[3], "COM1", 1).outcome);
    const std::vector<std::string> expected = {"A",    "COM1", "COM2", "COM3", "COM4",
                                               "COM5", "COM6", "COM7", "COM8", "COM9"};
    EXPECT_EQ(expected, Names(board));
}

TEST_F(RenameRuleTest, PortsOfOtherBoardsCountWhateverTheirNumber) {
    BoardRecord* board = AddBoardWithPorts({"A", "B"});
    BoardRecord* other = AddBoard();
    Place(other, &other->ports[0], 9, "COM2");
    ASSERT_EQ(kRenameDone, RenamePorts(&board->ports[0], "COM1", 1).outcome);
    EXPECT_EQ((std::vector<std::string>{"COM1", "COM3"}), Names(board));
}

TEST_F(RenameRuleTest, StandardComPortEntryTakesTheNextFreeName) {
    BoardRecord* other = AddBoardWithPorts({"COM5"});
    BoardRecord* standard = AddBoard(kBoardStandardCom);
    PortRecord* port = Place(standard, &standard->ports[0], 0, "COM1");
    ASSERT_EQ(kRenameDone, RenamePorts(port, "COM5", 1).outcome);
    EXPECT_STREQ("COM6", port->portName);
    EXPECT_EQ(0, other->modified);
}

struct SingleCase {
    const char* label;
    const char* typed;
    int outcome;
    const char* name;  // the selected port's name afterwards, or the refused name
};

TEST_F(RenameRuleTest, SingleRenameRenamesOnePortOrRefusesWithoutChange) {
    const SingleCase cases[] = {
        {"a free name", "COM9", kRenameDone, "COM9"},
        {"a name without a number gets 1", "MODEM", kRenameDone, "MODEM1"},
        {"another letter case is another name", "com3", kRenameDone, "com3"},
        {"a name only a removed board has is free", "COM4", kRenameDone, "COM4"},
        {"the following port on the same board counts", "COM2", kRenameNameInUse, "COM2"},
        {"the port's own name counts", "COM1", kRenameNameInUse, "COM1"},
        {"another board's name counts", "COM3", kRenameNameInUse, "COM3"},
        {"the refused name is the one with the 1 appended", "LPT", kRenameNameInUse, "LPT1"},
        {"19 characters fit", "ABCDEFGHIJKLMNOPQR1", kRenameDone, "ABCDEFGHIJKLMNOPQR1"},
        {"19 characters and the appended 1 do not", "ABCDEFGHIJKLMNOPQRS", kRenameNameTooLong,
         "ABCDEFGHIJKLMNOPQRS1"},
        {"a 20-character entry is refused whole", "ABCDEFGHIJKLMNOPQR12", kRenameNameTooLong,
         "ABCDEFGHIJKLMNOPQR12"},
        {"a number beyond the counter is fine when nothing counts", "COM99999999999", kRenameDone,
         "COM99999999999"},
        {"empty text does nothing", "", kRenameNothing, "COM1"},
    };
    for (const SingleCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetInventory();
        BoardRecord* board = AddBoardWithPorts({"COM1", "COM2"});
        BoardRecord* other = AddBoard(kBoardStandardCom);
        Place(other, &other->ports[0], 0, "COM3");
        Place(other, &other->ports[1], 1, "LPT1");
        BoardRecord* removed = AddBoard(kBoardStandardCom);
        removed->removed = 1;
        Place(removed, &removed->ports[0], 0, "COM4");

        RenameResult result = RenamePorts(&board->ports[0], c.typed, 0);
        EXPECT_EQ(c.outcome, result.outcome);
        if (c.outcome == kRenameDone) {
            EXPECT_STREQ(c.name, board->ports[0].portName);
            EXPECT_EQ(1, board->modified);
        } else {
            EXPECT_STREQ("COM1", board->ports[0].portName);
            EXPECT_EQ(0, board->modified);
            EXPECT_STREQ(c.outcome == kRenameNothing ? "" : c.name, result.refusedName);
        }
        EXPECT_STREQ("COM2", board->ports[1].portName);
    }
}

TEST_F(RenameRuleTest, AutomaticEnumerationRefusesWholeWhenANameWouldNotFit) {
    const SingleCase cases[] = {
        {"the typed name with its 1 is too long", "ABCDEFGHIJKLMNOPQRS", kRenameNameTooLong,
         "ABCDEFGHIJKLMNOPQRS1"},
        {"a later candidate outgrows 19 characters", "ABCDEFGHIJKLMNOPQ98", kRenameNameTooLong,
         "ABCDEFGHIJKLMNOPQ100"},
        {"a trailing number beyond the counter", "COM2147483648", kRenameNumberTooLarge,
         "COM2147483648"},
        {"the counter would pass its largest value", "COM2147483646", kRenameNumberTooLarge,
         "COM2147483648"},
        {"a name in use is passed over, never refused", "COM9", kRenameDone, ""},
    };
    for (const SingleCase& c : cases) {
        SCOPED_TRACE(c.label);
        ResetInventory();
        BoardRecord* board = AddBoardWithPorts({"A", "B", "C"});
        BoardRecord* other = AddBoardWithPorts({"COM9", "ABCDEFGHIJKLMNOPQ99"});

        RenameResult result = RenamePorts(&board->ports[0], c.typed, 1);
        EXPECT_EQ(c.outcome, result.outcome);
        if (c.outcome == kRenameDone) {
            EXPECT_EQ((std::vector<std::string>{"COM10", "COM11", "COM12"}), Names(board));
            continue;
        }
        EXPECT_STREQ(c.name, result.refusedName);
        EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), Names(board));
        EXPECT_EQ(0, board->modified);
        EXPECT_EQ(0, other->modified);
    }
}

TEST_F(RenameRuleTest, IsPortNameInUseLeavesOutOnlyTheReferencePortsOwnFollowingPorts) {
    BoardRecord* board = AddBoardWithPorts({"COM1", "COM2", "COM3"});
    BoardRecord* other = AddBoardWithPorts({"COM8", "COM9"});
    struct {
        const PortRecord* reference;
        const char* name;
        int inUse;
    } cases[] = {
        {nullptr, "COM2", 1},          {nullptr, "com2", 0},          {&board->ports[1], "COM1", 1},
        {&board->ports[1], "COM2", 0}, {&board->ports[1], "COM3", 0}, {&board->ports[1], "COM9", 1},
        {&other->ports[1], "COM8", 1}, {&other->ports[1], "COM9", 0}, {&board->ports[0], "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.reference ? " with a reference" : " without"));
        EXPECT_EQ(c.inUse, IsPortNameInUse(c.reference, c.name));
    }
    other->removed = 1;
    EXPECT_EQ(0, IsPortNameInUse(nullptr, "COM9"));
}

TEST(RenameRefusalText, SaysWhatWasRefusedAndNeverOverrunsTheBuffer) {
    struct {
        int outcome;
        const char* text;
    } cases[] = {
        {kRenameNameInUse, "COM Port=[COM3] is already being used!"},
        {kRenameNameTooLong, "COM Port name [COM3] is too long!"},
        {kRenameNumberTooLarge, "COM Port number in [COM3] is too large!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RenameResult result = {c.outcome, "COM3"};
        char text[128];
        ASSERT_EQ(1, FormatRenameRefusal(result, text, sizeof text));
        EXPECT_STREQ(c.text, text);

        char small[12];
        memset(small, 'x', sizeof small);
        ASSERT_EQ(1, FormatRenameRefusal(result, small, 8));
        EXPECT_EQ(std::string(c.text).substr(0, 7), small);
        EXPECT_EQ('x', small[8]);
    }
    RenameResult done = {kRenameDone, ""};
    char text[8] = "keep";
    EXPECT_EQ(0, FormatRenameRefusal(done, text, sizeof text));
    EXPECT_STREQ("keep", text);
}

}  // namespace
