// tests/inventory/inventory_walks_test.cpp: the four walks over fixture registries.
//
// Built natively (in-memory registry) and for Wine (the real registry): one fixture must give
// one inventory on both.
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "tests/inventory/inventory_dump.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

const char kIsaPnp[] = "Enum\\ISAPNP\\";
const char kClassPorts[] = "System\\CurrentControlSet\\Services\\Class\\Ports\\";

class InventoryWalks : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
        ClearTestRegistry();
    }
    void TearDown() override { ClearTestRegistry(); }

    // Keys and "name=value" lines, as RegFromLines reads them.
    void Load(const std::vector<std::string>& lines) {
        std::string error;
        ASSERT_TRUE(LoadFixtureText(RegFromLines(lines), &error)) << error;
    }

    static BoardRecord& Board(int i) { return g_inventory.boards[i]; }
};

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

TEST_F(InventoryWalks, MachineRegistryGivesTheExpectedInventory) {
    std::string error;
    ASSERT_TRUE(LoadFixtureFile("machine.reg", &error)) << error;
    ASSERT_EQ(1, BuildPortInventory());
    EXPECT_EQ(ReadFixtureText("machine.inventory.txt"), DumpInventory());
}

// The demo shows a real machine: every board carries each of its port numbers once, the
// Tessaline 16 Port the numbers 1 to 16.
TEST_F(InventoryWalks, DemoBoardsCarryEachPortNumberOnce) {
    std::string error;
    ASSERT_TRUE(LoadFixtureFile("demo.reg", &error)) << error;
    ASSERT_EQ(1, BuildPortInventory());
    for (int b = 0; b < g_inventory.boardCount; ++b) {
        BoardRecord& board = Board(b);
        SCOPED_TRACE(board.instanceName);
        std::vector<int> numbers;
        for (const PortRecord* port : PresentPorts(board))
            numbers.push_back(port->portNumber);
        std::sort(numbers.begin(), numbers.end());
        EXPECT_EQ(numbers.end(), std::adjacent_find(numbers.begin(), numbers.end()));
        if (board.boardType == kBoardTessaline16) {
            ASSERT_EQ(16u, numbers.size());
            EXPECT_EQ(1, numbers.front());
            EXPECT_EQ(16, numbers.back());
        }
    }
}

TEST_F(InventoryWalks, EmptyRegistryGivesEmptyInventory) {
    EXPECT_EQ(1, BuildPortInventory());
    EXPECT_EQ(0, g_inventory.boardCount);
    EXPECT_EQ(0, g_inventory.instanceNameCount);
    EXPECT_EQ(0, g_inventory.orphanClassKeyCount);
}

TEST_F(InventoryWalks, LegacyDescriptionChoosesMarrowlinkOrStandard) {
    struct Case {
        const char* description;  // nullptr: no DeviceDesc value
        int type;
    } cases[] = {
        {"Marrowlink M1/M2 Multiport Adapter", kBoardMarrowlink},
        {"mARROWLINK", kBoardMarrowlink},
        {"MarrowlinkX", kBoardMarrowlink},
        {"Marrowlin", kBoardStandardCom},
        {"Marrow link", kBoardStandardCom},
        {" Marrowlink", kBoardStandardCom},
        {"Communications Port", kBoardStandardCom},
        {"", kBoardStandardCom},
        {nullptr, kBoardStandardCom},
        // 40 characters and the terminator do not fit the 40-byte buffer: read as empty.
        {"Marrowlink 123456789012345678901234567890", kBoardStandardCom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description ? c.description : "(no DeviceDesc)");
        ResetInventory();
        if (c.description)
            Load({"Enum\\Root\\Ports\\0000", "PORTNAME=COM3",
                  std::string("DeviceDesc=") + c.description});
        else
            Load({"Enum\\Root\\Ports\\0000", "PORTNAME=COM3"});
        ASSERT_EQ(1, BuildPortInventory());
        ASSERT_EQ(1, g_inventory.boardCount);
        EXPECT_EQ(c.type, Board(0).boardType);
    }
}

