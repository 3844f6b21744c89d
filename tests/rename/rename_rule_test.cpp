// tests/rename/rename_rule_test.cpp: which names a rename gives, and which renames are refused.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rename/rename_rule.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

PortRecord* Place(BoardRecord* board, PortRecord* port, int number, const char* name) {
    port->itemKind = 1;
    port->portNumber = static_cast<uint16_t>(number);
    port->owningBoard = board;
    strcpy(port->portName, name);
    return port;
}

// A board whose direct slots 0.. hold ports numbered 1.. with these names.
BoardRecord* AddBoard(const std::vector<const char*>& names, int removed = 0) {
    BoardRecord* board = &g_inventory.boards[g_inventory.boardCount++];
    board->removed = removed;
    for (size_t i = 0; i < names.size(); ++i)
        Place(board, &board->ports[i], static_cast<int>(i + 1), names[i]);
    return board;
}

// A board with one port numbered 9: above every selected port, so only its board decides
// whether it counts.
void AddOtherPort(const char* name, int removed = 0) {
    BoardRecord* board = AddBoard({}, removed);
    Place(board, &board->ports[0], 9, name);
}

// The present ports' names in the order the list shows them.
std::vector<std::string> Names(BoardRecord* board) {
    std::vector<std::string> names;
    for (const PortRecord* port : PresentPorts(*board))
        names.push_back(port->portName);
    return names;
}

struct RenameCase {
    const char* label;
    std::vector<const char*> before;  // the selected board's ports 1..n
    int selected;                     // port number
    std::vector<const char*> other;   // ports of other boards; "-X" is on a removed board
    const char* typed;
    int outcome;
    std::vector<std::string> after;  // the board's names, or for a refusal the refused name
                                     // and, when its letter case differs, the holder's
};

void ExpectRename(const RenameCase& c, int autoEnumerate) {
    SCOPED_TRACE(c.label);
    ResetInventory();
    BoardRecord* board = AddBoard(c.before);
    for (const char* name : c.other)
        AddOtherPort(name[0] == '-' ? name + 1 : name, name[0] == '-');
    PortRecord* port = &board->ports[c.selected - 1];
    // The dry run decides the same and stores nothing; the rename then gives what it planned.
    RenamePlan plan;
    RenameResult dry = RenamePorts(g_inventory, port, c.typed, autoEnumerate, &plan);
    EXPECT_EQ(c.outcome, dry.outcome);
    EXPECT_EQ(std::vector<std::string>(c.before.begin(), c.before.end()), Names(board));
    EXPECT_EQ(0, board->modified);
    RenameResult result = RenamePorts(port, c.typed, autoEnumerate);
    EXPECT_EQ(c.outcome, result.outcome) << result.refusedName;
    for (int i = 0; c.outcome == kRenameDone && i < plan.count; ++i)
        EXPECT_STREQ(plan.names[i], plan.ports[i]->portName);
    if (c.outcome == kRenameDone) {
        EXPECT_EQ(c.after, Names(board));
    } else {
        EXPECT_EQ(std::vector<std::string>(c.before.begin(), c.before.end()), Names(board));
        std::vector<std::string> refused{result.refusedName};
        if (result.heldName != nullptr)
            refused.push_back(result.heldName);
        EXPECT_EQ(c.after, refused);
    }
    EXPECT_EQ(c.outcome == kRenameDone, board->modified);
    for (int32_t b = 1; b < g_inventory.boardCount; ++b)
        EXPECT_EQ(0, g_inventory.boards[b].modified);
}

TEST(RenameRule, AutomaticEnumerationRenumbersFollowingPortsSkippingNamesInUse) {
    // clang-format off
    const RenameCase cases[] = {
        {"lower ports keep their names and count; other boards count whatever their number",
         {"COM10", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}, 3, {"COM7"}, "COM5",
         kRenameDone, {"COM10", "COM2", "COM5", "COM6", "COM8", "COM9", "COM11", "COM12"}},
        {"old names of the ports being renamed never block",
         {"COM4", "COM3", "COM2", "COM1"}, 1, {}, "COM1", kRenameDone,
         {"COM1", "COM2", "COM3", "COM4"}},
        {"leading zeros carry no weight", {"A", "B"}, 1, {}, "COM007", kRenameDone,
         {"COM7", "COM8"}},
        {"a bare number has an empty prefix", {"A", "B"}, 1, {}, "12", kRenameDone, {"12", "13"}},
        {"a name without a number starts at 1", {"A", "B"}, 1, {}, "MODEM", kRenameDone,
         {"MODEM1", "MODEM2"}},
        {"only the trailing digits count", {"A", "B"}, 1, {}, "A1B2", kRenameDone,
         {"A1B2", "A1B3"}},
        {"removed boards do not block; names in another letter case do", {"A", "B"}, 1,
         {"-COM1", "com2"}, "COM1", kRenameDone, {"COM1", "COM3"}},
        {"the name keeps the letter case typed", {"COM1", "COM2"}, 1, {"COM3"}, "com2",
         kRenameDone, {"com2", "com4"}},
        {"a number passed over is not tried again", {"A", "B", "C"}, 1, {"COM2"}, "COM1",
         kRenameDone, {"COM1", "COM3", "COM4"}},
        {"a single-port board takes the next free name", {"COM1"}, 1, {"COM5"}, "COM5",
         kRenameDone, {"COM6"}},
        {"the counter reaches its largest value", {"A", "B"}, 2, {}, "COM2147483647",
         kRenameDone, {"A", "COM2147483647"}},
        {"many zeros are still a small number", {"A"}, 1, {}, "COM000000000000007", kRenameDone,
         {"COM7"}},
        {"19 characters with the 1 appended", {"A"}, 1, {}, "ABCDEFGHIJKLMNOPQRS",
         kRenameNameTooLong, {"ABCDEFGHIJKLMNOPQRS1"}},
        {"a later candidate outgrows 19 characters", {"A", "B", "C"}, 1,
         {"ABCDEFGHIJKLMNOPQ99"}, "ABCDEFGHIJKLMNOPQ98", kRenameNameTooLong,
         {"ABCDEFGHIJKLMNOPQ100"}},
        {"a trailing number beyond the counter", {"A"}, 1, {}, "COM2147483648",
         kRenameNumberTooLarge, {"COM2147483648"}},
        {"the counter would pass its largest value", {"A", "B", "C"}, 1, {}, "COM2147483646",
         kRenameNumberTooLarge, {"COM2147483648"}},
        {"empty text", {"A"}, 1, {}, "", kRenameNothing, {""}},
    };
    // clang-format on
    for (const RenameCase& c : cases)
        ExpectRename(c, 1);
}

