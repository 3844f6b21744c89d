// tests/commit/registry_commit_test.cpp: what OK writes to and deletes from the registry.
//
// Built natively (in-memory registry) and for Wine (the real registry). Each case loads a
// fixture, builds the inventory as the dialog does, changes it as Remove and Apply would, then
// commits and compares the whole export with the one expected.
#include <stdio.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "commit/commit.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

const char kPortsClass[] = "System\\CurrentControlSet\\Services\\Class\\Ports\\";

std::string ClassPortsKey(const char* name) {
    return std::string(kPortsClass) + name;
}

std::string DemoChildKey(int k, int s) {
    char path[80];
    snprintf(path, sizeof path, "Enum\\MF\\CHILD%04d\\ISAPNP&QVX3C6300%d&9F8E7D6C", k, s + 2);
    return path;
}

std::string PortNameBytes(const char* name) {
    return std::string(name) + '\0';
}

class RegistryCommit : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
        ClearTestRegistry();
    }
    void TearDown() override { ClearTestRegistry(); }

    // Loads the fixture and builds the inventory; returns the export before the commit.
    std::string Load(const std::string& text) {
        std::string error;
        EXPECT_TRUE(LoadFixtureText(text, &error)) << error;
        EXPECT_EQ(1, BuildPortInventory());
        return ExportTestRegistry();
    }
    std::string LoadFile(const char* name) {
        std::string error;
        EXPECT_TRUE(LoadFixtureFile(name, &error)) << error;
        EXPECT_EQ(1, BuildPortInventory());
        return ExportTestRegistry();
    }
};

TEST(IsClassKeyPath, AcceptsKeysInsideTheThreeClassesOnly) {
    struct Case {
        const char* path;
        int expected;
    } cases[] = {
        {"Ports\\0000", 1},
        {"PORTS\\0000", 1},
        {"pOrTs\\0012", 1},
        {"System\\0003", 1},
        {"MultiFunction\\0001", 1},
        {"Ports\\0000\\Sub", 1},
        {nullptr, 0},
        {"", 0},
        {"Ports", 0},
        {"Ports\\", 0},
        {"Ports\\\\", 0},      // names the class key itself
        {"Ports\\\\0000", 0},  // an empty level
        {"Ports\\0000\\", 0},
        {"Ports\\0000\\\\Sub", 0},
        {"Ports0000", 0},
        {"\\Ports\\0000", 0},
        {"Media\\0000", 0},
        {"Modem\\0000", 0},
        {"Multifunctional\\0000", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "(null)");
        EXPECT_EQ(c.expected, IsClassKeyPath(c.path));
    }
}

TEST_F(RegistryCommit, WithoutChangesSweepsEmptyKeysAndOrphansAndReturnsZero) {
    std::string before = Load(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50000\AAAA1111]
"DeviceDesc"="Marrowlink PnP M1/M2"
"Driver"="Ports\\0001"
"PORTNAME"="COM5"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50001]

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\CTL0031]

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0000]

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0001\ISAPNP&CTL0031&0]
"DeviceDesc"="Another maker's child"

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0003]

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0004]

[HKEY_LOCAL_MACHINE\Enum\Root\Ports]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0001]
"PortDriver"="quorvane.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0002]
"PortDriver"="quorvane.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0003]
"PortDriver"="serial.vxd"
)");
    EXPECT_EQ(0, CommitRegistryChanges());
    // The maker's empty device key goes, another maker's stays; only CHILD0000..CHILD0003 are
    // swept; Enum\Root device keys are never touched.
    EXPECT_EQ(ExportAfter(before, {"Enum\\ISAPNP\\QVX1A50001", "Enum\\MF\\CHILD0000",
                                   "Enum\\MF\\CHILD0003", ClassPortsKey("0002")}),
              ExportTestRegistry());
}