TEST_F(InventoryWalks, LegacyInstancesBecomeOnePortBoardsInKeyOrder) {
    Load({"Enum\\BIOS\\*PNP0501\\00", "PORTNAME=COM1", "Driver=Ports\\0000",  //
          "Enum\\BIOS\\*PNP0501\\01", "DeviceDesc=Communications Port",       // no PORTNAME
          "Enum\\BIOS\\*PNP0501\\02", "PORTNAME=COM2",                        //
          "Enum\\Root\\*PNP0501\\00", "PORTNAME=COM4",                        // same name, Root
          "Enum\\BIOS\\*PNP0500\\09", "PORTNAME=COM9",                        // first key walked
          "Enum\\Root\\Ports\\0000", "PORTNAME=COM3", "DeviceDesc=Marrowlink M1/M2"});
    ASSERT_EQ(1, BuildPortInventory());
    struct Expected {
        const char* enumerator;
        const char* deviceId;
        const char* instance;
        const char* portName;
        int type;
    } expected[] = {
        {"BIOS", "*PNP0500", "09", "COM9", kBoardStandardCom},
        {"BIOS", "*PNP0501", "00", "COM1", kBoardStandardCom},
        {"BIOS", "*PNP0501", "02", "COM2", kBoardStandardCom},
        {"Root", "*PNP0501", "00", "COM4", kBoardStandardCom},
        {"Root", "Ports", "0000", "COM3", kBoardMarrowlink},
    };
    ASSERT_EQ(5, g_inventory.boardCount);
    ASSERT_EQ(5, g_inventory.instanceNameCount);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const BoardRecord& board = Board(i);
        EXPECT_STREQ(expected[i].enumerator, board.enumeratorName);
        EXPECT_STREQ(expected[i].deviceId, board.deviceKeyNames[0]);
        EXPECT_STREQ(expected[i].instance, board.instanceName);
        EXPECT_STREQ(expected[i].instance, g_inventory.instanceNameTable[i]);
        EXPECT_EQ(expected[i].type, board.boardType);
        EXPECT_EQ(1, board.ports[0].itemKind);
        EXPECT_EQ(1, board.ports[0].portNumber);
        EXPECT_EQ(&board, board.ports[0].owningBoard);
        EXPECT_STREQ(expected[i].portName, board.ports[0].portName);
        EXPECT_EQ(nullptr, board.deviceKeyNames[1]);
    }
    EXPECT_STREQ("Ports\\0000", Board(1).ports[0].driverKey);
    EXPECT_STREQ("", Board(2).ports[0].driverKey);
}

TEST_F(InventoryWalks, NamesAtTheBufferEdges) {
    // Legacy instance names: 31 characters fit instanceName, 32 are skipped, never cut.
    // PORTNAME: 19 characters fit, 20 do not. Enum\ISAPNP instance names: 29 fit, 30 end the
    // device key's instances. Device key names: 79 fit, 80 end the walk.
    std::string device79 = "QVX3C63" + Repeat('x', 69) + "001";
    std::string device80 = "QVX3C63" + Repeat('y', 70) + "002";
    Load({"Enum\\Root\\Ports\\" + Repeat('a', 31), "PORTNAME=" + Repeat('P', 19),
          "Enum\\Root\\Ports\\" + Repeat('b', 32), "PORTNAME=COM2", "Enum\\Root\\Ports\\c",
          "PORTNAME=" + Repeat('Q', 20), kIsaPnp + device79 + "\\" + Repeat('i', 29),
          "PORTNAME=COM7", kIsaPnp + device79 + "\\" + Repeat('j', 30), "PORTNAME=COM8",
          kIsaPnp + device79 + "\\k", "PORTNAME=COM9", kIsaPnp + device80 + "\\i", "PORTNAME=COM10",
          kIsaPnp + std::string("QVX3C63zzz003\\i"), "PORTNAME=COM11"});
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(2, g_inventory.boardCount);
    EXPECT_EQ(Repeat('a', 31), Board(0).instanceName);
    EXPECT_EQ(Repeat('P', 19), Board(0).ports[0].portName);
    EXPECT_EQ(Repeat('i', 29), Board(1).instanceName);
    EXPECT_EQ(1, Board(1).ports[1].itemKind);
    // Device keys sort after the legacy names: 79 is read, 80 ends the walk before "zzz".
    ASSERT_EQ(2, g_inventory.instanceNameCount);
    EXPECT_EQ(device79, g_inventory.instanceNameTable[1]);
    EXPECT_EQ(0, Board(1).ports[2].itemKind);
    EXPECT_EQ(0, Board(1).ports[3].itemKind);
}

