// platform/stack.h: a thread's stack committed up front.
//
// The 32-bit program is built without stack probes, which cost every call a few bytes (the
// arguments are then pushed rather than stored). Windows commits a stack one guard page at a
// time, so a frame larger than a page must not be entered before the pages beneath it are
// committed: each thread touches what it may use, in order, before it calls anything else.
#ifndef KORVALIN_PLATFORM_STACK_H
#define KORVALIN_PLATFORM_STACK_H

enum : unsigned long {
    // The main thread: every frame of 4 KiB or more in the program at once, and room for the
    // others and for Windows' own (check_program_image.sh adds them up).
    kMainThreadStack = 192 * 1024,
    // A worker thread: the port test, whose frames are all small.
    kWorkerThreadStack = 32 * 1024,
};

// Touches the `bytes` below the caller's frame one page at a time, from the top.
void CommitStack(unsigned long bytes);

#endif