TEST_F(RegistryCommit, RemovedBoardLosesItsDirectAndChildKeysAndEmptiedParents) {
    std::string before = LoadFile("demo.reg");
    FindBoard("9F8E7D6C", kBoardTessaline16).removed = 1;
    EXPECT_EQ(1, CommitRegistryChanges());

    std::vector<std::string> deleted = {"Enum\\ISAPNP\\QVX3C63001\\9F8E7D6C",
                                        "Enum\\ISAPNP\\QVX3C63001", ClassPortsKey("0009"),
                                        ClassPortsKey("0030")};
    for (int k = 0; k < 4; ++k) {
        for (int s = 0; s < 4; ++s)
            deleted.push_back(DemoChildKey(k, s));
        deleted.push_back("Enum\\MF\\CHILD000" + std::to_string(k));
    }
    for (int n = 10; n <= 25; ++n)
        deleted.push_back(ClassPortsKey(("00" + std::to_string(n)).c_str()));
    EXPECT_EQ(ExportAfter(before, deleted), ExportTestRegistry());
    // The flags are the dialog's: the commit leaves them.
    EXPECT_EQ(1, FindBoard("9F8E7D6C", kBoardTessaline16).removed);
}

TEST_F(RegistryCommit, RenamedBoardHasEveryPresentPortWritten) {
    LoadFile("demo.reg");
    BoardRecord& board = FindBoard("9F8E7D6C", kBoardTessaline16);
    std::vector<std::pair<std::string, std::string>> written;
    RenamePort(board.ports[1], "COM40");
    written.push_back({"Enum\\ISAPNP\\QVX3C63001\\9F8E7D6C", "COM40"});
    for (int k = 0; k < 4; ++k) {
        for (int s = 0; s < 4; ++s) {
            PortRecord& port = board.childGroups[k].ports[s];
            if (k == 2 && s == 3) {
                // Not renamed, yet written all the same: the registry is made to differ here.
                SetPortNameValue(DemoChildKey(k, s).c_str(), "COM99");
                written.push_back({DemoChildKey(k, s), port.portName});
                continue;
            }
            std::string name = "COM" + std::to_string(41 + port.portNumber);
            RenamePort(port, name.c_str());
            written.push_back({DemoChildKey(k, s), name});
        }
    }
    std::string before = ExportTestRegistry();
    EXPECT_EQ(1, CommitRegistryChanges());
    EXPECT_EQ(ExportAfter(before, {ClassPortsKey("0030")}, written), ExportTestRegistry());
}

TEST_F(RegistryCommit, DriverKeyDecidesTheClassKeyButNeverTheInstanceKey) {
    struct Case {
        const char* driverText;  // as REGEDIT4 writes it: backslashes doubled
        const char* deletedClassKey;
    } cases[] = {
        {"Ports\\\\0002", "Ports\\0002"},
        {"PORTS\\\\0002", "Ports\\0002"},
        {"MultiFunction\\\\0001", "MultiFunction\\0001"},
        {"SYSTEM\\\\0003", "System\\0003"},
        {"", nullptr},
        {"Ports", nullptr},
        {"Ports\\\\", nullptr},
        {"Ports\\\\\\\\", nullptr},
        {"Ports\\\\\\\\0002", nullptr},
        {"Ports\\\\0002\\\\", nullptr},
        {"Media\\\\0000", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driverText);
        ResetInventory();
        std::string before = Load(std::string(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\Root\Ports\0000]
"DeviceDesc"="Marrowlink M1/M2 Multiport Adapter"
"Driver"=")") + c.driverText + R"("
"PORTNAME"="COM3"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0002]
"PortDriver"="serial.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MultiFunction\0001]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\System\0003]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Media\0000]
)");
        ASSERT_EQ(1, g_inventory.boardCount);
        g_inventory.boards[0].removed = 1;
        EXPECT_EQ(1, CommitRegistryChanges());
        // The legacy device key Enum\Root\Ports stays although it is now empty.
        std::vector<std::string> deleted = {"Enum\\Root\\Ports\\0000"};
        if (c.deletedClassKey)
            deleted.push_back(std::string("System\\CurrentControlSet\\Services\\Class\\") +
                              c.deletedClassKey);
        EXPECT_EQ(ExportAfter(before, deleted), ExportTestRegistry());
    }
}