TEST_F(InventoryWalks, MfInstanceNamesAtTheBufferEdges) {
    // Enum\MF instance key names: 79 characters are read, 80 end the child. A board name of
    // 31 characters fits, 32 is skipped.
    std::string board31 = Repeat('n', 31);
    std::string name79 = Repeat('x', 66) + "&QVX3C63002&M";
    std::string name80 = Repeat('x', 67) + "&QVX3C63003&M";
    ASSERT_EQ(79u, name79.size());
    Load({"Enum\\MF\\CHILD0000\\a&QVX3C63002&" + board31, "PORTNAME=COM1",
          "Enum\\MF\\CHILD0000\\b&QVX3C63003&" + Repeat('o', 32), "PORTNAME=COM2",
          "Enum\\MF\\CHILD0001\\" + name79, "PORTNAME=COM3", "Enum\\MF\\CHILD0001\\" + name80,
          "PORTNAME=COM4", "Enum\\MF\\CHILD0001\\y&QVX3C63004&" + board31, "PORTNAME=COM5"});
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(2, g_inventory.boardCount);
    EXPECT_EQ(board31, Board(0).instanceName);
    EXPECT_STREQ("M", Board(1).instanceName);
    EXPECT_EQ(name79, Board(1).childGroups[1].childInstanceNames[0]);
    EXPECT_EQ(0, Board(0).childGroups[1].ports[2].itemKind);  // after the 80: not reached
}

TEST_F(InventoryWalks, IsaPnpPortNumbersFollowTypeAndSlot) {
    Load({kIsaPnp + std::string("QVX1A50000\\B1"),
          "PORTNAME=COM5",
          "Driver=Ports\\0003",
          kIsaPnp + std::string("QVX1A50001\\B1"),
          "PORTNAME=COM6",
          kIsaPnp + std::string("QVX2B41000\\B2"),
          "PORTNAME=COM7",
          kIsaPnp + std::string("QVX2B42047\\B2"),
          "PORTNAME=COM8",
          kIsaPnp + std::string("QVX3C63005\\B3"),
          "PORTNAME=COM9",
          kIsaPnp + std::string("QVX3C63048\\B3"),
          "PORTNAME=COM10",  // no slot 48
          kIsaPnp + std::string("QVX3C64006\\B3"),
          "PORTNAME=COM11",  // type 4 unknown
          kIsaPnp + std::string("QVX3C6"),
          kIsaPnp + std::string("QVX3C6\\B3"),
          kIsaPnp + std::string("qvx3C63007\\B3"),
          "PORTNAME=COM12",
          kIsaPnp + std::string("CTL0031\\0"),
          "PORTNAME=COM13"});
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(3, g_inventory.boardCount);
    const BoardRecord& pnp = Board(0);
    EXPECT_EQ(kBoardMarrowlinkPnp, pnp.boardType);
    EXPECT_STREQ("ISAPNP", pnp.enumeratorName);
    EXPECT_EQ(1, pnp.ports[0].portNumber);
    EXPECT_EQ(2, pnp.ports[1].portNumber);
    EXPECT_STREQ("Ports\\0003", pnp.ports[0].driverKey);
    EXPECT_STREQ("QVX1A50000", pnp.deviceKeyNames[0]);
    EXPECT_STREQ("QVX1A50001", pnp.deviceKeyNames[1]);
    const BoardRecord& four = Board(1);
    EXPECT_EQ(kBoardTessaline48, four.boardType);
    EXPECT_EQ(1, four.ports[0].itemKind);
    EXPECT_EQ(0, four.ports[0].portNumber);
    EXPECT_EQ(47, four.ports[47].portNumber);
    const BoardRecord& sixteen = Board(2);
    EXPECT_EQ(kBoardTessaline16, sixteen.boardType);
    EXPECT_EQ(5, sixteen.ports[5].portNumber);
    EXPECT_EQ(&sixteen, sixteen.ports[5].owningBoard);
    // Only the maker's device keys with a known type and a usable slot are kept.
    std::vector<std::string> names(g_inventory.instanceNameTable,
                                   g_inventory.instanceNameTable + g_inventory.instanceNameCount);
    EXPECT_EQ((std::vector<std::string>{"QVX1A50000", "QVX1A50001", "QVX2B41000", "QVX2B42047",
                                        "QVX3C63005"}),
              names);
}

