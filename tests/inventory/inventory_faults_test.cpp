// tests/inventory/inventory_faults_test.cpp: every registry operation of the walks failing in turn.
#include <string>

#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "platform/host/memory_registry.h"
#include "tests/inventory/inventory_dump.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {

class InventoryFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
        std::string error;
        ASSERT_TRUE(LoadFixtureFile("machine.reg", &error)) << error;
    }
    void TearDown() override { ClearTestRegistry(); }
};

// The opens that stop the initialisation in the test machine's registry: the maker's 7 device keys under
// Enum\ISAPNP and their 7 instance keys, the 16 Enum\MF instance keys, the 27 class subkeys.
const int kStoppingOpens = 7 + 7 + 16 + 27;

TEST_F(InventoryFaults, EveryFailingOperationKeepsTablesSoundAndClosesEveryKey) {
    long before = MemoryRegistryOperationCount();
    ASSERT_EQ(1, BuildPortInventory());
    long total = MemoryRegistryOperationCount() - before;
    const std::string complete = DumpInventory();
    ASSERT_GT(total, 100);

    int stopped = 0;
    for (long n = 1; n <= total; ++n) {
        SCOPED_TRACE(testing::Message() << "operation " << n << " of " << total);
        ResetInventory();
        MemoryRegistryFailOperation(n, kRegistryAccessDenied);
        int goOn = BuildPortInventory();
        MemoryRegistryFailOperation(0, 0);
        EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
        EXPECT_LE(g_inventory.boardCount, kMaxBoards);
        EXPECT_LE(g_inventory.instanceNameCount, kMaxInstanceNames);
        EXPECT_LE(g_inventory.orphanClassKeyCount, kMaxOrphanClassKeys);
        // DumpInventory marks a port whose owningBoard is not its board.
        std::string dump = DumpInventory();
        EXPECT_EQ(std::string::npos, dump.find("WRONG-OWNER"));
        if (!goOn)
            ++stopped;
    }
    EXPECT_EQ(kStoppingOpens, stopped);

    // With the fault gone, the same registry gives the same inventory again.
    ResetInventory();
    ASSERT_EQ(1, BuildPortInventory());
    EXPECT_EQ(complete, DumpInventory());
}

TEST_F(InventoryFaults, ClassSubkeyThatFailsToOpenStopsWithWhatWasCollected) {
    // Find the open of the orphaned subkey "0030": the last subkey of Class\Ports.
    long before = MemoryRegistryOperationCount();
    ASSERT_EQ(1, BuildPortInventory());
    long total = MemoryRegistryOperationCount() - before;
    ASSERT_EQ(1, g_inventory.orphanClassKeyCount);
    // The walk's last operations: open 0030, read its PortDriver, the final enumeration.
    ResetInventory();
    MemoryRegistryFailOperation(total - 2, kRegistryAccessDenied);
    EXPECT_EQ(0, BuildPortInventory());
    MemoryRegistryFailOperation(0, 0);
    EXPECT_EQ(0, g_inventory.orphanClassKeyCount);
    EXPECT_EQ(6, g_inventory.boardCount);  // the boards stay
    EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
}

TEST_F(InventoryFaults, UnopenableEnumeratorsAreSkippedAndTheWalksGoOn) {
    // The first five operations open the legacy device-ID keys (three are absent anyway); the
    // next opens Enum\ISAPNP. Failing it loses the ISAPNP ports, not the initialisation.
    for (long n : {1L, 2L}) {
        ResetInventory();
        MemoryRegistryFailOperation(n, kRegistryNotFound);
        EXPECT_EQ(1, BuildPortInventory());
        MemoryRegistryFailOperation(0, 0);
    }
    ResetInventory();
    long before = MemoryRegistryOperationCount();
    EnumerateLegacyPorts();
    long legacyOps = MemoryRegistryOperationCount() - before;
    ResetInventory();
    MemoryRegistryFailOperation(legacyOps + 1, kRegistryNotFound);
    EXPECT_EQ(1, BuildPortInventory());
    MemoryRegistryFailOperation(0, 0);
    EXPECT_EQ(4, g_inventory.boardCount);  // 3 legacy, and the 16-port board from Enum\MF alone
    EXPECT_STREQ("9F8E7D6C", g_inventory.boards[3].instanceName);
}

}  // namespace
