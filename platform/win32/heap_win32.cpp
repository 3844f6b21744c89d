// platform/win32/heap_win32.cpp: heap blocks from the process heap through KERNEL32 (see heap.h).
#include "platform/heap.h"

#include <windows.h>

void* ResizeHeapBlock(void* block, size_t bytes) {
    HANDLE heap = GetProcessHeap();
    return block == nullptr ? HeapAlloc(heap, 0, bytes) : HeapReAlloc(heap, 0, block, bytes);
}

void FreeHeapBlock(void* block) {
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}