TEST_F(InventoryWalks, DeviceKeysOfOneBoardShareItsRecord) {
    Load({kIsaPnp + std::string("QVX3C63001\\N"), "PORTNAME=COM1",
          kIsaPnp + std::string("QVX3C63002"),  // no instance: its name is still kept
          kIsaPnp + std::string("QVX3C63003\\N"), "PORTNAME=COM3",
          kIsaPnp + std::string("QVX2C62004\\N"), "PORTNAME=COM4"});  // other type: own board
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(2, g_inventory.boardCount);
    ASSERT_EQ(4, g_inventory.instanceNameCount);
    EXPECT_STREQ("QVX3C63002", g_inventory.instanceNameTable[2]);
    EXPECT_EQ(kBoardTessaline48, Board(0).boardType);
    EXPECT_STREQ("N", Board(0).instanceName);
    const BoardRecord& board = Board(1);
    EXPECT_EQ(kBoardTessaline16, board.boardType);
    EXPECT_STREQ("QVX3C63001", board.deviceKeyNames[1]);
    EXPECT_EQ(nullptr, board.deviceKeyNames[2]);
    EXPECT_STREQ("QVX3C63003", board.deviceKeyNames[3]);
    EXPECT_STREQ("COM3", board.ports[3].portName);
}

TEST_F(InventoryWalks, SecondDeviceKeyOfASlotTakesItOverButKeepsTheNameRead) {
    // Both keys end in 001. The slot then belongs to the second key (OK writes there), while a
    // PORTNAME the second lacks leaves the name read from the first, as a failed read leaves a
    // registry buffer.
    Load({kIsaPnp + std::string("QVX3C63001\\N"), "PORTNAME=COM1", "Driver=Ports\\0001",
          kIsaPnp + std::string("QVX3C63A001\\N"), "Driver=Ports\\0002"});
    ASSERT_EQ(1, BuildPortInventory());
    const PortRecord& port = Board(0).ports[1];
    EXPECT_EQ(1, port.itemKind);
    EXPECT_STREQ("COM1", port.portName);
    EXPECT_STREQ("Ports\\0002", port.driverKey);
    EXPECT_STREQ("QVX3C63A001", Board(0).deviceKeyNames[1]);
}

TEST_F(InventoryWalks, NinthInstanceOfADeviceKeyIsNotRead) {
    std::vector<std::string> lines;
    for (int i = 0; i < 9; ++i) {
        char line[64];
        snprintf(line, sizeof line, "Enum\\ISAPNP\\QVX3C63000\\I%d", i);
        lines.push_back(line);
        lines.push_back("PORTNAME=COM" + std::to_string(i + 1));
    }
    Load(lines);
    ASSERT_EQ(1, BuildPortInventory());
    EXPECT_EQ(8, g_inventory.boardCount);
    EXPECT_STREQ("I7", Board(7).instanceName);
}

