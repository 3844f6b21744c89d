// tests/rename/setup_apply_test.cpp: which boards a saved setup matches, and which names it gives.
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "rename/setup_apply.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

enum { T16 = kBoardTessaline16, T48 = kBoardTessaline48, STD = kBoardStandardCom };

struct Here {
    int type;
    const char* instance;            // up to 5 characters is its own ID#
    std::vector<const char*> names;  // ports 1..n in direct slots; "" leaves a slot empty
    int removed;
};
struct Saved {
    int type;
    const char* id;
    std::vector<std::pair<int, const char*>> ports;  // place, name
};
struct ApplyCase {
    const char* label;
    std::vector<Here> here;
    std::vector<Saved> saved;  // lines from 3: each BOARD line, then its PORT lines
    int partial;
    std::vector<std::vector<std::string>> after;  // present names per board; {} when refused
    std::vector<std::string> said;
    std::vector<const char*> foreign = {};
    int overflow = 0;
};

SavedSetup g_setup;

void FillSetup(const std::vector<Saved>& saved) {
    memset(&g_setup, 0, sizeof g_setup);
    int line = 3;
    for (const Saved& s : saved) {
        SavedBoard& board = g_setup.boards[g_setup.boardCount++];
        board.boardType = s.type;
        board.line = line++;
        strcpy(board.id, s.id);
        for (const auto& p : s.ports) {
            SavedPort& port = board.ports[board.portCount++];
            port.place = p.first;
            port.line = line++;
            strncpy(port.name, p.second, kSavedNameSize - 1);
            port.nameCut = strlen(p.second) >= kSavedNameSize;
        }
    }
}

std::vector<std::vector<std::string>> AllNames() {
    std::vector<std::vector<std::string>> all;
    for (int b = 0; b < g_inventory.boardCount; ++b) {
        all.emplace_back();
        for (const PortRecord* port : PresentPorts(g_inventory.boards[b]))
            all.back().push_back(port->portName);
    }
    return all;
}

void Said(void* context, const char* text) {
    static_cast<std::vector<std::string>*>(context)->push_back(text);
}

void FillInventory(const std::vector<Here>& here, const std::vector<const char*>& foreign,
                   int overflow) {
    ResetInventory();
    for (const Here& h : here) {
        BoardRecord* board = &g_inventory.boards[g_inventory.boardCount++];
        board->boardType = h.type;
        board->removed = h.removed;
        strcpy(board->instanceName, h.instance);
        for (size_t i = 0; i < h.names.size(); ++i) {
            PortRecord* port = &board->ports[i];
            port->itemKind = h.names[i][0] != 0 ? kPortItem : 0;
            port->portNumber = static_cast<uint16_t>(i + 1);
            port->owningBoard = board;
            strcpy(port->portName, h.names[i]);
        }
    }
    g_inventory.foreign.read = 1;
    g_inventory.foreign.overflow = overflow;
    for (const char* name : foreign)
        strcpy(g_inventory.foreign.names[g_inventory.foreign.count++].portName, name);
}

void ExpectApply(const ApplyCase& c) {
    SCOPED_TRACE(c.label);
    FillInventory(c.here, c.foreign, c.overflow);
    FillSetup(c.saved);
    std::vector<std::vector<std::string>> before = AllNames();

    std::vector<std::string> said;
    SetupApplyCounts counts;
    int result = ApplySavedSetup(g_inventory, g_setup, c.partial, Said, &said, &counts);
    EXPECT_EQ(c.said, said);
    EXPECT_EQ(c.after.empty() ? kSetupRefused : kSetupApplied, result);
    std::vector<std::vector<std::string>> after = AllNames();
    EXPECT_EQ(c.after.empty() ? before : c.after, after);
    // Only boards with a changed name are marked, and the count is of changed names.
    int changed = 0;
    for (size_t b = 0; b < after.size(); ++b) {
        int boardChanged = 0;
        for (size_t i = 0; i < after[b].size(); ++i)
            boardChanged += after[b][i] != before[b][i];
        EXPECT_EQ(boardChanged > 0, g_inventory.boards[b].modified) << "board " << b;
        changed += boardChanged;
    }
    EXPECT_EQ(changed, counts.namesChanged);
}

const char kT16[] = "Tessaline 16 Port, ID# ";
const char kT48[] = "Tessaline 4/8 Port, ID# ";
const char kStd[] = "Standard COM Port, ID# ";
std::string Board(const char* type, const char* id) {
    return std::string(type) + id;
}
std::string Match(const char* type, const char* saved, const char* here, const char* how) {
    return Board(type, saved) + " -> " + Board(type, here) + " (by " + how + ")";
}
std::string NotInFile(const char* type, const char* id) {
    return Board(type, id) + ": not in the file, left as it is";
}

