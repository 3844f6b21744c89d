// tests/commit/registry_commit_faults_test.cpp: registry operations of the commit failing on
// purpose (in-memory registry only).
#include <map>
#include <string>
#include <vector>

#include "commit/commit.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "platform/memory_registry.h"
#include "platform/regedit_text.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

typedef std::map<std::string, std::map<std::string, std::string>> KeyValues;

std::string Upper(std::string text) {
    for (char& c : text)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return text;
}

KeyValues ReadExport(const std::string& text) {
    std::vector<RegTextKey> keys;
    std::string error;
    EXPECT_TRUE(ParseRegeditText(text.data(), text.size(), &keys, &error)) << error;
    KeyValues result;
    for (const RegTextKey& key : keys) {
        std::map<std::string, std::string>& values = result[Upper(key.path)];
        for (const RegTextValue& value : key.values)
            values[Upper(value.name)] = value.data;
    }
    return result;
}

class RegistryCommitFaults : public ::testing::Test {
  protected:
    void SetUp() override { ResetInventory(); }
    void TearDown() override {
        MemoryRegistryFailOperation(0, 0);
        ClearTestRegistry();
    }

    // The demo machine with one board removed and two renamed.
    std::string LoadDemoWithChanges() {
        std::string error;
        EXPECT_TRUE(LoadFixtureFile("demo.reg", &error)) << error;
        EXPECT_EQ(1, BuildPortInventory());
        BoardRecord& board3 = FindBoard("1A2B3C4D", kBoardMarrowlinkPnp);
        RenamePort(board3.ports[0], "COM41");
        RenamePort(board3.ports[1], "COM42");
        FindBoard("5E6F7081", kBoardTessaline48).removed = 1;
        BoardRecord& board5 = FindBoard("9F8E7D6C", kBoardTessaline16);
        RenamePort(board5.ports[1], "COM50");
        RenamePort(board5.childGroups[3].ports[3], "COM51");
        return ExportTestRegistry();
    }

    // Loads the text again (as the registry was before the commit) with the inventory kept.
    void Reload(const std::string& text) {
        std::string error;
        ASSERT_TRUE(LoadFixtureText(text, &error)) << error;
    }
};

TEST_F(RegistryCommitFaults, EveryFailingOperationLeavesNoKeyOpenAndOnlyIntendedChanges) {
    const std::string before = LoadDemoWithChanges();
    long start = MemoryRegistryOperationCount();
    ASSERT_EQ(1, CommitRegistryChanges());
    const long total = MemoryRegistryOperationCount() - start;
    const KeyValues complete = ReadExport(ExportTestRegistry());
    const KeyValues original = ReadExport(before);
    ASSERT_GT(total, 50);

    for (long n = 1; n <= total; ++n) {
        SCOPED_TRACE(testing::Message() << "operation " << n << " of " << total);
        Reload(before);
        MemoryRegistryFailOperation(n, kRegistryAccessDenied);
        int result = CommitRegistryChanges();
        MemoryRegistryFailOperation(0, 0);
        EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
        EXPECT_TRUE(result == 0 || result == 1);
        // Nothing appears that was not there, and every value is as before or as committed.
        for (const auto& [path, values] : ReadExport(ExportTestRegistry())) {
            ASSERT_TRUE(original.count(path)) << "new key " << path;
            for (const auto& [name, data] : values) {
                bool asBefore = original.at(path).count(name) && original.at(path).at(name) == data;
                bool asCommitted = complete.count(path) && complete.at(path).count(name) &&
                                   complete.at(path).at(name) == data;
                EXPECT_TRUE(asBefore || asCommitted) << path << " " << name;
            }
        }
    }
}

TEST_F(RegistryCommitFaults, EnumThatDoesNotOpenEndsTheCommitWithWhatWasDone) {
    // Operation 1 opens the class root; 2 opens Enum for board 3, the first flagged board:
    // nothing is done. Board 3 then takes 13 operations (its enumerator key, two device keys
    // with their instance keys and PORTNAME writes, Enum\MF and its four child keys), so
    // operation 15 opens Enum for board 4: board 3 stays written, the rest is not done.
    struct Case {
        long failing;
        int result;
        const char* board3Name;
    } cases[] = {{2, 0, "COM5"}, {15, 1, "COM41"}};
    const std::string before = LoadDemoWithChanges();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failing);
        Reload(before);
        MemoryRegistryFailOperation(c.failing, kRegistryAccessDenied);
        EXPECT_EQ(c.result, CommitRegistryChanges());
        EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
        EXPECT_EQ(std::string(c.board3Name) + '\0',
                  ValueBytes("Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D", "PORTNAME"));
        // Board 4 (removed) and the sweep were not reached.
        EXPECT_TRUE(KeyExists("Enum\\ISAPNP\\QVX2B41001\\5E6F7081"));
        EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\Ports\\0030"));
    }
}

TEST_F(RegistryCommitFaults, SweepDeletesOnlyKeysThatReportNoMoreSubkeys) {
    // No board flagged: 1 opens the class root, 2 Enum\ISAPNP, 3 the empty device key, 4 asks
    // for its first subkey, 5 deletes it; 6 opens Enum\MF, 7 CHILD0000 (not there), 8
    // CHILD0001, 9 asks for its first subkey.
    const std::string text = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50001]

[HKEY_LOCAL_MACHINE\Enum\MF\CHILD0001]

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class]
)";
    struct Case {
        long failing;
        long code;
        bool deviceKeyKept, childKeyKept;
    } cases[] = {
        {0, 0, false, false},
        {4, kRegistryAccessDenied, true, false},
        {4, kRegistryMoreData, true, false},
        {9, kRegistryMoreData, false, true},
        {9, kRegistryKeyDeleted, false, true},
        {9, kRegistryNoMoreItems, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "operation " << c.failing << " error " << c.code);
        ResetInventory();
        Reload(text);
        ASSERT_EQ(1, BuildPortInventory());
        ASSERT_EQ(1, g_inventory.instanceNameCount);
        MemoryRegistryFailOperation(c.failing, c.code);
        EXPECT_EQ(0, CommitRegistryChanges());
        EXPECT_EQ(c.deviceKeyKept, KeyExists("Enum\\ISAPNP\\QVX1A50001"));
        EXPECT_EQ(c.childKeyKept, KeyExists("Enum\\MF\\CHILD0001"));
    }
}

}  // namespace
