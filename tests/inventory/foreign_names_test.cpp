// tests/inventory/foreign_names_test.cpp: port names that devices outside the list hold count as in
// use: read from the registry under test (the in-memory one natively, Wine's under Wine).
#include <ctype.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inventory/inventory.h"
#include "rename/rename_rule.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {

// A machine with one standard COM port, COM1, the port the renames are made on.
const char kMachine[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"DeviceDesc"="Communications Port"
"PORTNAME"="COM1"
)";

std::string Key(const std::string& path, const std::string& values) {
    return "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n" + values;
}

// Eight boards fill the list; the maker's board in Enum\ISAPNP is a ninth.
std::string EightBoardsAndANinth() {
    std::string text;
    for (int i = 1; i <= 7; ++i)
        text += Key("Enum\\BIOS\\*PNP0501\\" + std::to_string(i),
                    "\"PORTNAME\"=\"COM" + std::to_string(20 + i) + "\"\n");
    return text + Key("Enum\\ISAPNP\\QVX3C63000\\BOARD9", "\"PORTNAME\"=\"COM7\"\n");
}

class ForeignNames : public ::testing::Test {
  protected:
    void TearDown() override { ClearTestRegistry(); }
    void Load(const std::string& keys) {
        ResetInventory();
        ASSERT_TRUE(LoadFixtureText(kMachine + keys));
        ASSERT_EQ(1, BuildPortInventory());
        port_ = &g_inventory.boards[0].ports[0];
        ASSERT_STREQ("COM1", port_->portName);
    }
    // The rename as Apply makes it: the names are read first.
    RenameResult Rename(const char* typed, int autoEnumerate) {
        ReadForeignPortNames(g_inventory);
        return RenamePorts(port_, typed, autoEnumerate);
    }
    PortRecord* port_ = nullptr;
};

TEST_F(ForeignNames, EachKindOfDeviceHoldsItsName) {
    const struct {
        const char* name;
        std::string keys;
        const char* held;
    } cases[] = {
        {"PC Card modem", Key("Enum\\PCMCIA\\BRIGHTWELL-DF288-4C1A\\1", "\"PORTNAME\"=\"COM7\"\n"),
         "COM7"},
        {"another maker's PCI card",
         Key("Enum\\PCI\\VEN_1415&DEV_9501\\BUS_00&DEV_0A&FUNC_00", "\"PORTNAME\"=\"COM7\"\n"),
         "COM7"},
        {"infrared port", Key("Enum\\Root\\*PNP0510\\0000", "\"PORTNAME\"=\"COM7\"\n"), "COM7"},
        {"another maker's multifunction child",
         Key("Enum\\MF\\CHILD0000\\PCI&VEN_1415&DEV_9501&1", "\"PORTNAME\"=\"COM7\"\n"), "COM7"},
        {"a ninth board of the maker's", EightBoardsAndANinth(), "COM7"},
        {"a printer port", Key("Enum\\BIOS\\*PNP0400\\00", "\"PORTNAME\"=\"LPT1\"\n"), "LPT1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.keys);
        EXPECT_EQ(0, g_inventory.foreign.read) << "read when the dialog opens";
        RenameResult single = Rename(c.held, 0);
        EXPECT_EQ(kRenameNameInUse, single.outcome);
        EXPECT_STREQ(c.held, single.refusedName);
        ASSERT_EQ(kRenameDone, Rename(c.held, 1).outcome);
        std::string passedOver = std::string(c.held, 3) + std::to_string(c.held[3] - '0' + 1);
        EXPECT_EQ(passedOver, port_->portName);
        // Windows opens a device by its name in any letter case.
        std::string lower = c.held;
        for (char& letter : lower)
            letter = static_cast<char>(tolower(letter));
        RenameResult otherCase = Rename(lower.c_str(), 0);
        EXPECT_EQ(kRenameNameInUse, otherCase.outcome);
        ASSERT_NE(nullptr, otherCase.heldName);
        EXPECT_STREQ(c.held, otherCase.heldName);
    }
}

TEST_F(ForeignNames, OnlyStringPortNamesOfKeysOutsideTheListCount) {
    Load(Key("Enum\\PCI\\VEN_1\\1", "\"DeviceDesc\"=\"COM7\"\n") +
         Key("Enum\\PCI\\VEN_2\\1", "\"PORTNAME\"=dword:00000007\n") +
         Key("Enum\\PCI\\VEN_3\\1", "\"PORTNAME\"=hex:43,4f,4d,37,00\n") +
         Key("Enum\\PCI\\VEN_4\\1", "\"PORTNAME\"=\"COM8\"\n"));
    ReadForeignPortNames(g_inventory);
    ASSERT_EQ(1, g_inventory.foreign.count);
    EXPECT_STREQ("COM8", g_inventory.foreign.names[0].portName);
    EXPECT_STREQ("Enum\\PCI\\VEN_4\\1", g_inventory.foreign.names[0].keyPath);
    EXPECT_EQ(kRenameDone, Rename("COM7", 0).outcome);
}

// 256 names fit; with one more a rename could clash with a name not recorded: none is made.
TEST_F(ForeignNames, MoreNamesThanTheTableHoldsRefuseEveryRename) {
    for (int names : {int{kMaxForeignPortNames}, kMaxForeignPortNames + 1}) {
        SCOPED_TRACE(names);
        std::string keys;
        for (int i = 0; i < names; ++i)
            keys += Key("Enum\\PCI\\VEN_" + std::to_string(1000 + i) + "\\1",
                        "\"PORTNAME\"=\"COM" + std::to_string(100 + i) + "\"\n");
        Load(keys);
        RenameResult result = Rename("COM2", 1);
        EXPECT_EQ(names > kMaxForeignPortNames, g_inventory.foreign.overflow);
        if (names == kMaxForeignPortNames) {
            EXPECT_EQ(kRenameDone, result.outcome);
            continue;
        }
        EXPECT_EQ(kRenameTooManyNames, result.outcome);
        EXPECT_STREQ("COM1", port_->portName);
        char message[160];
        ASSERT_EQ(1, FormatRenameRefusal(result, message, sizeof message));
        EXPECT_STREQ(
            "This machine holds more COM port names than korvalin can check, so no port is "
            "renamed.",
            message);
    }
}

}  // namespace
