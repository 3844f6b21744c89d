// platform/own_folder.cpp: <Windows>\KORVALIN and the first unused numbered name in it.
#include "platform/own_folder.h"

#include "platform/files.h"
#include "platform/limits.h"
#include "platform/text.h"

int OwnFolderPath(char* windows, char* folder, size_t size) {
    folder[0] = 0;
    unsigned length = FilesGetWindowsDirectory(windows, kWindowsDirectorySize);
    if (length == 0 || length >= kWindowsDirectorySize)
        return 0;
    AppendText(folder, size, windows);
    AppendText(folder, size, "\\");
    AppendText(folder, size, kOwnFolderName);
    return 1;
}

void AppendNumbered(char* text, size_t size, const char* prefix, int number) {
    AppendText(text, size, prefix);
    for (int divisor = 1000; divisor > 0; divisor /= 10) {
        char digit[2] = {static_cast<char>('0' + number / divisor % 10), 0};
        AppendText(text, size, digit);
    }
}

int AppendFirstUnused(char* path, size_t size, const char* prefix, const char* suffix) {
    size_t folder = TextLength(path);
    for (int number = 1; number <= kOwnFolderMaxNumber; ++number) {
        path[folder] = 0;
        AppendText(path, size, "\\");
        AppendNumbered(path, size, prefix, number);
        AppendText(path, size, suffix);
        if (!FilesExists(path))
            return number;
    }
    path[folder] = 0;
    return 0;
}
