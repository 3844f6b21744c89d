// tools/benchmark/inventory_walks_benchmark.cpp: the four walks over a maximal registry.
//
// The time of each walk must stay in milliseconds and grow linearly with the unrelated keys.
#include <stdio.h>

#include <string>

#include "benchmark/benchmark.h"
#include "inventory/inventory.h"
#include "platform/host/memory_registry.h"
#include "tools/benchmark/maximal_registry.h"

namespace {

// The walks' inventory, as the program keeps one per front end.
PortInventory g_inventory;

}  // namespace

namespace {

void LoadMaximalRegistry(int unrelated) {
    MemoryRegistryReset();
    std::string text = MaximalRegistry(unrelated);
    std::string error;
    if (!MemoryRegistryLoad(text.data(), text.size(), &error)) {
        fprintf(stderr, "maximal registry: %s\n", error.c_str());
        abort();
    }
}

enum Walk { kLegacy, kIsaPnp, kMultifunction, kClassKeys };

// Runs the walks that come before `walk` untimed, then times `walk` alone.
void RunWalk(benchmark::State& state, Walk walk) {
    LoadMaximalRegistry(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        ResetInventory(g_inventory);
        if (walk > kLegacy)
            EnumerateLegacyPorts(g_inventory);
        if (walk > kIsaPnp)
            EnumerateIsaPnpBoards(g_inventory);
        if (walk > kMultifunction)
            EnumerateMultifunctionChildren(g_inventory);
        state.ResumeTiming();
        switch (walk) {
            case kLegacy:
                EnumerateLegacyPorts(g_inventory);
                break;
            case kIsaPnp:
                EnumerateIsaPnpBoards(g_inventory);
                break;
            case kMultifunction:
                EnumerateMultifunctionChildren(g_inventory);
                break;
            case kClassKeys:
                CollectOrphanClassKeys(g_inventory);
                break;
        }
    }
    // The registry must really be maximal: every table full.
    if (walk == kClassKeys && (g_inventory.boardCount != 8 || g_inventory.instanceNameCount != 48 ||
                               g_inventory.orphanClassKeyCount != 128)) {
        state.SkipWithError("the maximal registry does not fill the tables");
    }
    state.counters["unrelated_keys"] = static_cast<double>(state.range(0));
}

void BM_LegacyWalk(benchmark::State& state) {
    RunWalk(state, kLegacy);
}
void BM_IsaPnpWalk(benchmark::State& state) {
    RunWalk(state, kIsaPnp);
}
void BM_MultifunctionWalk(benchmark::State& state) {
    RunWalk(state, kMultifunction);
}
void BM_ClassKeyWalk(benchmark::State& state) {
    RunWalk(state, kClassKeys);
}

void BM_AllWalks(benchmark::State& state) {
    LoadMaximalRegistry(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ResetInventory(g_inventory);
        benchmark::DoNotOptimize(BuildPortInventory(g_inventory));
    }
}

// Reading the port names other devices hold, at the first rename: every instance key under Enum
// opened once (the maximal registry's 512 ports of the list included, which are told apart from
// other devices' keys). `operations` is the registry calls one reading makes.
void BM_ForeignPortNames(benchmark::State& state) {
    LoadMaximalRegistry(static_cast<int>(state.range(0)));
    ResetInventory(g_inventory);
    BuildPortInventory(g_inventory);
    long operations = 0;
    for (auto _ : state) {
        g_inventory.foreign.read = 0;
        g_inventory.foreign.count = 0;
        long before = MemoryRegistryOperationCount();
        ReadForeignPortNames(g_inventory);
        operations = MemoryRegistryOperationCount() - before;
    }
    if (g_inventory.foreign.count != 0 || g_inventory.foreign.overflow)
        state.SkipWithError("the list's own ports were taken for other devices'");
    state.counters["unrelated_keys"] = static_cast<double>(state.range(0));
    state.counters["operations"] = static_cast<double>(operations);
}

#define KORVALIN_WALK_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_LegacyWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_IsaPnpWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_MultifunctionWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_ClassKeyWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_AllWalks) KORVALIN_WALK_SIZES;
BENCHMARK(BM_ForeignPortNames) KORVALIN_WALK_SIZES;

}  // namespace

BENCHMARK_MAIN();
