// tests/rename/setup_apply_test.cpp: which boards a saved setup matches, and which names it gives.
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rename/setup_apply.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

using Texts = std::vector<std::string>;

struct ApplyCase {
    const char* label;
    // Boards here "TYPE,ID,name,..." (direct slots; "" leaves one empty; "-TYPE": removed), and
    // saved "TYPE,ID,place=name,..." from line 3: each BOARD line, then its PORT lines.
    Texts here, saved;
    int partial;
    Texts after;  // each board's present names after, "," between; {} when refused
    Texts said;
    Texts foreign = {};
    int overflow = 0;
};

SavedSetup g_setup;

Texts Split(const std::string& text) {
    Texts parts(1);
    for (char c : text)
        c == ',' ? parts.emplace_back() : parts.back() += c;
    return parts;
}

int TypeOf(const std::string& t) {
    return t == "T16" ? kBoardTessaline16 : t == "T48" ? kBoardTessaline48 : kBoardStandardCom;
}

Texts Names() {
    Texts all;
    for (int b = 0; b < g_inventory.boardCount; ++b) {
        std::string names;
        for (const PortRecord* port : PresentPorts(g_inventory.boards[b]))
            names += (names.empty() ? "" : ",") + std::string(port->portName);
        all.push_back(names);
    }
    return all;
}

void Said(void* context, const char* text) {
    static_cast<Texts*>(context)->push_back(text);
}

void Fill(const ApplyCase& c) {
    ResetInventory();
    for (const std::string& h : c.here) {
        Texts part = Split(h);
        BoardRecord* board = &g_inventory.boards[g_inventory.boardCount++];
        board->removed = part[0][0] == '-';
        board->boardType = TypeOf(part[0].substr(board->removed));
        strcpy(board->instanceName, part[1].c_str());
        for (size_t i = 2; i < part.size(); ++i) {
            board->ports[i - 2] = {!part[i].empty(), static_cast<uint16_t>(i - 1), board};
            strcpy(board->ports[i - 2].portName, part[i].c_str());
        }
    }
    g_inventory.foreign.read = 1;
    g_inventory.foreign.overflow = c.overflow;
    for (const std::string& name : c.foreign)
        strcpy(g_inventory.foreign.names[g_inventory.foreign.count++].portName, name.c_str());
    memset(&g_setup, 0, sizeof g_setup);
    int line = 3;
    for (const std::string& s : c.saved) {
        Texts part = Split(s);
        SavedBoard& board = g_setup.boards[g_setup.boardCount++];
        board = {TypeOf(part[0]), line++};
        strcpy(board.id, part[1].c_str());
        for (size_t i = 2; i < part.size(); ++i) {
            SavedPort& port = board.ports[board.portCount++];
            std::string name = part[i].substr(part[i].find('=') + 1);
            port = {atoi(part[i].c_str()), line++, name.size() >= kSavedNameSize};
            strncpy(port.name, name.c_str(), kSavedNameSize - 1);
        }
    }
}

void ExpectApply(const ApplyCase& c, bool fill = true) {
    SCOPED_TRACE(c.label);
    if (fill)
        Fill(c);
    Texts before = Names(), said;
    SetupApplyCounts counts;
    int result = ApplySavedSetup(g_inventory, g_setup, c.partial, Said, &said, &counts);
    EXPECT_EQ(c.said, said);
    EXPECT_EQ(c.after.empty() ? kSetupRefused : kSetupApplied, result);
    Texts after = Names();
    EXPECT_EQ(c.after.empty() ? before : c.after, after);
    // Only boards with a changed name are marked; the counts are of what was said and changed.
    int changed = 0;
    for (size_t b = 0; b < after.size(); ++b) {
        Texts was = Split(before[b]), is = Split(after[b]);
        for (size_t i = 0; i < is.size(); ++i)
            changed += is[i] != was[i];
        EXPECT_EQ(after[b] != before[b], g_inventory.boards[b].modified) << "board " << b;
    }
    auto saying = [&said](const char* what) {
        return std::count_if(said.begin(), said.end(), [what](const std::string& line) {
            return line.find(what) != std::string::npos;
        });
    };
    EXPECT_EQ(changed, counts.namesChanged);
    EXPECT_EQ(saying(", skipped"), counts.boardsSkipped);
    EXPECT_EQ(saying(": not in the file"), counts.boardsNotInFile);
}

