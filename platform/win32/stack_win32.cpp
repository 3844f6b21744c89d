// platform/win32/stack_win32.cpp: committing a thread's stack up front (see stack.h).
#include <stdint.h>

#include "platform/stack.h"

// Never inlined: the pages touched are those beneath this call's own small frame.
__attribute__((noinline)) void CommitStack(unsigned long bytes) {
    volatile char here = 0;
    uintptr_t top = reinterpret_cast<uintptr_t>(&here);
    // Page by page downwards: each touch meets the guard page, which Windows then commits and
    // moves one page further down.
    for (unsigned long offset = 4096; offset <= bytes; offset += 4096)
        (void)*reinterpret_cast<volatile char*>(top - offset);
}