TEST_F(InventoryWalks, FullBoardTableStopsNewBoardsButNotKnownOnes) {
    // Six legacy boards, then A and B fill the table. C is never added, which ends its device
    // key and its child, while a later device key and another child of a known board are read.
    Load({"Enum\\BIOS\\*PNP0501\\01",
          "PORTNAME=COM1",
          "Enum\\BIOS\\*PNP0501\\02",
          "PORTNAME=COM2",
          "Enum\\BIOS\\*PNP0501\\03",
          "PORTNAME=COM3",
          "Enum\\BIOS\\*PNP0501\\04",
          "PORTNAME=COM4",
          "Enum\\BIOS\\*PNP0501\\05",
          "PORTNAME=COM5",
          "Enum\\BIOS\\*PNP0501\\06",
          "PORTNAME=COM6",
          kIsaPnp + std::string("QVX3C63001\\A"),
          "PORTNAME=COM7",
          kIsaPnp + std::string("QVX3C63001\\B"),
          "PORTNAME=COM8",
          kIsaPnp + std::string("QVX3C63001\\C"),
          "PORTNAME=COM9",
          kIsaPnp + std::string("QVX3C63002\\A"),
          "PORTNAME=COM10",
          kIsaPnp + std::string("QVX3C63002\\C"),
          "PORTNAME=COM11",
          "Enum\\MF\\CHILD0000\\a&QVX3C63002&C",
          "PORTNAME=COM12",
          "Enum\\MF\\CHILD0000\\b&QVX3C63002&A",
          "PORTNAME=COM13",
          "Enum\\MF\\CHILD0001\\b&QVX3C63002&B",
          "PORTNAME=COM14"});
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(8, g_inventory.boardCount);
    EXPECT_STREQ("A", Board(6).instanceName);
    EXPECT_STREQ("B", Board(7).instanceName);
    EXPECT_EQ(1, Board(6).ports[2].itemKind);
    EXPECT_EQ(0, Board(6).childGroups[0].ports[0].itemKind);  // after C in its child
    EXPECT_EQ(1, Board(7).childGroups[1].ports[0].itemKind);
    EXPECT_EQ(8, g_inventory.instanceNameCount);
}

TEST_F(InventoryWalks, FullInstanceNameTableAddsNoFurtherName) {
    // 48 names fill the table: legacy instances and maker's device keys share it.
    std::vector<std::string> lines;
    for (int i = 0; i < 4; ++i) {
        lines.push_back("Enum\\BIOS\\*PNP0501\\0" + std::to_string(i));
        lines.push_back("PORTNAME=COM" + std::to_string(i + 1));
    }
    for (int slot = 0; slot < 47; ++slot) {
        char key[64];
        snprintf(key, sizeof key, "Enum\\ISAPNP\\QVX3C63%03d\\B", slot);
        lines.push_back(key);
        lines.push_back("PORTNAME=COM" + std::to_string(slot + 10));
    }
    Load(lines);
    ASSERT_EQ(1, BuildPortInventory());
    EXPECT_EQ(48, g_inventory.instanceNameCount);
    const BoardRecord& board = Board(4);
    EXPECT_EQ(1, board.ports[43].itemKind);
    // Slots 44 to 46 found no room for their device key names: not read at all, so no port
    // is shown that could not be written back.
    EXPECT_EQ(0, board.ports[44].itemKind);
    EXPECT_EQ(nullptr, board.deviceKeyNames[44]);
}