std::string Board(const char* type, const char* id) {
    return BoardTypeOf(TypeOf(type)).displayText + std::string(", ID# ") + id;
}
std::string Match(const char* type, const char* saved, const char* here, const char* how) {
    return Board(type, saved) + " -> " + Board(type, here) + " (by " + how + ")";
}
std::string NotInFile(const char* type, const char* id) {
    return Board(type, id) + ": not in the file";
}

TEST(SetupApply, MatchesByIdThenByOrderWithinTypeStandardPortsByIdOnly) {
    // clang-format off
    const ApplyCase cases[] = {
        {"by ID#, any letter case, any order; a long instance name's ID# is its digest",
         {"T16,ABCDEF12,COM5,COM6", "T16,BB,COM7"}, {"T16,bb,1=B1", "T16,efcdab,2=A2"}, 0,
         {"COM5,A2", "B1"},
         {Match("T16", "bb", "BB", "ID#"), Match("T16", "efcdab", "EFCDAB", "ID#")}},
        {"by order within a type; removed boards and other types passed over",
         {"T16,AA,A", "T48,CC,C", "-T16,RR,R", "T16,BB,B"},
         {"T48,X3,1=C3", "T16,X1,1=A1", "T16,X2,1=B2"}, 0, {"A1", "C3", "R", "B2"},
         {Match("T48", "X3", "CC", "order"), Match("T16", "X1", "AA", "order"),
          Match("T16", "X2", "BB", "order")}},
        {"ID# first, the rest by order; a board left over is said",
         {"T16,AA,A", "T16,BB,B", "T16,CC,C"}, {"T16,ZZ,1=A1", "T16,BB,1=B1"}, 0, {"A1", "B1", "C"},
         {Match("T16", "ZZ", "AA", "order"), Match("T16", "BB", "BB", "ID#"),
          NotInFile("T16", "CC")}},
        {"a Standard COM Port only by ID#: refused", {"STD,01,COM1", "STD,02,COM2"},
         {"STD,01,1=COM3", "STD,09,1=COM4"}, 0, {},
         {Match("STD", "01", "01", "ID#"), "line 5: " + Board("STD", "09") + ": no such board here",
          NotInFile("STD", "02")}},
        {"partial skips it", {"STD,01,COM1", "STD,02,COM2"}, {"STD,01,1=COM3", "STD,09,1=COM4"}, 1,
         {"COM3", "COM2"}, {Match("STD", "01", "01", "ID#"),
          "line 5: " + Board("STD", "09") + ": no such board here, skipped",
          NotInFile("STD", "02")}},
        {"a place counts present ports; one past them is refused", {"T16,AA,A,,,B"},
         {"T16,AA,2=B2,3=C3"}, 0, {}, {Match("T16", "AA", "AA", "ID#"),
          "line 5: no such port 3"}},
    };
    // clang-format on
    for (const ApplyCase& c : cases)
        ExpectApply(c);
}

