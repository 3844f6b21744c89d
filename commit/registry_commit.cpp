// commit/registry_commit.cpp: OK's registry changes: removed and renamed boards, then the sweep
// of empty device keys, empty child keys and orphaned class keys.
//
// Every change takes effect at once; a key that will not open either skips one item or ends the
// commit with what was done so far. Results of deletions and of the PORTNAME write are not
// examined: there is nobody to report them to. Every call goes through a CommitLayer, so the
// same steps also run as a dry run that only says what they would change.
#include "commit/ok_steps.h"
#include "inventory/inventory.h"
#include "platform/ascii.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

// The only classes whose keys a port's driverKey may make us delete, tried in this order.
const char* const kDeletableClasses[] = {kSystemClassName, kPortsClassName,
                                         kMultiFunctionClassName};

// A relative key path with at least one level and no empty one. An empty level would make the
// path name a key above the one meant (or the class key itself), and deleting that can take a
// whole class with it.
int IsNonEmptyKeyPath(const char* path) {
    if (*path == 0 || *path == '\\')
        return 0;
    for (const char* c = path; *c != 0; ++c) {
        if (*c == '\\' && (c[1] == '\\' || c[1] == 0))
            return 0;
    }
    return 1;
}

// Opens a subkey by name. A missing or empty name counts as a key that does not open: the
// registry would hand back `parent` itself, and a PORTNAME meant for an instance key would land
// on its device key.
int OpenNamedKey(CommitLayer* layer, const CommitKey& parent, const char* name, CommitKey* opened) {
    if (name == nullptr || name[0] == 0)
        return 0;
    return CommitOpenKey(layer, parent, name, opened) == kRegistryOk;
}

void DeletePortClassKey(CommitLayer* layer, const CommitKey& classRoot, const PortRecord& port) {
    if (IsClassKeyPath(port.driverKey))
        CommitDeleteKey(layer, classRoot, port.driverKey);
}

void WritePortName(CommitLayer* layer, const CommitKey& instanceKey, const PortRecord& port) {
    CommitSetStringValue(layer, instanceKey, kPortNameValue, port.portName,
                         static_cast<unsigned long>(TextLength(port.portName) + 1));
}

// The board's direct slots. Every slot is visited, not only those below the count of kept key
// names: a Plug and Play board's port can sit in a slot above it. Returns 0 when a device key
// or (for a renamed board) an instance key does not open: the commit then ends.
int CommitDirectPorts(CommitLayer* layer, const CommitKey& classRoot,
                      const CommitKey& enumeratorKey, const BoardRecord& board, int* changed) {
    for (int j = 0; j < kMaxDirectPorts; ++j) {
        if (board.deviceKeyNames[j] == nullptr)
            continue;
        CommitKey deviceKey;
        if (CommitOpenKey(layer, enumeratorKey, board.deviceKeyNames[j], &deviceKey) != kRegistryOk)
            return 0;
        const PortRecord& port = board.ports[j];
        if (board.removed) {
            // The slot is treated whether or not its port was found: its keys are the board's.
            DeletePortClassKey(layer, classRoot, port);
            if (board.instanceName[0] != 0)
                CommitDeleteKey(layer, deviceKey, board.instanceName);
            *changed = 1;
        } else {
            CommitKey instanceKey;
            if (!OpenNamedKey(layer, deviceKey, board.instanceName, &instanceKey)) {
                CommitCloseKey(&deviceKey);
                return 0;
            }
            if (IsPortPresent(port))
                WritePortName(layer, instanceKey, port);
            CommitCloseKey(&instanceKey);
            *changed = 1;
        }
        CommitCloseKey(&deviceKey);
    }
    return 1;
}

// The board's ports below Enum\MF\CHILD0000..CHILD0003, child by child.
void CommitChildPorts(CommitLayer* layer, const CommitKey& root, const CommitKey& classRoot,
                      const BoardRecord& board, int* changed) {
    CommitKey mfKey;
    if (CommitOpenKey(layer, root, kMfPath.text, &mfKey) != kRegistryOk)
        return;
    for (int k = 0; k < kChildCount; ++k) {
        CommitKey childKey;
        if (CommitOpenKey(layer, mfKey, kChildKeyNames[k], &childKey) != kRegistryOk)
            continue;
        const ChildGroup& group = board.childGroups[k];
        for (int s = 0; s < kChildPorts; ++s) {
            const PortRecord& port = group.ports[s];
            // The port number, not the row kind, picks the child slots to treat. The walk numbers
            // a child port exactly when it reads its name, so on a walked inventory the two
            // agree; but a slot with a number and no name is still the board's: removal deletes
            // its keys, and a rename opens its key (a change) without writing. IsPortPresent below
            // only says whether there is a name to write.
            if (port.portNumber == 0)
                continue;
            const char* instanceName = group.childInstanceNames[s];
            if (board.removed) {
                DeletePortClassKey(layer, classRoot, port);
                if (instanceName[0] != 0)
                    CommitDeleteKey(layer, childKey, instanceName);
                *changed = 1;
            } else {
                CommitKey instanceKey;
                if (!OpenNamedKey(layer, childKey, instanceName, &instanceKey))
                    continue;
                if (IsPortPresent(port))
                    WritePortName(layer, instanceKey, port);
                CommitCloseKey(&instanceKey);
                *changed = 1;
            }
        }
        CommitCloseKey(&childKey);
    }
    CommitCloseKey(&mfKey);
}

