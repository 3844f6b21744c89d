// tools/benchmark/inventory_walks_benchmark.cpp: the four walks over a maximal registry.
//
// 8 boards with all 48 direct and 16 child ports, 48 device keys, 128 orphaned class keys,
// plus a number of unrelated keys under Enum (half of them foreign ISA devices the Enum\ISAPNP
// walk must step over, a quarter foreign instances under Enum\MF\CHILD0000, a quarter under
// Enum\PCI that no walk opens). The time of each walk must stay in milliseconds and grow
// linearly with the unrelated keys.
#include <stdio.h>

#include <string>

#include "benchmark/benchmark.h"
#include "inventory/inventory.h"
#include "platform/memory_registry.h"

namespace {

std::string MaximalRegistry(int unrelated) {
    std::string text = "REGEDIT4\n";
    char line[160];
    auto key = [&](const char* path) {
        text += "\n[HKEY_LOCAL_MACHINE\\";
        text += path;
        text += "]\n";
    };
    int classKey = 0;
    auto port = [&](int comNumber) {
        char values[80];
        snprintf(values, sizeof values, "\"PORTNAME\"=\"COM%d\"\n\"Driver\"=\"Ports\\\\%04d\"\n",
                 comNumber, classKey++);
        text += values;
    };
    for (int i = 0; i < unrelated / 2; ++i) {
        snprintf(line, sizeof line, "Enum\\ISAPNP\\ABC%07d\\0", i);
        key(line);
    }
    int comNumber = 1;
    for (int slot = 0; slot < 48; ++slot)
        for (int board = 0; board < 8; ++board) {
            snprintf(line, sizeof line, "Enum\\ISAPNP\\QVX3C63%03d\\BOARD%d", slot, board);
            key(line);
            port(comNumber++);
        }
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < unrelated / 4 && k == 0; ++i) {
            snprintf(line, sizeof line, "Enum\\MF\\CHILD0000\\PCI&VEN_%07d", i);
            key(line);
        }
        for (int slot = 0; slot < 4; ++slot)
            for (int board = 0; board < 8; ++board) {
                snprintf(line, sizeof line, "Enum\\MF\\CHILD%04d\\ISAPNP&QVX3C63%03d&BOARD%d", k,
                         slot + 2, board);
                key(line);
                port(comNumber++);
            }
    }
    for (int i = 0; i < unrelated - unrelated / 2 - unrelated / 4; ++i) {
        snprintf(line, sizeof line, "Enum\\PCI\\VEN_%07d\\0", i);
        key(line);
    }
    for (int i = 0; i < classKey + 128; ++i) {
        snprintf(line, sizeof line, "System\\CurrentControlSet\\Services\\Class\\Ports\\%04d", i);
        key(line);
        text += "\"PortDriver\"=\"brisquel.vxd\"\n";
    }
    return text;
}

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
        ResetInventory();
        if (walk > kLegacy)
            EnumerateLegacyPorts();
        if (walk > kIsaPnp)
            EnumerateIsaPnpBoards();
        if (walk > kMultifunction)
            EnumerateMultifunctionChildren();
        state.ResumeTiming();
        switch (walk) {
            case kLegacy:
                EnumerateLegacyPorts();
                break;
            case kIsaPnp:
                EnumerateIsaPnpBoards();
                break;
            case kMultifunction:
                EnumerateMultifunctionChildren();
                break;
            case kClassKeys:
                CollectOrphanClassKeys();
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
        ResetInventory();
        benchmark::DoNotOptimize(BuildPortInventory());
    }
}

#define KORVALIN_WALK_SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_LegacyWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_IsaPnpWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_MultifunctionWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_ClassKeyWalk) KORVALIN_WALK_SIZES;
BENCHMARK(BM_AllWalks) KORVALIN_WALK_SIZES;

}  // namespace

BENCHMARK_MAIN();