TEST(SetupApply, ChecksTheNewNamesAsOneAssignmentAndListsEveryRefusal) {
    const std::string m = Match("T16", "AA", "AA", "ID#"), used = " is already being used!";
    // clang-format off
    const ApplyCase cases[] = {
        {"a swap", {"T16,AA,COM5,COM6"}, {"T16,AA,1=COM6,2=COM5"}, 0, {"COM6,COM5"}, {m}},
        {"a three-way cycle", {"T16,AA,A1,A2,A3"}, {"T16,AA,1=A2,2=A3,3=A1"}, 0, {"A2,A3,A1"}, {m}},
        {"a port under its own name; one in another letter case", {"T16,AA,COM5,COM6"},
         {"T16,AA,1=COM5,2=com6"}, 0, {"COM5,com6"}, {m}},
        {"a removed board holds no name", {"T16,AA,A", "-T16,RR,COM9"}, {"T16,AA,1=COM9"}, 0,
         {"COM9", "COM9"}, {m}},
        {"keepers: on a board not in the file, and on the same board with no line",
         {"T16,AA,A,B,COM7", "T16,BB,COM6"}, {"T16,AA,1=com6,2=COM7"}, 0, {},
         {m, "line 4: COM Port=[com6]" + used,
          "line 5: COM Port=[COM7]" + used, NotInFile("T16", "BB")}},
        {"a foreign name; one name twice; too long; cut; DOS character; blanks",
         {"T16,AA,A,B,C,D,E,F,G,H"}, {"T16,AA,1=LPT1,2=COM9,3=com9,4=ABCDEFGHIJKLMNOPQR12,5=" +
          std::string(60, 'X') + ",6=COM:1,7=COM 1,8=COM\t1"}, 0, {},
         {m, "line 4: COM Port=[LPT1]" + used, "line 5: COM Port=[COM9] is also on line 6",
          "line 6: COM Port=[com9] is also on line 5",
          "line 7: COM Port name [ABCDEFGHIJKLMNOPQR12] is too long!",
          "line 8: COM Port name [" + std::string(kSavedNameSize - 1, 'X') + "] is too long!",
          "line 9: COM Port=[COM:1] cannot hold the character :",
          "line 10: COM Port=[COM 1] cannot hold the character code 32",
          "line 11: COM Port=[COM\t1] cannot hold the character code 9"}, {"LPT1"}},
        {"too many foreign names: every change refused, once", {"T16,AA,A,B,C"},
         {"T16,AA,1=A,2=X,3=Y"}, 0, {}, {m, "line 5: This machine holds more COM port names than "
          "korvalin can check, so no port is renamed."}, {"X"}, 1},
        {"too many foreign names, no change", {"T16,AA,A,B"}, {"T16,AA,1=A,2=B"}, 0, {"A,B"}, {m},
         {}, 1},
    };
    // clang-format on
    for (const ApplyCase& c : cases)
        ExpectApply(c);
}

// What /save writes back (child ports among them) changes nothing and reads no other device's
// names; the apply reads them itself once a name changes.
TEST(SetupApply, ASetupOfTheMachinesOwnNamesChangesNothing) {
    ASSERT_TRUE(
        LoadFixtureText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\MODEM\\1]\n"
                        "\"PORTNAME\"=\"COM9\"\n\n"));
    // clang-format off
    const ApplyCase c = {"", {"T16,AA,COM5,,COM6", "STD,01,COM1"}, {"T16,AA,1=COM5,2=COM6,3=COM7"},
                         0, {"COM5,COM6,COM7", "COM1"},
                         {Match("T16", "AA", "AA", "ID#"), NotInFile("STD", "01")}};
    // clang-format on
    Fill(c);
    BoardRecord& board = g_inventory.boards[0];
    board.childGroups[1].ports[0] = {kPortItem, 9, &board, "COM7"};
    g_inventory.foreign.read = 0;
    ExpectApply(c, false);
    EXPECT_EQ(0, g_inventory.foreign.read);

    strcpy(g_setup.boards[0].ports[2].name, "com9");
    Texts said;
    SetupApplyCounts counts;
    EXPECT_EQ(kSetupRefused, ApplySavedSetup(g_inventory, g_setup, 0, Said, &said, &counts));
    EXPECT_EQ(0, counts.namesChanged);
    EXPECT_EQ("line 6: COM Port=[com9] is already being used!", said[1]);
    ClearTestRegistry();
}

}  // namespace
