// platform/heap.cpp: heap blocks for both builds (see heap.h).
#include "platform/heap.h"

#ifdef _WIN32
#include <windows.h>

void* ResizeHeapBlock(void* block, size_t bytes) {
    HANDLE heap = GetProcessHeap();
    return block == nullptr ? HeapAlloc(heap, 0, bytes) : HeapReAlloc(heap, 0, block, bytes);
}

void FreeHeapBlock(void* block) {
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}

#else
#include <stdlib.h>

void* ResizeHeapBlock(void* block, size_t bytes) {
    return realloc(block, bytes);
}

void FreeHeapBlock(void* block) {
    free(block);
}

#endif