TEST_F(RegistryCommit, RemovalWinsOverRenameOfTheSameBoard) {
    // The instance key keeps a subkey, so it survives its deletion and shows what was written.
    std::string before = Load(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"DeviceDesc"="Marrowlink M1/M2 Multiport Adapter"
"Driver"="Ports\\0002"
"PORTNAME"="COM3"

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D\Kept]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0002]
"PortDriver"="serial.vxd"
)");
    RenamePort(g_inventory.boards[0].ports[0], "COM9");
    g_inventory.boards[0].removed = 1;
    EXPECT_EQ(1, CommitRegistryChanges());
    EXPECT_EQ(ExportAfter(before, {ClassPortsKey("0002")}), ExportTestRegistry());
}

// A board whose direct slot 2 has an instance without a port name, and whose child port in
// CHILD0000 has none either (port number 0), beside two present ports.
const char kBoardWithEmptySlots[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX2B41001\CCCC0001]
"Driver"="Ports\\0011"
"PORTNAME"="COM7"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX2B41002\CCCC0001]
"Driver"="Ports\\0012"

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0000\ISAPNP&QVX2B41002&CCCC0001]
"Driver"="Ports\\0013"

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0001\ISAPNP&QVX2B41002&CCCC0001]
"Driver"="Ports\\0014"
"PORTNAME"="COM8"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0011]
"PortDriver"="serial.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0012]
"PortDriver"="serial.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0013]
"PortDriver"="serial.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0014]
"PortDriver"="serial.vxd"
)";

TEST_F(RegistryCommit, RemovedBoardTreatsDirectSlotsWithoutPortButNotUnnumberedChildPorts) {
    std::string before = Load(kBoardWithEmptySlots);
    FindBoard("CCCC0001", kBoardTessaline48).removed = 1;
    EXPECT_EQ(1, CommitRegistryChanges());
    EXPECT_EQ(ExportAfter(before,
                          {"Enum\\ISAPNP\\QVX2B41001\\CCCC0001", "Enum\\ISAPNP\\QVX2B41001",
                           "Enum\\ISAPNP\\QVX2B41002\\CCCC0001", "Enum\\ISAPNP\\QVX2B41002",
                           "Enum\\MF\\CHILD0001\\ISAPNP&QVX2B41002&CCCC0001", "Enum\\MF\\CHILD0001",
                           ClassPortsKey("0011"), ClassPortsKey("0012"), ClassPortsKey("0014")}),
              ExportTestRegistry());
}

TEST_F(RegistryCommit, RenamedBoardWritesNothingForSlotsWithoutPort) {
    std::string before = Load(kBoardWithEmptySlots);
    BoardRecord& board = FindBoard("CCCC0001", kBoardTessaline48);
    RenamePort(board.ports[1], "COM17");
    EXPECT_EQ(1, CommitRegistryChanges());
    EXPECT_EQ(ExportAfter(before, {}, {{"Enum\\ISAPNP\\QVX2B41001\\CCCC0001", "COM17"}}),
              ExportTestRegistry());
}

TEST_F(RegistryCommit, ModifiedBoardWithoutAnyPortStillCountsAsChanged) {
    std::string before = Load(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX2B41002\CCCC0001]
"Driver"="Ports\\0012"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0012]
"PortDriver"="serial.vxd"
)");
    FindBoard("CCCC0001", kBoardTessaline48).modified = 1;
    EXPECT_EQ(1, CommitRegistryChanges());
    EXPECT_EQ(before, ExportTestRegistry());
}

// Device key ...005 with a single kept name: slot 5 lies above the count of kept names.
const char kPortInSlotFive[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50005\DDDD0001]
"Driver"="Ports\\0005"
"PORTNAME"="COM9"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0005]
"PortDriver"="serial.vxd"
)";
const char kSlotFiveInstance[] = "Enum\\ISAPNP\\QVX1A50005\\DDDD0001";

