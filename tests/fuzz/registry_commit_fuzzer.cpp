// tests/fuzz/registry_commit_fuzzer.cpp: any registry, any renames and removals, then OK.
//
// The input becomes a registry under the keys the utility reads (names around every buffer
// edge, the maker's "QVX" prefix and '&' separators often enough to reach deep code), the
// initialisation runs, a sequence of renames and removals follows as a user could make them,
// and the commit runs, optionally with one registry operation failing. Then, comparing the
// registry before and after, the only changes may be:
//   - PORTNAME values in instance keys of modified boards, holding the port's new name;
//   - instance keys of removed boards;
//   - class keys under System, Ports or MultiFunction named by a removed board's ports, and
//     orphaned class keys under Class\Ports;
//   - Enum\ISAPNP device keys and Enum\MF child keys whose every subkey went before them.
// Anything else aborts. OK runs behind its undo folder: when the folder could not be written
// nothing may have changed; otherwise importing UNDO.REG gives back the registry as it was (but
// for PORTNAMEs it names as added), importing it into the registry as it was changes nothing,
// and without a fault the dry run listed exactly what the real run did.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commit/undo_folder.h"
#include "platform/files.h"
#include "platform/host/files_native.h"
#include "inventory/inventory.h"
#include "platform/host/memory_registry.h"
#include "platform/host/regedit_text.h"
#include "rename/rename_rule.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

// The fuzzer's inventory: it links no test support.
PortInventory g_inventory;

