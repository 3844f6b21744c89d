// tests/allocation/no_heap_test.cpp: the walks, renaming and the commit never touch the heap.
//
// Every allocation of the process goes through malloc (operator new included), which this test
// program wraps to count. Under AddressSanitizer the allocator is the sanitizer's own, so the
// count is only taken in the plain native build.
#include <stddef.h>
#include <stdio.h>

#include <string>

#include "commit/ok_changes.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "rename/rename_rule.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

#if defined(__SANITIZE_ADDRESS__)
#define KORVALIN_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVALIN_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef KORVALIN_COUNTS_ALLOCATIONS
#define KORVALIN_COUNTS_ALLOCATIONS 1
#endif

namespace {
long g_allocations;
}

#if KORVALIN_COUNTS_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* malloc(size_t size) {
    ++g_allocations;
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
    ++g_allocations;
    return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
    ++g_allocations;
    return __libc_realloc(block, size);
}
}
#endif

namespace {

TEST(NoHeap, WalksRenamingAndCommitAllocateNothing) {
    if (!KORVALIN_COUNTS_ALLOCATIONS)
        GTEST_SKIP() << "the sanitizer owns the allocator";
    std::string error;
    long loading = g_allocations;
    ASSERT_TRUE(LoadFixtureFile("machine.reg", &error)) << error;
    ASSERT_GT(g_allocations, loading) << "the count must see the loader's allocations";
    ResetInventory();

    long before = g_allocations;
    int goOn = BuildPortInventory();
    long walks = g_allocations - before;

    BoardRecord& sixteen = g_inventory.boards[5];
    PortRecord* ports[] = {PortNumbered(sixteen, 3), PortNumbered(g_inventory.boards[4], 2),
                           PortNumbered(sixteen, 1)};
    before = g_allocations;
    RenameResult automatic = RenamePorts(ports[0], "COM5", 1);
    RenameResult single = RenamePorts(ports[1], "MODEM", 0);
    RenameResult refused = RenamePorts(ports[2], "COM1", 0);
    long renaming = g_allocations - before;

    g_inventory.boards[3].removed = 1;
    before = g_allocations;
    int changed = ApplyOkChanges(g_inventory, nullptr, nullptr);
    long commit = g_allocations - before;

    printf("heap allocations: walks %ld, renaming %ld, commit %ld\n", walks, renaming, commit);
    ASSERT_EQ(1, goOn);
    EXPECT_EQ(kRenameDone, automatic.outcome);
    EXPECT_EQ(kRenameDone, single.outcome);
    EXPECT_EQ(kRenameNameInUse, refused.outcome);
    EXPECT_EQ(1, changed);
    EXPECT_EQ(0, walks);
    EXPECT_EQ(0, renaming);
    EXPECT_EQ(0, commit);
    // The commit really wrote: the renamed board's PORTNAME values are in the registry.
    EXPECT_NE(std::string::npos, ExportTestRegistry().find("\"PORTNAME\"=\"MODEM1\""));
}

}  // namespace