TEST_F(RegistryCommit, PortInSlotAboveTheKeptNameCountIsCommitted) {
    {
        SCOPED_TRACE("removed");
        std::string before = Load(kPortInSlotFive);
        ASSERT_EQ(1, g_inventory.instanceNameCount);
        FindBoard("DDDD0001", kBoardMarrowlinkPnp).removed = 1;
        EXPECT_EQ(1, CommitRegistryChanges());
        EXPECT_EQ(ExportAfter(before, {kSlotFiveInstance, "Enum\\ISAPNP\\QVX1A50005",
                                       ClassPortsKey("0005")}),
                  ExportTestRegistry());
    }
    {
        SCOPED_TRACE("renamed");
        ResetInventory();
        Load(kPortInSlotFive);
        RenamePort(FindBoard("DDDD0001", kBoardMarrowlinkPnp).ports[5], "COM19");
        EXPECT_EQ(1, CommitRegistryChanges());
        // Five characters are written as six bytes: the name and its terminator.
        EXPECT_EQ(std::string("COM19\0", 6), ValueBytes(kSlotFiveInstance, "PORTNAME"));
    }
}

TEST_F(RegistryCommit, EmptyInstanceNameNeverReachesTheDeviceKey) {
    {
        SCOPED_TRACE("removed: only the class key goes");
        std::string before = Load(kPortInSlotFive);
        BoardRecord& board = FindBoard("DDDD0001", kBoardMarrowlinkPnp);
        board.instanceName[0] = 0;
        board.removed = 1;
        EXPECT_EQ(1, CommitRegistryChanges());
        EXPECT_EQ(ExportAfter(before, {ClassPortsKey("0005")}), ExportTestRegistry());
    }
    {
        SCOPED_TRACE("renamed: no PORTNAME lands on the device key");
        ResetInventory();
        std::string before = Load(kPortInSlotFive);
        BoardRecord& board = FindBoard("DDDD0001", kBoardMarrowlinkPnp);
        RenamePort(board.ports[5], "COM19");
        board.instanceName[0] = 0;
        CommitRegistryChanges();
        EXPECT_EQ(before, ExportTestRegistry());
    }
}

TEST_F(RegistryCommit, SweepKeepsKeysWhoseFirstSubkeyNameIsTooLongToRead) {
    const std::string longName(90, 'L');
    std::string before =
        Load("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50001\\" + longName +
             "]\n\n[HKEY_LOCAL_MACHINE\\Enum\\MF\\CHILD0002\\" + longName + "]\n");
    ASSERT_EQ(1, g_inventory.instanceNameCount);
    EXPECT_EQ(0, CommitRegistryChanges());
    EXPECT_EQ(before, ExportTestRegistry());
}

TEST_F(RegistryCommit, WithoutEnumIsaPnpTheRestOfTheSweepIsSkipped) {
    const char kLegacyOnly[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\Root\Ports\0000]
"DeviceDesc"="Marrowlink M1/M2 Multiport Adapter"
"Driver"="Ports\\0002"
"PORTNAME"="COM3"

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0000]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0002]
"PortDriver"="quorvane.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0007]
"PortDriver"="quorvane.vxd"
)";
    {
        SCOPED_TRACE("no Enum\\ISAPNP");
        std::string before = Load(kLegacyOnly);
        EXPECT_EQ(0, CommitRegistryChanges());
        EXPECT_EQ(before, ExportTestRegistry());
    }
    {
        SCOPED_TRACE("an empty Enum\\ISAPNP");
        ResetInventory();
        std::string before =
            Load(std::string(kLegacyOnly) + "\n[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP]\n");
        EXPECT_EQ(0, CommitRegistryChanges());
        EXPECT_EQ(ExportAfter(before, {"Enum\\MF\\CHILD0000", ClassPortsKey("0007")}),
                  ExportTestRegistry());
    }
}

