// tests/commit/registry_commit_test.cpp: what OK writes to and deletes from the registry.
//
// Built natively (in-memory registry) and for Wine (the real registry). Each case loads a
// fixture, builds the inventory, changes it as Remove and Apply do, commits, and compares the
// whole export with the one expected.
#include <stdio.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "commit/ok_changes.h"
#include "commit/ok_steps.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

const std::string kClass = "System\\CurrentControlSet\\Services\\Class\\";
const std::string kPorts = kClass + "Ports\\";

BoardRecord& Board(int i) {
    return g_inventory.boards[i];
}

std::string MachineChildKey(int k, int s) {
    char path[64];
    snprintf(path, sizeof path, "Enum\\MF\\CHILD%04d\\ISAPNP&QVX3C6300%d&9F8E7D6C", k, s + 2);
    return path;
}

// The test machine's Tessaline 16 renamed from its direct port as automatic enumeration does:
// COM40, then COM41.. through the child ports in the board's port order.
void RenameMachineTessaline16() {
    int number = 40;
    for (PortRecord* port : PresentPorts(Board(5)))
        Rename(*port, ("COM" + std::to_string(number++)).c_str());
}

class RegistryCommit : public ::testing::Test {
  protected:
    void SetUp() override { ClearTestRegistry(); }
    void TearDown() override { ClearTestRegistry(); }
    // Loads a fixture and builds the inventory; returns the export before the commit.
    std::string Load(const char* fixture) {
        ResetInventory();
        std::string error;
        EXPECT_TRUE(LoadFixtureFile(fixture, &error)) << error;
        EXPECT_EQ(1, BuildPortInventory());
        return ExportTestRegistry();
    }
};

TEST(IsClassKeyPath, AcceptsKeysInsideTheThreeClassesOnly) {
    const char* const accepted[] = {"Ports\\0000", "PORTS\\0000", "System\\3",
                                    "MultiFunction\\0001", "Ports\\0000\\Sub"};
    const char* const refused[] = {nullptr,         "",
                                   "Ports",         "Ports\\",
                                   "Ports\\\\",     "Ports\\\\0000",
                                   "Ports\\0000\\", "Ports\\0000\\\\Sub",
                                   "Ports0000",     "\\Ports\\0000",
                                   "Media\\0000",   "Multifunctional\\0000"};
    for (const char* path : accepted)
        EXPECT_EQ(1, IsClassKeyPath(path)) << path;
    for (const char* path : refused)
        EXPECT_EQ(0, IsClassKeyPath(path)) << (path ? path : "(null)");
}

// Decides whether OK takes the maker's INF and driver files off the machine.
// Only a string holding exactly the text written, terminated or not, keeps its text.
TEST(RewritesSameText, OnlyTheSameStringKeepsItsText) {
    const struct {
        unsigned long type;
        const char* data;
        unsigned long size;
        int same;
    } cases[] = {
        {1, "COM11", 6, 1},  {1, "COM11", 5, 1},  {1, "com11", 6, 0}, {1, "COM1", 5, 0},
        {1, "COM11\0x", 8, 0}, {2, "COM11", 6, 0}, {3, "COM11", 6, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.data) + " " + std::to_string(c.type));
        OkChange change = {kOkValueWritten, "Enum\\X", "PORTNAME", "COM11", kOldValueRead,
                           "PORTNAME", c.type, c.data, c.size};
        EXPECT_EQ(c.same, RewritesSameText(change));
    }
    OkChange added = {kOkValueWritten, "Enum\\X", "PORTNAME", "COM11", kOldValueNone,
                      nullptr, 0, nullptr, 0};
    EXPECT_EQ(0, RewritesSameText(added));
}