namespace {

const char kClassRoot[] = "System\\CurrentControlSet\\Services\\Class\\";

class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    unsigned Next() { return pos_ < size_ ? data_[pos_++] : 0; }
    unsigned Below(unsigned n) { return n ? Next() % n : 0; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Lengths that sit on the edges of the walks' buffers.
const int kEdgeLengths[] = {0, 1, 5, 18, 19, 20, 21, 28, 29, 30, 31, 32, 33, 78, 79, 80, 81};

std::string Filler(Bytes& in, int length) {
    static const char kAlphabet[] = "0123QVXqvx&a_ .-";
    std::string s;
    for (int i = 0; i < length; ++i)
        s += kAlphabet[in.Below(sizeof kAlphabet - 1)];
    return s;
}

std::string Digits3(Bytes& in) {
    char text[8];
    unsigned mode = in.Below(8);
    if (mode == 0)
        return Filler(in, 3);
    snprintf(text, sizeof text, "%03u", mode == 1 ? in.Next() % 60 : in.Below(6));
    return text;
}

std::string TypeCharacter(Bytes& in) {
    static const char kTypes[] = "01234&";
    return std::string(1, kTypes[in.Below(6)]);
}

// A name for a key: often one the walks recognise, sometimes padded to a buffer edge. Every
// byte is taken in its own statement, so one input gives one registry whatever the compiler.
std::string KeyName(Bytes& in, int shape) {
    std::string name;
    switch (shape) {
        case 0:  // Enum\ISAPNP device key
            name = in.Below(6) ? "QVX" : Filler(in, 3);
            name += Filler(in, 3);
            name += TypeCharacter(in);
            name += Filler(in, kEdgeLengths[in.Below(17)] / 8);
            name += Digits3(in);
            if (in.Below(8) == 0) {
                name = Filler(in, 80 - 3 - static_cast<int>(in.Below(3)));
                name += Digits3(in);
            }
            break;
        case 1:  // Enum\MF instance key
            name = Filler(in, in.Below(3));
            name += "&";
            name += in.Below(6) ? "QVX" : Filler(in, 3);
            name += Filler(in, 3);
            name += TypeCharacter(in);
            name += Filler(in, in.Below(3));
            name += Digits3(in);
            name += "&";
            name += in.Below(2) ? std::string(1, 'A' + in.Below(3))
                                : Filler(in, kEdgeLengths[in.Below(17)]);
            break;
        default:  // an instance or class subkey
            name = in.Below(2) ? std::string(1, 'A' + in.Below(3))
                               : Filler(in, kEdgeLengths[in.Below(17)]);
            break;
    }
    if (name.empty())
        name = "0";
    return name;
}

std::string StringData(const std::string& text) {
    return text + std::string(1, '\0');
}

std::string PortNameText(Bytes& in) {
    switch (in.Below(4)) {
        case 0:
            return "COM" + std::to_string(in.Below(12));
        case 1:
            return "COM" + std::to_string(in.Next());
        case 2:
            return Filler(in, kEdgeLengths[in.Below(17)]);
        default:
            return "MODEM";
    }
}

std::string DriverText(Bytes& in) {
    static const char* const kClasses[] = {"Ports\\", "PORTS\\",   "System\\", "MultiFunction\\",
                                           "Modem\\", "Ports\\\\", "Ports",    ""};
    std::string text = kClasses[in.Below(8)];
    switch (in.Below(4)) {
        case 0:
            text += "000" + std::to_string(in.Below(4));
            break;
        case 1:
            text += KeyName(in, 2);
            break;
        case 2:
            text += "000" + std::to_string(in.Below(4)) + "\\x";
            break;
        default:
            break;
    }
    return text;
}

void AddValue(RegTextKey& key, const char* name, const std::string& text, Bytes& in) {
    if (in.Below(8) == 0)
        return;  // absent
    RegTextValue value = {name, kRegTypeString, StringData(text)};
    if (in.Below(16) == 0)
        value.data = text;  // no terminator
    key.values.push_back(value);
}

std::vector<RegTextKey> MakeRegistry(Bytes& in) {
    static const char* const kLegacyKeys[] = {"Enum\\BIOS\\*PNP0500", "Enum\\BIOS\\*PNP0501",
                                              "Enum\\Root\\*PNP0500", "Enum\\Root\\*PNP0501",
                                              "Enum\\Root\\Ports"};
    std::vector<RegTextKey> keys;
    int count = 1 + static_cast<int>(in.Below(40));
    for (int i = 0; i < count && !in.Empty(); ++i) {
        RegTextKey key;
        unsigned where = in.Below(8);
        int isPort = 1;
        if (where < 2) {
            key.path = std::string(kLegacyKeys[in.Below(5)]) + "\\";
            key.path += KeyName(in, 2);
            AddValue(key, "DeviceDesc", in.Below(2) ? "Marrowlink M1/M2" : Filler(in, in.Below(45)),
                     in);
        } else if (where < 5) {
            key.path = "Enum\\ISAPNP\\" + KeyName(in, 0);
            if (in.Below(6))
                key.path += "\\" + KeyName(in, 2);
        } else if (where < 7) {
            key.path = "Enum\\MF\\CHILD000" + std::to_string(in.Below(5));
            if (in.Below(8))
                key.path += "\\" + KeyName(in, 1);
        } else {
            static const char* const kClasses[] = {"Ports", "Ports", "System", "MultiFunction",
                                                   "Modem"};
            key.path = std::string(kClassRoot) + kClasses[in.Below(5)] + "\\";
            key.path += KeyName(in, 2);
            static const char* const kDrivers[] = {"quorvane.vxd", "brisquel.vxd", "Quorvane.vxd",
                                                   "serial.vxd"};
            AddValue(key, "PortDriver", in.Below(8) ? kDrivers[in.Below(4)] : Filler(in, 30), in);
            isPort = 0;
        }
        if (isPort) {
            AddValue(key, "Driver", DriverText(in), in);
            AddValue(key, "PORTNAME", PortNameText(in), in);
        }
        keys.push_back(key);
    }
    return keys;
}

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

typedef std::map<std::string, std::map<std::string, std::string>> Snapshot;  // lower path -> values

Snapshot TakeSnapshot() {
    std::string text = MemoryRegistrySave();
    std::vector<RegTextKey> keys;
    std::string error;
    if (!ParseRegeditText(text.data(), text.size(), &keys, &error))
        abort();
    Snapshot snapshot;
    for (const RegTextKey& key : keys) {
        std::map<std::string, std::string>& values = snapshot[Lower(key.path)];
        for (const RegTextValue& value : key.values)
            values[Lower(value.name)] = std::to_string(value.type) + ":" + value.data;
    }
    return snapshot;
}

// A driverKey that names a key strictly inside one of the three classes, with no empty level.
bool IsDeletableClassPath(const std::string& driverKey) {
    std::string lower = Lower(driverKey);
    for (const char* prefix : {"system\\", "ports\\", "multifunction\\"}) {
        size_t n = strlen(prefix);
        if (lower.compare(0, n, prefix) != 0 || lower.size() == n)
            continue;
        std::string rest = lower.substr(n);
        return rest[0] != '\\' && rest.back() != '\\' && rest.find("\\\\") == std::string::npos;
    }
    return false;
}

struct Allowed {
    std::map<std::string, std::string> portNames;  // instance key -> the name it may get
    std::set<std::string> deletions;
    std::set<std::string> sweptIfEmpty;
};

Allowed WhatTheCommitMayDo() {
    Allowed allowed;
    const PortInventory& inv = g_inventory;
    for (int b = 0; b < inv.boardCount; ++b) {
        const BoardRecord& board = inv.boards[b];
        if (!board.removed && !board.modified)
            continue;
        auto allow = [&](const std::string& instancePath, const PortRecord& port) {
            if (board.removed) {
                allowed.deletions.insert(Lower(instancePath));
                if (IsDeletableClassPath(port.driverKey))
                    allowed.deletions.insert(Lower(kClassRoot + std::string(port.driverKey)));
            } else if (port.itemKind == 1) {
                allowed.portNames[Lower(instancePath)] = port.portName;
            }
        };
        for (int j = 0; j < kMaxDirectPorts; ++j)
            if (board.deviceKeyNames[j])
                allow(std::string("Enum\\") + board.enumeratorName + "\\" +
                          board.deviceKeyNames[j] + "\\" + board.instanceName,
                      board.ports[j]);
        for (int k = 0; k < kChildCount; ++k)
            for (int s = 0; s < kChildPorts; ++s)
                if (board.childGroups[k].ports[s].portNumber != 0)
                    allow("Enum\\MF\\CHILD000" + std::to_string(k) + "\\" +
                              board.childGroups[k].childInstanceNames[s],
                          board.childGroups[k].ports[s]);
    }
    for (int i = 0; i < inv.orphanClassKeyCount; ++i)
        allowed.deletions.insert(
            Lower(std::string(kClassRoot) + "Ports\\" + inv.orphanClassKeyTable[i]));
    for (int i = 0; i < inv.instanceNameCount; ++i)
        allowed.sweptIfEmpty.insert(
            Lower(std::string("Enum\\ISAPNP\\") + inv.instanceNameTable[i]));
    for (int k = 0; k < kChildCount; ++k)
        allowed.sweptIfEmpty.insert(Lower("Enum\\MF\\CHILD000" + std::to_string(k)));
    return allowed;
}

void CheckInventory() {
    const PortInventory& inv = g_inventory;
    if (inv.boardCount < 0 || inv.boardCount > kMaxBoards)
        abort();
    if (inv.instanceNameCount < 0 || inv.instanceNameCount > kMaxInstanceNames)
        abort();
    if (inv.orphanClassKeyCount < 0 || inv.orphanClassKeyCount > kMaxOrphanClassKeys)
        abort();
    for (int b = 0; b < inv.boardCount; ++b) {
        const BoardRecord& board = inv.boards[b];
        auto check = [&](const PortRecord& port) {
            if (port.itemKind != 1)
                return;
            if (port.owningBoard != &board)
                abort();
            if (strnlen(port.portName, kPortNameSize) >= kPortNameSize)
                abort();
        };
        for (int i = 0; i < kMaxBoardPorts; ++i)
            check(*PortInOrder(board, i));
    }
}

std::vector<PortRecord*> PresentPorts() {
    std::vector<PortRecord*> ports;
    for (int b = 0; b < g_inventory.boardCount; ++b) {
        BoardRecord& board = g_inventory.boards[b];
        if (board.removed)
            continue;  // its rows left the list
        for (PortRecord* port : PresentPorts(board))
            ports.push_back(port);
    }
    return ports;
}

// A Windows directory of the fuzzer's own, empty but for the undo folders OK makes there.
const std::string& WindowsDirectory() {
    static const std::string directory = [] {
        char name[] = "/tmp/korvalin-fuzz-XXXXXX";
        std::string made = mkdtemp(name);
        FilesNativeSetDirectories(made.c_str(), made.c_str());
        return made;
    }();
    return directory;
}

std::string ReadText(std::string path) {
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    std::string text;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, got);
        fclose(file);
    }
    // Every line of the undo folder ends in CR LF (DOS and real-mode regedit read it); read
    // back as text mode would.
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            abort();
        lines += text[i];
    }
    return lines;
}