// Keys that went away after the inventory was built fail to open in the commit: the failure
// table, reached through the registry's content.
TEST_F(RegistryCommit, KeyThatNoLongerOpensSkipsItsItemOrEndsTheCommit) {
    enum Children { kAllChildren, kNoChildren, kAllButChild1, kAllButChild2Slot1 };
    struct Case {
        const char* gone;
        int result;
        bool legacyWritten, board3Written, board5DirectWritten;
        Children children;
        bool swept;
    } cases[] = {
        // The enumerator key: that board alone is skipped.
        {"Enum\\Root", 1, false, true, true, kAllChildren, true},
        // A device key, or a renamed board's instance key: the commit ends there.
        {"Enum\\ISAPNP\\QVX1A50001", 1, true, true, false, kNoChildren, false},
        {"Enum\\ISAPNP\\QVX1A50001\\1A2B3C4D", 1, true, true, false, kNoChildren, false},
        // Enum\MF: the children are skipped, and the sweep ends at the child keys.
        {"Enum\\MF", 1, true, true, true, kNoChildren, false},
        // A child key: its four slots; a child instance key: that port.
        {"Enum\\MF\\CHILD0001", 1, true, true, true, kAllButChild1, true},
        {"Enum\\MF\\CHILD0002\\ISAPNP&QVX3C63003&9F8E7D6C", 1, true, true, true, kAllButChild2Slot1,
         true},
        // The class root: nothing at all.
        {"System\\CurrentControlSet\\Services\\Class", 0, false, false, false, kNoChildren, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gone);
        ResetInventory();
        LoadFile("demo.reg");
        RenamePort(FindBoard("0000", kBoardMarrowlink).ports[0], "COM43");
        BoardRecord& board3 = FindBoard("1A2B3C4D", kBoardMarrowlinkPnp);
        RenamePort(board3.ports[0], "COM41");
        RenamePort(board3.ports[1], "COM42");
        BoardRecord& board5 = FindBoard("9F8E7D6C", kBoardTessaline16);
        RenamePort(board5.ports[1], "COM50");
        for (int k = 0; k < 4; ++k) {
            for (int s = 0; s < 4; ++s)
                RenamePort(board5.childGroups[k].ports[s],
                           ("COM" + std::to_string(51 + 4 * s + k)).c_str());
        }
        DeleteTree(c.gone);
        // Only class root and Enum\MF deletions take the orphan with them.
        bool orphanThere = KeyExists(ClassPortsKey("0030").c_str());

        EXPECT_EQ(c.result, CommitRegistryChanges());
        EXPECT_EQ(c.legacyWritten,
                  ValueBytes("Enum\\Root\\Ports\\0000", "PORTNAME") == PortNameBytes("COM43"));
        EXPECT_EQ(c.board3Written, ValueBytes("Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D", "PORTNAME") ==
                                       PortNameBytes("COM41"));
        EXPECT_EQ(c.board5DirectWritten, ValueBytes("Enum\\ISAPNP\\QVX3C63001\\9F8E7D6C",
                                                    "PORTNAME") == PortNameBytes("COM50"));
        for (int k = 0; k < 4; ++k) {
            for (int s = 0; s < 4; ++s) {
                SCOPED_TRACE(DemoChildKey(k, s));
                bool expected = c.children == kAllChildren ||
                                (c.children == kAllButChild1 && k != 1) ||
                                (c.children == kAllButChild2Slot1 && !(k == 2 && s == 1));
                std::string name = "COM" + std::to_string(51 + 4 * s + k);
                EXPECT_EQ(expected, ValueBytes(DemoChildKey(k, s).c_str(), "PORTNAME") ==
                                        PortNameBytes(name.c_str()));
            }
        }
        if (orphanThere)
            EXPECT_EQ(c.swept, !KeyExists(ClassPortsKey("0030").c_str()));
    }
}

}  // namespace
