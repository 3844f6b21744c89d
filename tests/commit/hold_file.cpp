// tests/commit/hold_file.cpp: holds a file open as a program that uses it does (reading, others
// may read but not write or delete; with "none", not even read) until it is ended. Under Wine
// the sharing is checked across processes as on Windows.
//   hold_file.exe PATH [none]
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3)
        return 2;
    DWORD sharing = argc == 3 && lstrcmpiA(argv[2], "none") == 0 ? 0 : FILE_SHARE_READ;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    Sleep(120000);  // the test ends it long before
    return 0;
}
