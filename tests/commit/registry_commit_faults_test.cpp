// tests/commit/registry_commit_faults_test.cpp: the commit's registry operations failing on
// purpose, one at a time (in-memory registry only).
#include <string>

#include "commit/ok_changes.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "platform/host/memory_registry.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {

class RegistryCommitFaults : public ::testing::Test {
  protected:
    void TearDown() override {
        MemoryRegistryFailOperation(0, 0);
        ClearTestRegistry();
    }
    // The test machine with board 3 renamed, board 4 removed and board 5 renamed; returns
    // its export before the commit.
    std::string LoadMachineWithChanges() {
        ResetInventory();
        EXPECT_TRUE(LoadFixtureFile("machine.reg"));
        EXPECT_EQ(1, BuildPortInventory());
        Rename(g_inventory.boards[3].ports[0], "COM41");
        g_inventory.boards[4].removed = 1;
        Rename(g_inventory.boards[5].childGroups[3].ports[3], "COM51");
        return ExportTestRegistry();
    }
    // Commits over `registry` with operation `n` failing with `code`.
    int CommitWithFault(const std::string& registry, long n, long code) {
        EXPECT_TRUE(LoadFixtureText(registry));
        MemoryRegistryFailOperation(n, code);
        int result = ApplyOkChanges(g_inventory, nullptr, nullptr);
        MemoryRegistryFailOperation(0, 0);
        EXPECT_EQ(0, MemoryRegistryOpenHandleCount());
        return result;
    }
};

// Whatever fails, no key stays open and every key left is as before or as the whole commit
// leaves it: a failure can only leave work undone.
TEST_F(RegistryCommitFaults, EveryFailingOperationOnlyLeavesWorkUndone) {
    const std::string before = LoadMachineWithChanges();
    long start = MemoryRegistryOperationCount();
    ASSERT_EQ(1, ApplyOkChanges(g_inventory, nullptr, nullptr));
    const long total = MemoryRegistryOperationCount() - start;
    const std::string complete = ExportTestRegistry();
    for (long n = 1; n <= total; ++n) {
        SCOPED_TRACE(n);
        int result = CommitWithFault(before, n, kRegistryAccessDenied);
        EXPECT_TRUE(result == 0 || result == 1);
        // Keys deleted by the whole commit, or values it wrote, may differ; nothing else.
        std::string after = ExportTestRegistry();
        for (size_t at = 0, end; at < after.size(); at = end + 1) {
            end = after.find('\n', at);
            std::string line = after.substr(at, end - at);
            EXPECT_TRUE(before.find(line) != std::string::npos ||
                        complete.find(line) != std::string::npos)
                << line;
        }
    }
}

TEST_F(RegistryCommitFaults, EnumThatDoesNotOpenEndsTheCommitWithWhatWasDone) {
    // 1 opens the class root, 2 Enum for board 3. Board 3 then takes 12 more (its enumerator
    // key, both device keys with instance key and PORTNAME write, Enum\MF and its four child
    // keys), so 15 opens Enum for board 4.
    const std::string before = LoadMachineWithChanges();
    for (long n : {2L, 15L}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(n == 2 ? 0 : 1, CommitWithFault(before, n, kRegistryAccessDenied));
        EXPECT_EQ(std::string(n == 2 ? "COM5" : "COM41") + '\0',
                  PortNameBytes("Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D"));
        EXPECT_TRUE(KeyExists("Enum\\ISAPNP\\QVX2B41001\\5E6F7081"));  // board 4 not reached
        EXPECT_TRUE(KeyExists("System\\CurrentControlSet\\Services\\Class\\Ports\\0030"));
    }
}

TEST_F(RegistryCommitFaults, SweepDeletesOnlyKeysReportingNoMoreSubkeys) {
    // Nothing flagged: 1 opens the class root, 2 Enum\ISAPNP, 3 the empty device key, 4 asks
    // for its first subkey, 5 deletes it; 6 opens Enum\MF, 7 CHILD0000 (not there), 8
    // CHILD0001, 9 asks for its first subkey.
    const std::string registry =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50001]\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\MF\\CHILD0001]\n\n"
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class]\n";
    struct Case {
        long n, code;
        bool deviceKeyKept, childKeyKept;
    } cases[] = {
        {0, 0, false, false},
        {4, kRegistryAccessDenied, true, false},
        {4, kRegistryMoreData, true, false},
        {9, kRegistryKeyDeleted, false, true},
        {9, kRegistryNoMoreItems, false, false},
    };
    ResetInventory();
    ASSERT_TRUE(LoadFixtureText(registry));
    ASSERT_EQ(1, BuildPortInventory());
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "operation " << c.n << " error " << c.code);
        EXPECT_EQ(0, CommitWithFault(registry, c.n, c.code));
        EXPECT_EQ(c.deviceKeyKept, KeyExists("Enum\\ISAPNP\\QVX1A50001"));
        EXPECT_EQ(c.childKeyKept, KeyExists("Enum\\MF\\CHILD0001"));
    }
}

}  // namespace