TEST_F(InventoryWalks, MultifunctionChildrenFillTheirGroups) {
    std::vector<std::string> lines;
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s < 4; ++s) {
            char key[80];
            snprintf(key, sizeof key, "Enum\\MF\\CHILD%04d\\ISAPNP&QVX3C63%03d&N", k, s + 2);
            lines.push_back(key);
            lines.push_back("PORTNAME=C" + std::to_string(k) + std::to_string(s));
        }
    Load(lines);
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(1, g_inventory.boardCount);
    const BoardRecord& board = Board(0);
    EXPECT_STREQ("ISAPNP", board.enumeratorName);
    for (const char* name : board.deviceKeyNames)
        EXPECT_EQ(nullptr, name);
    const int numbers[4][4] = {{2, 5, 9, 13}, {3, 6, 10, 14}, {4, 7, 11, 15}, {5, 8, 12, 16}};
    for (int k = 0; k < 4; ++k)
        for (int s = 0; s < 4; ++s) {
            SCOPED_TRACE(testing::Message() << "child " << k << " slot " << s);
            const ChildGroup& group = board.childGroups[k];
            const PortRecord& port = group.ports[s];
            EXPECT_EQ(1, port.itemKind);
            EXPECT_EQ(numbers[k][s], port.portNumber);
            EXPECT_EQ(&board, port.owningBoard);
            EXPECT_EQ("C" + std::to_string(k) + std::to_string(s), port.portName);
            char expected[10];
            snprintf(expected, sizeof expected, "CHILD%04d", k);
            EXPECT_STREQ(expected, group.childKeyName);
        }
}

TEST_F(InventoryWalks, MfBoardsMatchIsaPnpBoardsByNameAndType) {
    Load({kIsaPnp + std::string("QVX3C63001\\N"), "PORTNAME=COM1",
          "Enum\\MF\\CHILD0001\\text&QVX3C63more004&N", "PORTNAME=COM10",  // worked example
          "Enum\\MF\\CHILD0001\\text&QVX3C62more005&N", "PORTNAME=COM20",  // type 2: new board
          "Enum\\MF\\CHILD0002\\&QVX3C63001&N", "PORTNAME=COM30",          // slot -1
          "Enum\\MF\\CHILD0002\\&QVX3C63006&N", "PORTNAME=COM31",          // slot 4: skipped
          "Enum\\MF\\CHILD0002\\&QVX3C6", "PORTNAME=COM32",                // too short
          "Enum\\MF\\CHILD0002\\&QVX3C63002", "PORTNAME=COM33",            // one '&' only
          "Enum\\MF\\CHILD0003\\ISAPNP&QVX3C63002&N", "-no PORTNAME",
          "Enum\\MF\\CHILD0009\\ISAPNP&QVX3C63002&N", "PORTNAME=COM40"});  // not a child key
    ASSERT_EQ(1, BuildPortInventory());
    ASSERT_EQ(2, g_inventory.boardCount);
    const BoardRecord& board = Board(0);
    const PortRecord& port = board.childGroups[1].ports[2];
    EXPECT_EQ(1, port.itemKind);
    EXPECT_EQ(10, port.portNumber);
    EXPECT_STREQ("text&QVX3C63more004&N", board.childGroups[1].childInstanceNames[2]);
    // A child instance without PORTNAME names the board's group but holds no port.
    EXPECT_STREQ("CHILD0003", board.childGroups[3].childKeyName);
    EXPECT_EQ(0, board.childGroups[3].ports[0].itemKind);
    EXPECT_EQ(0, board.childGroups[3].ports[0].portNumber);
    EXPECT_EQ(kBoardTessaline48, Board(1).boardType);
    EXPECT_EQ(nullptr, board.childGroups[2].childKeyName);
}