TEST(SetupApply, MatchesByIdThenByOrderWithinTypeStandardPortsByIdOnly) {
    // clang-format off
    const ApplyCase cases[] = {
        {"by ID#, in any letter case and any order; the long name's ID# is its digest",
         {{T16, "ABCDEF12", {"COM5", "COM6"}, 0}, {T16, "BB", {"COM7"}, 0}},
         {{T16, "bb", {{1, "B1"}}}, {T16, "efcdab", {{2, "A2"}}}}, 0,
         {{"COM5", "A2"}, {"B1"}},
         {Match(kT16, "bb", "BB", "ID#"), Match(kT16, "efcdab", "EFCDAB", "ID#")}},
        {"by order within a type; removed boards and other types are passed over",
         {{T16, "AA", {"A"}, 0}, {T48, "CC", {"C"}, 0}, {T16, "RR", {"R"}, 1}, {T16, "BB", {"B"}, 0}},
         {{T48, "X3", {{1, "C3"}}}, {T16, "X1", {{1, "A1"}}}, {T16, "X2", {{1, "B2"}}}}, 0,
         {{"A1"}, {"C3"}, {"R"}, {"B2"}},
         {Match(kT48, "X3", "CC", "order"), Match(kT16, "X1", "AA", "order"),
          Match(kT16, "X2", "BB", "order")}},
        {"ID# first, then the rest by order; a board here left over is said",
         {{T16, "AA", {"A"}, 0}, {T16, "BB", {"B"}, 0}, {T16, "CC", {"C"}, 0}},
         {{T16, "ZZ", {{1, "A1"}}}, {T16, "BB", {{1, "B1"}}}}, 0, {{"A1"}, {"B1"}, {"C"}},
         {Match(kT16, "ZZ", "AA", "order"), Match(kT16, "BB", "BB", "ID#"),
          NotInFile(kT16, "CC")}},
        {"a Standard COM Port only by ID#: refused, nothing changes",
         {{STD, "01", {"COM1"}, 0}, {STD, "02", {"COM2"}, 0}},
         {{STD, "01", {{1, "COM3"}}}, {STD, "09", {{1, "COM4"}}}}, 0, {},
         {Match(kStd, "01", "01", "ID#"), "line 5: " + Board(kStd, "09") + ": no such board here",
          NotInFile(kStd, "02")}},
        {"partial skips it and gives the rest",
         {{STD, "01", {"COM1"}, 0}, {STD, "02", {"COM2"}, 0}},
         {{STD, "01", {{1, "COM3"}}}, {STD, "09", {{1, "COM4"}}}}, 1, {{"COM3"}, {"COM2"}},
         {Match(kStd, "01", "01", "ID#"),
          "line 5: " + Board(kStd, "09") + ": no such board here, skipped", NotInFile(kStd, "02")}},
        {"a place counts present ports; one past them is refused",
         {{T16, "AA", {"A", "", "", "B"}, 0}},
         {{T16, "AA", {{2, "B2"}, {3, "C3"}}}}, 0, {},
         {Match(kT16, "AA", "AA", "ID#"), "line 5: the board here has no port at place 3"}},
    };
    // clang-format on
    for (const ApplyCase& c : cases)
        ExpectApply(c);
}

