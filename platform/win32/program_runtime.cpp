// platform/win32/program_runtime.cpp: the few functions the compiler calls on its own (copying
// and clearing structures, comparing blocks), for korvalin.exe, which links no C runtime.
//
// Built without loop-pattern recognition, or the compiler would turn these very loops back into
// calls to themselves. The stack probe for large frames comes from libgcc, linked statically.
#include <stddef.h>

extern "C" {

void* memcpy(void* to, const void* from, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(to);
    const unsigned char* s = static_cast<const unsigned char*>(from);
    while (size-- > 0)
        *d++ = *s++;
    return to;
}

void* memmove(void* to, const void* from, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(to);
    const unsigned char* s = static_cast<const unsigned char*>(from);
    if (d <= s || d >= s + size)
        return memcpy(to, from, size);
    while (size-- > 0)
        d[size] = s[size];  // backwards: the blocks overlap with the target above
    return to;
}

void* memset(void* block, int value, size_t size) {
    unsigned char* d = static_cast<unsigned char*>(block);
    while (size-- > 0)
        *d++ = static_cast<unsigned char>(value);
    return block;
}

int memcmp(const void* a, const void* b, size_t size) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; size > 0; --size, ++x, ++y) {
        if (*x != *y)
            return *x < *y ? -1 : 1;
    }
    return 0;
}

}  // extern "C"
