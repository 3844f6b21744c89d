// tools/benchmark/maximal_registry.h: the largest registry the inventory can hold, as REGEDIT4.
//
// 8 boards with all 48 direct and 16 child ports, 48 device keys, 128 orphaned class keys,
// plus `unrelated` keys under Enum: half of them foreign ISA devices the Enum\ISAPNP walk must
// step over, a quarter foreign instances under Enum\MF\CHILD0000, a quarter under Enum\PCI
// that no walk opens.
#ifndef KORVALIN_TOOLS_BENCHMARK_MAXIMAL_REGISTRY_H
#define KORVALIN_TOOLS_BENCHMARK_MAXIMAL_REGISTRY_H

#include <string>

std::string MaximalRegistry(int unrelated);

#endif
