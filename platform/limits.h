// platform/limits.h: the sizes of the paths and names the program takes from Windows.
//
// Each counts the terminating NUL. A buffer that holds one of these takes its size from here,
// so the folders that fetch, build and compare them agree; a size of our own that only happens
// to be equal (an instance name's 80) stays where it is defined.
#ifndef KORVALIN_PLATFORM_LIMITS_H
#define KORVALIN_PLATFORM_LIMITS_H

enum {
    kPathSize = 260,  // a file's full path, or a name a directory search delivers (MAX_PATH)
    // The Windows and system directories are fetched into this much; one that does not fit is
    // treated as not had, and nothing below it is touched.
    kWindowsDirectorySize = 80,
    kRegistryNameSize = 256,  // a key or value name: Windows' own limit is 255 characters
};

#endif