void Import(const std::string& text) {
    std::string error;
    if (!MemoryRegistryLoad(text.data(), text.size(), &error))
        abort();
}

// The undo folder puts back whatever OK changed, and holds nothing it did not change.
void CheckUndo(const std::string& folder, const std::string& beforeText, const Snapshot& before) {
    std::string undo = ReadText(folder + "\\" + kUndoRegistryFile);
    if (undo.rfind("REGEDIT4\n", 0) != 0)
        abort();
    Import(undo);
    Snapshot restored = TakeSnapshot();
    const std::string mark = "; OK added PORTNAME to [HKEY_LOCAL_MACHINE\\";
    for (size_t at = undo.find(mark); at != std::string::npos; at = undo.find(mark, at + 1)) {
        size_t from = at + mark.size();
        std::string key = Lower(undo.substr(from, undo.find(']', from) - from));
        if (!before.count(key) || before.at(key).count("portname"))
            abort();
        restored[key].erase("portname");
    }
    if (restored != before)
        abort();
    MemoryRegistryReset();
    Import(beforeText);
    Import(undo);
    if (TakeSnapshot() != before)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes in(data, size);
    MemoryRegistryReset();
    ResetInventory();
    std::vector<RegTextKey> keys = MakeRegistry(in);
    std::string text = FormatRegeditText(keys);
    std::string error;
    if (!MemoryRegistryLoad(text.data(), text.size(), &error))
        abort();
    const Snapshot before = TakeSnapshot();

    int goOn = BuildPortInventory();
    CheckInventory();
    if (MemoryRegistryOpenHandleCount() != 0)
        abort();

    // What the user does while the dialog is open; an empty list after an early stop offers
    // nothing to select.
    for (int step = static_cast<int>(in.Below(6)); goOn && step > 0; --step) {
        if (in.Below(3)) {
            std::vector<PortRecord*> ports = PresentPorts();
            if (ports.empty())
                break;
            PortRecord* port = ports[in.Below(static_cast<unsigned>(ports.size()))];
            std::string typed = PortNameText(in).substr(0, 19);  // the field gives 19
            RenamePorts(port, typed.c_str(), static_cast<int>(in.Below(2)));
        } else if (g_inventory.boardCount > 0) {
            BoardRecord& board =
                g_inventory.boards[in.Below(static_cast<unsigned>(g_inventory.boardCount))];
            if (board.boardType != kBoardStandardCom)
                board.removed = 1;
        }
        CheckInventory();
    }

    const std::string beforeText = MemoryRegistrySave();
    std::vector<RecordedChange> planned;
    int previewed = PreviewOkChanges(g_inventory, RecordChange, &planned);
    if (TakeSnapshot() != before)
        abort();  // the dry run changed the registry
    bool fault = in.Below(4) == 0;
    if (fault)
        MemoryRegistryFailOperation(1 + in.Below(256), kRegistryAccessDenied);
    OkOutcome outcome;
    const std::string& windows = WindowsDirectory();
    CarryOutOkChanges(g_inventory, &outcome);
    MemoryRegistryFailOperation(0, 0);
    if (MemoryRegistryOpenHandleCount() != 0)
        abort();
    if (outcome.result != kOkDone) {
        if (!fault || TakeSnapshot() != before)
            abort();
        return 0;
    }
    // Without a fault the real run makes exactly the planned changes.
    size_t made = static_cast<size_t>(outcome.made[kOkValueWritten] + outcome.made[kOkKeyDeleted] +
                                      outcome.made[kOkFileDeleted]);
    if (!fault && (previewed != outcome.changed || outcome.deviation != kOkAsPlanned ||
                   planned.size() != made))
        abort();
    if (planned.empty() != (outcome.undoFolder[0] == 0))
        abort();  // a folder exactly when something was going to change

    const Snapshot after = TakeSnapshot();
    const Allowed allowed = WhatTheCommitMayDo();
    for (const auto& key : after) {
        auto old = before.find(key.first);
        if (old == before.end())
            abort();  // the commit never creates a key
        if (old->second == key.second)
            continue;
        auto name = allowed.portNames.find(key.first);
        if (name == allowed.portNames.end())
            abort();
        for (const auto& value : key.second) {
            auto previous = old->second.find(value.first);
            if (previous != old->second.end() && previous->second == value.second)
                continue;
            if (value.first != "portname")
                abort();
            if (value.second != std::to_string(kRegTypeString) + ":" + name->second + '\0')
                abort();
        }
        // No value is lost, and none but PORTNAME is added: a slot that a second device key
        // took over keeps the name read from the first, and OK writes it to the second.
        if (key.second.size() < old->second.size() || key.second.size() > old->second.size() + 1 ||
            (key.second.size() > old->second.size() && old->second.count("portname")))
            abort();
    }
    for (const auto& key : before) {
        if (after.count(key.first))
            continue;
        if (allowed.deletions.count(key.first))
            continue;
        if (!allowed.sweptIfEmpty.count(key.first))
            abort();
        // A swept key had no subkey left: every key below it went first.
        std::string below = key.first + "\\";
        for (auto it = after.lower_bound(below); it != after.end(); ++it) {
            if (it->first.compare(0, below.size(), below) != 0)
                break;
            abort();
        }
    }
    if (outcome.undoFolder[0] != 0) {
        CheckUndo(outcome.undoFolder, beforeText, before);
        std::filesystem::remove_all(windows + "/" + kUndoParentFolder);
    } else if (after != before) {
        abort();
    }
    return 0;
}
