// platform/registry_common.cpp: what both builds do the same over the registry operations
// (see registry.h): key paths joined and compared, a value found by name.
#include "platform/registry.h"

#include <string.h>

#include "platform/ascii.h"
#include "platform/text.h"

int JoinKeyPath(const char* parent, const char* path, char* joined, unsigned size) {
    size_t length = TextLength(parent);
    if (length >= size) {
        joined[0] = 0;
        return 0;
    }
    if (joined != parent)
        memcpy(joined, parent, length + 1);
    for (const char* p = path; p != nullptr && *p != 0;) {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* end = p;
        while (*end != 0 && *end != '\\')
            ++end;
        size_t level = static_cast<size_t>(end - p);
        size_t separator = length > 0 ? 1 : 0;
        if (length + separator + level >= size) {
            joined[0] = 0;
            return 0;
        }
        if (separator)
            joined[length++] = '\\';
        memcpy(joined + length, p, level);
        length += level;
        joined[length] = 0;
        p = end;
    }
    return 1;
}

int IsKeyAtOrBelow(const char* path, const char* key) {
    for (; *key != 0; ++path, ++key) {
        if (LowerAscii(*path) != LowerAscii(*key))
            return 0;
    }
    return *path == 0 || *path == '\\';
}

long RegistryFindValue(RegistryKey key, const char* valueName, RegistryValue* value) {
    for (unsigned long index = 0;; ++index) {
        unsigned long nameLength = sizeof value->name, size = 0;
        long result =
            RegistryEnumValue(key, index, value->name, &nameLength, &value->type, nullptr, &size);
        if (result != kRegistryOk)
            return result == kRegistryNoMoreItems ? kRegistryNotFound : result;
        if (!EqualIgnoringCase(value->name, valueName))
            continue;
        nameLength = sizeof value->name;
        value->size = sizeof value->data;
        return RegistryEnumValue(key, index, value->name, &nameLength, &value->type, value->data,
                                 &value->size);
    }
}
