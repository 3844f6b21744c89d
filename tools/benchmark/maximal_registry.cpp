// tools/benchmark/maximal_registry.cpp: the largest registry the inventory can hold.
#include "tools/benchmark/maximal_registry.h"

#include <stdio.h>

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
