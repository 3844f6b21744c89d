// platform/key_path.cpp: joining and comparing registry key paths (see registry.h).
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