TEST_F(InventoryWalks, OrphanedClassKeysOfTheMakersDrivers) {
    Load({kIsaPnp + std::string("QVX3C63001\\N"),
          "PORTNAME=COM1",
          "Driver=PORTS\\0001",
          kIsaPnp + std::string("QVX3C63002\\N"),
          "Driver=Ports\\0002",  // no PORTNAME
          "Enum\\BIOS\\*PNP0501\\00",
          "PORTNAME=COM2",
          "Driver=Ports\\0003",
          "Enum\\MF\\CHILD0000\\a&QVX3C63002&N",
          "PORTNAME=COM3",
          "Driver=xxxxxx0006",
          kClassPorts + std::string("0001"),
          "PortDriver=brisquel.vxd",  // referenced
          kClassPorts + std::string("0002"),
          "PortDriver=brisquel.vxd",  // only an empty slot
          kClassPorts + std::string("0003"),
          "PortDriver=serial.vxd",
          kClassPorts + std::string("0004"),
          "PortDriver=serial.vxd",
          kClassPorts + std::string("0005"),
          "PortDriver=Quorvane.vxd",
          kClassPorts + std::string("0006"),
          "PortDriver=quorvane.vxd",  // child refers to it
          kClassPorts + std::string("0007"),
          "PortDriver=quorvane.vxd",
          kClassPorts + std::string("0008"),
          "-no PortDriver",
          kClassPorts + std::string("0009"),
          "PortDriver=" + Repeat('q', 30)});
    ASSERT_EQ(1, BuildPortInventory());
    std::vector<std::string> orphans(
        g_inventory.orphanClassKeyTable,
        g_inventory.orphanClassKeyTable + g_inventory.orphanClassKeyCount);
    EXPECT_EQ((std::vector<std::string>{"0002", "0007"}), orphans);
    EXPECT_EQ(0, IsClassKeyUnreferenced("0006"));
    EXPECT_EQ(1, IsClassKeyUnreferenced("0003x"));
}

TEST_F(InventoryWalks, OrphanTableHoldsAtMost128Names) {
    std::vector<std::string> lines;
    for (int i = 0; i < 130; ++i) {
        char key[80];
        snprintf(key, sizeof key, "%s%04d", kClassPorts, i);
        lines.push_back(key);
        lines.push_back(i % 2 ? "PortDriver=quorvane.vxd" : "PortDriver=brisquel.vxd");
    }
    Load(lines);
    ASSERT_EQ(1, BuildPortInventory());
    EXPECT_EQ(128, g_inventory.orphanClassKeyCount);
    EXPECT_STREQ("0127", g_inventory.orphanClassKeyTable[127]);
}

TEST(PnpKeyNames, ParseDeviceKeyNames) {
    struct Case {
        const char* name;
        int slot;
        int type;
    } cases[] = {
        {"QVX1A50000", 0, kBoardMarrowlinkPnp},
        {"QVX2B41004", 4, kBoardTessaline48},
        {"QVX2B42047", 47, kBoardTessaline48},
        {"QVX3C63 12", 12, kBoardTessaline16},
        {"QVX3C63 -5", -5, kBoardTessaline16},
        {"QVX3C63abc", 0, kBoardTessaline16},
        {"QVX3C68001", 1, -1},
        {"QVX", 0, -1},
        {"qvx3C63001", -1, -1},
        {"ABC3C63001", -1, -1},
        {"", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PnpKeyName parsed = ParseIsaPnpDeviceKeyName(c.name);
        EXPECT_EQ(c.slot, parsed.slot);
        if (c.slot != -1)
            EXPECT_EQ(c.type, parsed.type);
    }
}

TEST(PnpKeyNames, ParseMfInstanceKeyNames) {
    struct Case {
        const char* name;
        int slot;
        int type;
        const char* board;
    } cases[] = {
        {"ISAPNP&QVX3C63002&9F8E", 0, kBoardTessaline16, "9F8E"},
        {"text&QVX3C63more004&N", 2, kBoardTessaline16, "N"},
        {"&QVX1A50005&", 3, kBoardMarrowlinkPnp, ""},
        {"x&QVX3C6&002&N&M", 1, -1, "002&N&M"},  // the type character may be the second &
        {"a&QVX3C63001&N", -1, -1, nullptr},     // 1 - 2 = -1: like a foreign instance
        {"a&QVX3C6", -1, -1, nullptr},
        {"a&QVX3C63002", -1, -1, nullptr},
        {"a&qvx3C63002&N", -1, -1, nullptr},
        {"QVX3C63002&N", -1, -1, nullptr},
        {"", -1, -1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PnpKeyName parsed = ParseMfInstanceKeyName(c.name);
        EXPECT_EQ(c.slot, parsed.slot);
        if (c.board) {
            EXPECT_EQ(c.type, parsed.type);
            EXPECT_STREQ(c.board, parsed.boardInstanceName);
        }
    }
}

}  // namespace