// Deletes `name` below `parent` when the key has no subkey left. Only the registry's own "no
// more items" says so: any other failure (a first subkey whose name does not fit the buffer,
// say) leaves the key, which may still hold instances.
void DeleteKeyIfEmpty(CommitLayer* layer, const CommitKey& parent, const char* name) {
    CommitKey key;
    if (CommitOpenKey(layer, parent, name, &key) != kRegistryOk)
        return;
    char subkey[kInstanceNameSize];
    unsigned long length = sizeof subkey;
    long result = CommitEnumKey(layer, key, 0, subkey, &length);
    CommitCloseKey(&key);
    if (result == kRegistryNoMoreItems && name[0] != 0)
        CommitDeleteKey(layer, parent, name);
}

}  // namespace

int IsClassKeyPath(const char* path) {
    if (path == nullptr)
        return 0;
    for (const char* className : kDeletableClasses) {
        size_t length = TextLength(className);
        if (StartsWithIgnoringCase(path, className) && path[length] == '\\')
            return IsNonEmptyKeyPath(path + length + 1);
    }
    return 0;
}

int CommitRegistryChanges(const PortInventory& inv, CommitLayer* layer) {
    int changed = 0;
    CommitKey root;
    CommitRootKey(&root);

    CommitKey classRoot;
    if (CommitOpenKey(layer, root, kClassRootPath, &classRoot) != kRegistryOk)
        return 0;

    for (int32_t b = 0; b < inv.boardCount; ++b) {
        const BoardRecord& board = inv.boards[b];
        if (!board.removed && !board.modified)
            continue;
        CommitKey enumKey;
        if (CommitOpenKey(layer, root, kEnumKeyName, &enumKey) != kRegistryOk) {
            CommitCloseKey(&classRoot);
            return changed;
        }
        CommitKey enumeratorKey;
        if (!OpenNamedKey(layer, enumKey, board.enumeratorName, &enumeratorKey)) {
            CommitCloseKey(&enumKey);
            continue;
        }
        int goOn = CommitDirectPorts(layer, classRoot, enumeratorKey, board, &changed);
        CommitCloseKey(&enumeratorKey);
        CommitCloseKey(&enumKey);
        if (!goOn) {
            CommitCloseKey(&classRoot);
            return changed;
        }
        CommitChildPorts(layer, root, classRoot, board, &changed);
    }
    CommitCloseKey(&classRoot);

    // The sweep runs on every OK: litter left by earlier installs goes too.
    CommitKey isaPnpKey;
    if (CommitOpenKey(layer, root, kIsaPnpPath.text, &isaPnpKey) != kRegistryOk)
        return changed;
    for (int32_t i = 0; i < inv.instanceNameCount; ++i)
        DeleteKeyIfEmpty(layer, isaPnpKey, inv.instanceNameTable[i]);
    CommitCloseKey(&isaPnpKey);

    CommitKey mfKey;
    if (CommitOpenKey(layer, root, kMfPath.text, &mfKey) != kRegistryOk)
        return changed;
    for (const char* childKeyName : kChildKeyNames)
        DeleteKeyIfEmpty(layer, mfKey, childKeyName);
    CommitCloseKey(&mfKey);

    CommitKey portsClassKey;
    if (CommitOpenKey(layer, root, kPortsClassPath.text, &portsClassKey) != kRegistryOk)
        return changed;
    for (int32_t i = 0; i < inv.orphanClassKeyCount; ++i) {
        if (inv.orphanClassKeyTable[i][0] != 0)
            CommitDeleteKey(layer, portsClassKey, inv.orphanClassKeyTable[i]);
    }
    CommitCloseKey(&portsClassKey);
    return changed;
}
