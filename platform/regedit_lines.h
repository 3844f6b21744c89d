// platform/regedit_lines.h: REGEDIT4 key and value lines as Windows 95's registry editor writes
// them, produced without the heap so that the program itself can write them.
#ifndef KORVALIN_PLATFORM_REGEDIT_LINES_H
#define KORVALIN_PLATFORM_REGEDIT_LINES_H

#include <stddef.h>

enum : unsigned long {
    kRegTypeNone = 0,
    kRegTypeString = 1,  // REG_SZ
    kRegTypeExpandString = 2,
    kRegTypeBinary = 3,
    kRegTypeDword = 4,
    kRegTypeMultiString = 7,
};

// Where the text goes (a string, a file). Returns 1 when the text was taken, 0 on failure.
typedef int (*RegTextSink)(void* context, const char* text, size_t length);

// A blank line, then "[HKEY_LOCAL_MACHINE\path]" (just the root for an empty path). 1: written.
int WriteRegeditKeyLine(const char* path, RegTextSink sink, void* context);

// One value line: "name" (escaped) or @ for the default value, then a "string" (escaped) when
// the data reads back as the same bytes, dword: for a four-byte REG_DWORD, else hex: for
// REG_BINARY and hex(n): for any other type, continued over lines as regedit does. 1: written.
int WriteRegeditValueLine(const char* name, unsigned long type, const void* data, size_t size,
                          RegTextSink sink, void* context);

#endif