TEST(SetupApply, ChecksTheNewNamesAsOneAssignmentAndListsEveryRefusal) {
    const std::string m = Match(kT16, "AA", "AA", "ID#");
    const char* used = " is already being used!";
    const std::string longName(60, 'X');
    // clang-format off
    const ApplyCase cases[] = {
        {"a swap", {{T16, "AA", {"COM5", "COM6"}, 0}}, {{T16, "AA", {{1, "COM6"}, {2, "COM5"}}}},
         0, {{"COM6", "COM5"}}, {m}},
        {"a three-way cycle", {{T16, "AA", {"A1", "A2", "A3"}, 0}},
         {{T16, "AA", {{1, "A2"}, {2, "A3"}, {3, "A1"}}}}, 0, {{"A2", "A3", "A1"}}, {m}},
        {"a port under its own name; another only in letter case",
         {{T16, "AA", {"COM5", "COM6"}, 0}}, {{T16, "AA", {{1, "COM5"}, {2, "com6"}}}}, 0,
         {{"COM5", "com6"}}, {m}},
        {"a removed board holds no name", {{T16, "AA", {"A"}, 0}, {T16, "RR", {"COM9"}, 1}},
         {{T16, "AA", {{1, "COM9"}}}}, 0, {{"COM9"}, {"COM9"}}, {m}},
        {"a keeper on a board not in the file; one on the same board, with no line",
         {{T16, "AA", {"A", "B", "COM7"}, 0}, {T16, "BB", {"COM6"}, 0}},
         {{T16, "AA", {{1, "com6"}, {2, "COM7"}}}}, 0, {},
         {m, "line 4: COM Port=[com6]" + std::string(used) +
                 " (as COM6; Windows ignores letter case)",
          "line 5: COM Port=[COM7]" + std::string(used), NotInFile(kT16, "BB")}},
        {"a foreign name; two ports given one; too long; a cut name; DOS character; blanks",
         {{T16, "AA", {"A", "B", "C", "D", "E", "F", "G", "H"}, 0}},
         {{T16, "AA", {{1, "LPT1"}, {2, "COM9"}, {3, "com9"}, {4, "ABCDEFGHIJKLMNOPQR12"},
                       {5, longName.c_str()}, {6, "COM:1"}, {7, "COM 1"},
                       {8, "COM\t1"}}}},
         0, {},
         {m, "line 4: COM Port=[LPT1]" + std::string(used),
          "line 5: COM Port=[COM9] is also given on line 6",
          "line 6: COM Port=[com9] is also given on line 5",
          "line 7: COM Port name [ABCDEFGHIJKLMNOPQR12] is too long!",
          "line 8: COM Port name [" + std::string(kSavedNameSize - 1, 'X') + "] is too long!",
          "line 9: COM Port name [COM:1] cannot hold the character :",
          "line 10: COM Port name [COM 1] cannot hold the character code 32",
          "line 11: COM Port name [COM\t1] cannot hold the character code 9"},
         {"LPT1"}},
        {"too many foreign names: every change refused, said once, whoever holds it",
         {{T16, "AA", {"A", "B", "C"}, 0}}, {{T16, "AA", {{1, "A"}, {2, "X"}, {3, "Y"}}}}, 0, {},
         {m, "line 5: This machine holds more COM port names than korvalin can check, so no "
             "port is renamed."}, {"X"}, 1},
        {"too many foreign names: no change, nothing refused", {{T16, "AA", {"A", "B"}, 0}},
         {{T16, "AA", {{1, "A"}, {2, "B"}}}}, 0, {{"A", "B"}}, {m}, {}, 1},
    };
    // clang-format on
    for (const ApplyCase& c : cases)
        ExpectApply(c);
}

// What /save writes back: every board's present ports, child ports among them, in port order.
// The other devices' names are read by the apply itself, and only when a name changes.
TEST(SetupApply, ASetupOfTheMachinesOwnNamesChangesNothing) {
    ASSERT_TRUE(
        LoadFixtureText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\MODEM\\1]\n"
                        "\"PORTNAME\"=\"COM9\"\n\n"));
    FillInventory({{T16, "AA", {"COM5", "", "COM6"}, 0}, {STD, "01", {"COM1"}, 0}}, {}, 0);
    g_inventory.foreign.read = 0;
    BoardRecord& board = g_inventory.boards[0];
    board.childGroups[1].ports[0] = {kPortItem, 9, &board, "COM7"};
    memset(&g_setup, 0, sizeof g_setup);
    g_setup.boardCount = g_inventory.boardCount;
    for (int b = 0; b < g_inventory.boardCount; ++b) {
        SavedBoard& saved = g_setup.boards[b];
        saved.boardType = g_inventory.boards[b].boardType;
        strcpy(saved.id, g_inventory.boards[b].instanceName);
        for (const PortRecord* port : PresentPorts(g_inventory.boards[b])) {
            saved.ports[saved.portCount] = {saved.portCount + 1, 0, 0, ""};
            strcpy(saved.ports[saved.portCount++].name, port->portName);
        }
    }
    SetupApplyCounts counts = {-1, -1, -1};
    EXPECT_EQ(kSetupApplied, ApplySavedSetup(g_inventory, g_setup, 0, nullptr, nullptr, &counts));
    EXPECT_EQ(0, counts.namesChanged);
    EXPECT_EQ(0, counts.boardsSkipped + counts.boardsNotInFile);
    EXPECT_EQ(0, g_inventory.boards[0].modified + g_inventory.boards[1].modified);
    EXPECT_EQ(3, g_setup.boards[0].portCount);
    EXPECT_EQ(0, g_inventory.foreign.read);

    strcpy(g_setup.boards[1].ports[0].name, "COM9");
    std::vector<std::string> said;
    EXPECT_EQ(kSetupRefused, ApplySavedSetup(g_inventory, g_setup, 0, Said, &said, &counts));
    EXPECT_EQ("line 0: COM Port=[COM9] is already being used!", said.back());
    ClearTestRegistry();
}

}  // namespace