TEST(AnyVendorBoardRemains, OnlyAMakersBoardThatStaysCounts) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> boards;  // {boardType, removed}
        int expected;
    } cases[] = {
        {"empty inventory", {}, 0},
        {"standard COM ports only", {{kBoardStandardCom, 0}, {kBoardStandardCom, 0}}, 0},
        {"every maker's board removed", {{kBoardMarrowlink, 1}, {kBoardTessaline16, 1}}, 0},
        {"one legacy board kept", {{kBoardStandardCom, 0}, {kBoardMarrowlink, 0}}, 1},
        {"last board kept", {{kBoardTessaline48, 1}, {kBoardMarrowlinkPnp, 0}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        static PortInventory inventory;
        memset(&inventory, 0, sizeof inventory);
        for (const auto& board : c.boards) {
            inventory.boards[inventory.boardCount].boardType = board.first;
            inventory.boards[inventory.boardCount++].removed = board.second;
        }
        EXPECT_EQ(c.expected, AnyVendorBoardRemains(inventory));
    }
}

TEST_F(RegistryCommit, WritesAndDeletesWhatTheFlagsSay) {
    struct Case {
        const char* name;
        const char* fixture;
        void (*change)();
        int result;
        std::vector<std::string> deleted;
        std::vector<std::pair<std::string, std::string>> written;
        const char* expectedFile;  // instead of deleted and written
    } cases[] = {
        {"no change: only the sweep, which leaves keys it cannot read",
         "commit_litter.reg",
         [] {},
         0,
         {"Enum\\ISAPNP\\QVX1A50001", "Enum\\MF\\CHILD0000", "Enum\\MF\\CHILD0003",
          kPorts + "0002"}},
        {"the maker's four boards removed",
         "machine.reg",
         [] {
             for (int b = 2; b < 6; ++b)
                 Board(b).removed = 1;
         },
         1,
         {},
         {},
         "machine_makers_boards_removed.expected.reg"},
        {"every port of a board renamed",
         "machine.reg",
         RenameMachineTessaline16,
         1,
         {},
         {},
         "machine_renamed_tessaline16.expected.reg"},
        {"removal wins over a rename",
         "commit_legacy_boards.reg",
         [] {
             Rename(Board(0).ports[0], "COM13");
             Board(0).removed = 1;  // its instance key keeps a subkey, so it survives
         },
         1,
         {kPorts + "0001"}},
        {"removed: slots without port treated, unnumbered child ports not",
         "commit_pnp_slots.reg",
         [] { Board(1).removed = 1; },
         1,
         {"Enum\\ISAPNP\\QVX2B41001\\CCCC0001", "Enum\\ISAPNP\\QVX2B41001",
          "Enum\\ISAPNP\\QVX2B41002\\CCCC0001", "Enum\\ISAPNP\\QVX2B41002",
          "Enum\\MF\\CHILD0001\\ISAPNP&QVX2B41002&CCCC0001", "Enum\\MF\\CHILD0001", kPorts + "0011",
          kPorts + "0012", kPorts + "0014"}},
        {"renamed: nothing written for slots without port",
         "commit_pnp_slots.reg",
         [] { Rename(Board(1).ports[1], "COM17"); },
         1,
         {},
         {{"Enum\\ISAPNP\\QVX2B41001\\CCCC0001", "COM17"}}},
        {"modified without any port", "commit_pnp_slots.reg", [] { Board(2).modified = 1; }, 1},
        {"removed: port in a slot above the kept name count",
         "commit_pnp_slots.reg",
         [] { Board(0).removed = 1; },
         1,
         {"Enum\\ISAPNP\\QVX1A50005\\DDDD0001", "Enum\\ISAPNP\\QVX1A50005", kPorts + "0005"}},
        {"removed with an empty instance name: class keys only",
         "commit_pnp_slots.reg",
         [] {
             Board(0).instanceName[0] = 0;
             Board(0).removed = 1;
         },
         1,
         {kPorts + "0005"}},
        {"renamed with an empty instance name: never the device key", "commit_pnp_slots.reg",
         [] {
             Rename(Board(0).ports[5], "COM19");
             Board(0).instanceName[0] = 0;
         },
         0},
        // Last: its value is looked at below.
        {"renamed: port in a slot above the kept name count",
         "commit_pnp_slots.reg",
         [] { Rename(Board(0).ports[5], "COM19"); },
         1,
         {},
         {{"Enum\\ISAPNP\\QVX1A50005\\DDDD0001", "COM19"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string before = Load(c.fixture);
        c.change();
        EXPECT_EQ(c.result, ApplyOkChanges(g_inventory, nullptr, nullptr));
        EXPECT_EQ(c.expectedFile ? ReadFixtureText(c.expectedFile)
                                 : ExportAfter(before, c.deleted, c.written),
                  ExportTestRegistry());
    }
    // The last case's five characters went out as six bytes: the name and its terminator.
    EXPECT_EQ(std::string("COM19\0", 6), PortNameBytes("Enum\\ISAPNP\\QVX1A50005\\DDDD0001"));
}

TEST_F(RegistryCommit, DriverKeyDecidesTheClassKeyNeverTheInstanceKey) {
    struct Case {
        const char* driverKey;
        const char* deletedClassKey;
    } cases[] = {
        {"Ports\\0002", "Ports\\0002"},
        {"pORTS\\0002", "Ports\\0002"},
        {"MULTIFUNCTION\\0001", "MultiFunction\\0001"},
        {"System\\0003", "System\\0003"},
        {"", nullptr},
        {"Ports\\", nullptr},
        {"Ports\\\\", nullptr},
        {"Ports\\\\0002", nullptr},
        {"Ports\\0002\\", nullptr},
        {"Media\\0000", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driverKey);
        std::string before = Load("commit_legacy_boards.reg");
        strcpy(Board(1).ports[0].driverKey, c.driverKey);
        Board(1).removed = 1;
        EXPECT_EQ(1, ApplyOkChanges(g_inventory, nullptr, nullptr));
        // Without Enum\ISAPNP the sweep stops first; Enum\Root\Ports is never swept anyway.
        std::vector<std::string> deleted = {"Enum\\Root\\Ports\\0000"};
        if (c.deletedClassKey)
            deleted.push_back(kClass + c.deletedClassKey);
        EXPECT_EQ(ExportAfter(before, deleted), ExportTestRegistry());
    }
}

// Keys gone since the inventory was built do not open in the commit: each skips its item or
// ends the commit, with what was done kept.
TEST_F(RegistryCommit, KeyThatDoesNotOpenSkipsItsItemOrEndsTheCommit) {
    const struct {
        std::string path;
        const char *before, *after;
    } markers[] = {
        {"Enum\\Root\\Ports\\0000", "COM16", "COM4"},
        {"Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D", "COM5", "COM60"},
        {"Enum\\ISAPNP\\QVX3C63001\\9F8E7D6C", "COM11", "COM40"},
        {MachineChildKey(1, 0), "COM21", "COM42"},
        {MachineChildKey(2, 1), "COM26", "COM47"},
        {MachineChildKey(3, 3), "COM35", "COM56"},
    };
    const struct {
        std::string gone;
        int result;
        const char* written;  // per marker: 1 written, 0 not, - gone with the key
        bool swept;
    } cases[] = {
        {"Enum\\Root", 1, "-11111", true},                           // that board alone
        {"Enum\\ISAPNP\\QVX1A50001", 1, "110000", false},            // a device key: the end
        {"Enum\\ISAPNP\\QVX1A50001\\1A2B3C4D", 1, "110000", false},  // an instance key too
        {"Enum\\MF", 1, "111---", false},            // the children; the sweep ends at Enum\\MF
        {"Enum\\MF\\CHILD0001", 1, "111-11", true},  // that child's ports
        {MachineChildKey(2, 1), 1, "1111-1", true},  // that port
        {kClass.substr(0, kClass.size() - 1), 0, "000000", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gone);
        Load("machine.reg");
        Rename(Board(2).ports[0], "COM4");
        Rename(Board(3).ports[0], "COM60");
        Rename(Board(3).ports[1], "COM61");
        RenameMachineTessaline16();
        DeleteTree(c.gone.c_str());
        EXPECT_EQ(c.result, ApplyOkChanges(g_inventory, nullptr, nullptr));
        for (int m = 0; m < 6; ++m) {
            const char* name = c.written[m] == '1' ? markers[m].after : markers[m].before;
            EXPECT_EQ(c.written[m] == '-' ? "<missing>" : std::string(name) + '\0',
                      PortNameBytes(markers[m].path.c_str()))
                << markers[m].path;
        }
        EXPECT_EQ(c.swept, !KeyExists((kPorts + "0030").c_str()) && c.result);
    }
}

}  // namespace