TEST(RenameRule, SingleRenameRenamesOnePortOrRefuses) {
    // clang-format off
    const RenameCase cases[] = {
        {"a free name", {"COM1", "COM2"}, 1, {}, "COM9", kRenameDone, {"COM9", "COM2"}},
        {"a name without a number gets 1", {"COM1", "COM2"}, 1, {}, "MODEM", kRenameDone,
         {"MODEM1", "COM2"}},
        {"a removed board does not block", {"COM1", "COM2"}, 1, {"-COM4"}, "COM4", kRenameDone,
         {"COM4", "COM2"}},
        {"a name in another letter case blocks", {"COM1", "COM2"}, 1, {"COM3"}, "com3",
         kRenameNameInUse, {"com3", "COM3"}},
        {"so does the port's own name in another case", {"COM1", "COM2"}, 1, {}, "Com1",
         kRenameNameInUse, {"Com1", "COM1"}},
        {"the port's own name counts", {"COM1", "COM2"}, 1, {}, "COM1", kRenameNameInUse,
         {"COM1"}},
        {"a following port of the board counts", {"COM1", "COM2"}, 1, {}, "COM2",
         kRenameNameInUse, {"COM2"}},
        {"the refused name has its 1", {"COM1", "LPT1"}, 1, {}, "LPT", kRenameNameInUse,
         {"LPT1"}},
        {"19 characters fit", {"COM1"}, 1, {}, "ABCDEFGHIJKLMNOPQR1", kRenameDone,
         {"ABCDEFGHIJKLMNOPQR1"}},
        {"19 characters and the 1 do not fit", {"COM1"}, 1, {}, "ABCDEFGHIJKLMNOPQRS",
         kRenameNameTooLong, {"ABCDEFGHIJKLMNOPQRS1"}},
        {"20 characters are refused whole", {"COM1"}, 1, {}, "ABCDEFGHIJKLMNOPQR12",
         kRenameNameTooLong, {"ABCDEFGHIJKLMNOPQR12"}},
        {"no counter, so any number fits", {"COM1"}, 1, {}, "COM99999999999", kRenameDone,
         {"COM99999999999"}},
    };
    // clang-format on
    for (const RenameCase& c : cases)
        ExpectRename(c, 0);
}

TEST(RenameRule, WalksDirectPortsThenChildPortsSlotByChild) {
    ResetInventory();
    BoardRecord* board = AddBoard({"A"});
    Place(board, &board->ports[3], 2, "B");  // slots 1 and 2 are empty
    for (int s = 0; s < 2; ++s)
        for (int k = 0; k < kChildCount; ++k)
            Place(board, &board->childGroups[k].ports[s], 3 + s * 4 + k, "X");
    ASSERT_EQ(kRenameDone, RenamePorts(&board->ports[3], "COM1", 1).outcome);
    EXPECT_EQ((std::vector<std::string>{"A", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                        "COM8", "COM9"}),
              Names(board));
}

TEST(RenameRule, RefusalTextsNameTheNameAndStayInTheirBuffer) {
    const std::pair<int, const char*> cases[] = {
        {kRenameNameInUse, "COM Port=[COM3] is already being used!"},
        {kRenameNameTooLong, "COM Port name [COM3] is too long!"},
        {kRenameNumberTooLarge, "COM Port number in [COM3] is too large!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.second);
        RenameResult result = {c.first, "COM3"};
        char text[128];
        ASSERT_EQ(1, FormatRenameRefusal(result, text, sizeof text));
        EXPECT_STREQ(c.second, text);
        char small[12] = "xxxxxxxxxxx";
        FormatRenameRefusal(result, small, 8);
        EXPECT_EQ(std::string(c.second, 7) + '\0' + "xxx", std::string(small, 11));
    }
    // A name held in another letter case says how it is held.
    RenameResult otherCase = {kRenameNameInUse, "com3", "COM3"};
    char text[128];
    ASSERT_EQ(1, FormatRenameRefusal(otherCase, text, sizeof text));
    EXPECT_STREQ("COM Port=[com3] is already being used! (as COM3; Windows ignores letter case)",
                 text);
    char small[48];
    FormatRenameRefusal(otherCase, small, sizeof small);
    EXPECT_STREQ("COM Port=[com3] is already being used! (as COM3", small);

    RenameResult done = {kRenameDone, ""};
    char kept[8] = "keep";
    EXPECT_EQ(0, FormatRenameRefusal(done, kept, sizeof kept));
}

}  // namespace
