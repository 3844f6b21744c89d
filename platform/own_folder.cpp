// platform/own_folder.cpp: <Windows>\KORVALIN and the next numbered name in it.
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

int AppendNextNumbered(char* path, size_t size, const char* prefix, const char* suffix) {
    size_t folder = TextLength(path), length = TextLength(prefix) + 4 + TextLength(suffix);
    const char* const pattern[] = {"\\", prefix, "????", suffix};
    for (const char* piece : pattern)
        AppendText(path, size, piece);
    char name[kFileNameSize];
    int highest = 0;
    if (FileSearch* search = FilesFindFirst(path, name, sizeof name)) {
        do {  // the search matches short names too: only a name of the length asked counts
            if (TextLength(name) != length)
                continue;
            const char* digits = name + TextLength(prefix);
            int number = 0, i = 0;
            for (; i < 4 && digits[i] >= '0' && digits[i] <= '9'; ++i)
                number = number * 10 + digits[i] - '0';
            if (i == 4 && number > highest)
                highest = number;
        } while (FilesFindNext(search, name, sizeof name));
        FilesFindClose(search);
    }
    path[folder] = 0;
    if (highest == kOwnFolderMaxNumber)
        return 0;
    AppendText(path, size, "\\");
    AppendNumbered(path, size, prefix, highest + 1);
    AppendText(path, size, suffix);
    return highest + 1;
}
