// platform/heap.h: the few blocks of memory the utility takes from the heap.
//
// The process heap through KERNEL32 on Windows (korvalin.exe links no C runtime), the C
// library's allocator natively (so the allocation test still counts every block).
#ifndef KORVALIN_PLATFORM_HEAP_H
#define KORVALIN_PLATFORM_HEAP_H

#include <stddef.h>

// A block of `bytes` with the contents of `block` (null: a new block) up to the smaller size,
// or null when there is no room; `block` is then left as it was.
void* ResizeHeapBlock(void* block, size_t bytes);
// Gives a block back; null is allowed.
void FreeHeapBlock(void* block);

#endif
