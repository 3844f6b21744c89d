// commit/undo_registry_export.cpp: a key that OK will delete, with everything below it, as
// REGEDIT4 lines for UNDO.REG: parents before children, every value with its type.
#include <string.h>

#include "commit/commit_layer.h"
#include "platform/regedit_lines.h"
#include "platform/ascii.h"
#include "platform/limits.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

enum {
    kExportPathSize = 1024,
    kExportDataSize = 16384,  // a value's data (Windows 95's limit is below it)
};

struct ExportState {
    RegTextSink sink;
    void* context;
    char path[kExportPathSize];  // the key being exported
    char valueName[kRegistryNameSize];
    unsigned char valueData[kExportDataSize];
};

// The key at w.path with its values, then each subkey the same way.
int ExportTree(ExportState& w, RegistryKey key) {
    if (!WriteRegeditKeyLine(w.path, w.sink, w.context))
        return 0;
    for (unsigned long index = 0;; ++index) {
        unsigned long nameLength = sizeof w.valueName, type = 0, size = sizeof w.valueData;
        long result =
            RegistryEnumValue(key, index, w.valueName, &nameLength, &type, w.valueData, &size);
        if (result == kRegistryNoMoreItems)
            break;
        if (result != kRegistryOk ||
            !WriteRegeditValueLine(w.valueName, type, w.valueData, size, w.sink, w.context))
            return 0;
    }
    size_t length = TextLength(w.path);
    for (unsigned long index = 0;; ++index) {
        char name[kRegistryNameSize];
        unsigned long nameLength = sizeof name;
        long result = RegistryEnumKey(key, index, name, &nameLength);
        if (result == kRegistryNoMoreItems)
            return 1;
        RegistryKey child;
        if (result != kRegistryOk || length + 1 + nameLength >= sizeof w.path ||
            RegistryOpenKey(key, name, &child) != kRegistryOk)
            return 0;
        w.path[length] = '\\';
        memcpy(w.path + length + 1, name, nameLength + 1);
        int exported = ExportTree(w, child);
        RegistryCloseKey(child);
        w.path[length] = 0;
        if (!exported)
            return 0;
    }
}

// A deleted key's subtree, its own name spelled as the registry spells it (the commit may have
// named it in other letter case), so that importing gives back the very same key.
}  // namespace

int ExportKeySubtree(const char* path, RegTextSink sink, void* context) {
    ExportState w;
    w.sink = sink;
    w.context = context;
    const char* last = FindLastCharacter(path, '\\');
    size_t parentLength = last ? static_cast<size_t>(last - path) : 0;
    const char* wanted = last ? last + 1 : path;
    if (TextLength(path) >= sizeof w.path)
        return 0;
    memcpy(w.path, path, parentLength);
    w.path[parentLength] = 0;
    RegistryKey parent;
    if (RegistryOpenKey(RegistryRoot(), w.path, &parent) != kRegistryOk)
        return 0;
    int exported = 0;
    for (unsigned long index = 0;; ++index) {
        char name[kRegistryNameSize];
        unsigned long nameLength = sizeof name;
        if (RegistryEnumKey(parent, index, name, &nameLength) != kRegistryOk)
            break;
        if (!EqualIgnoringCase(name, wanted))
            continue;
        RegistryKey key;
        if (RegistryOpenKey(parent, name, &key) != kRegistryOk)
            break;
        char parentPath[kExportPathSize];
        memcpy(parentPath, w.path, sizeof parentPath);
        if (JoinKeyPath(parentPath, name, w.path, sizeof w.path))
            exported = ExportTree(w, key);
        RegistryCloseKey(key);
        break;
    }
    RegistryCloseKey(parent);
    return exported;
}
