// tests/inventory/inventory_dump.cpp: readable dumps of the inventory and compact fixtures.
#include "tests/inventory/inventory_dump.h"

#include <stdio.h>
#include <string.h>

#include "inventory/inventory.h"
#include "tests/support/test_inventory.h"

namespace {

void AppendPort(std::string& out, const char* where, const PortRecord& port,
                const BoardRecord& board) {
    if (port.itemKind != 1)
        return;
    char line[200];
    snprintf(line, sizeof line, "  %s port %u %s driver=%s%s\n", where, port.portNumber,
             port.portName, port.driverKey, port.owningBoard == &board ? "" : " WRONG-OWNER");
    out += line;
}

}  // namespace

std::string DumpInventory() {
    const PortInventory& inv = g_inventory;
    std::string out;
    char line[200];
    for (int b = 0; b < inv.boardCount; ++b) {
        const BoardRecord& board = inv.boards[b];
        snprintf(line, sizeof line, "board %d type %d %s\\%s\n", b, board.boardType,
                 board.enumeratorName ? board.enumeratorName : "(null)", board.instanceName);
        out += line;
        for (int s = 0; s < kMaxDirectPorts; ++s) {
            if (board.deviceKeyNames[s] == nullptr && board.ports[s].itemKind == 0)
                continue;
            snprintf(line, sizeof line, "slot %d device=%s", s,
                     board.deviceKeyNames[s] ? board.deviceKeyNames[s] : "(null)");
            if (board.ports[s].itemKind == 1)
                AppendPort(out, line, board.ports[s], board);
            else
                out += std::string("  ") + line + " no port\n";
        }
        for (int s = 0; s < kChildPorts; ++s)
            for (int k = 0; k < kChildCount; ++k) {
                const ChildGroup& group = board.childGroups[k];
                snprintf(line, sizeof line, "%s[%d] %s",
                         group.childKeyName ? group.childKeyName : "-", s,
                         group.childInstanceNames[s]);
                AppendPort(out, line, group.ports[s], board);
            }
    }
    for (int i = 0; i < inv.instanceNameCount; ++i)
        out += std::string("instance name ") + inv.instanceNameTable[i] + "\n";
    for (int i = 0; i < inv.orphanClassKeyCount; ++i)
        out += std::string("orphan ") + inv.orphanClassKeyTable[i] + "\n";
    return out;
}

std::string RegFromLines(const std::vector<std::string>& lines) {
    std::string out = "REGEDIT4\n";
    for (const std::string& text : lines) {
        const char* line = text.c_str();
        if (line[0] == '-')
            continue;  // a note on what is left out
        const char* equals = strchr(line, '=');
        if (equals == nullptr) {
            out += std::string("\n[HKEY_LOCAL_MACHINE\\") + line + "]\n";
            continue;
        }
        std::string value;
        for (const char* c = equals + 1; *c; ++c) {
            if (*c == '\\' || *c == '"')
                value += '\\';
            value += *c;
        }
        out += "\"" + std::string(line, equals) + "\"=\"" + value + "\"\n";
    }
    return out;
}
