// platform/host/heap_native.cpp: heap blocks from the C library's allocator (see heap.h).
#include "platform/heap.h"

#include <stdlib.h>

void* ResizeHeapBlock(void* block, size_t bytes) {
    return realloc(block, bytes);
}

void FreeHeapBlock(void* block) {
    free(block);
}
