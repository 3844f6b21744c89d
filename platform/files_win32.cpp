// platform/files_win32.cpp: the file operations over KERNEL32 (Windows build).
//
// One call each, ANSI entry points only. A search handle is handed out as the FileSearch
// pointer itself, so nothing is allocated.
#include <windows.h>

#include <string.h>

#include "platform/files.h"

namespace {

// Copies a found name when it fits; 0 when it does not.
int CopyFoundName(const WIN32_FIND_DATAA& found, char* name, unsigned size) {
    size_t length = strlen(found.cFileName);
    if (length >= size)
        return 0;
    memcpy(name, found.cFileName, length + 1);
    return 1;
}

}  // namespace

unsigned FilesGetWindowsDirectory(char* buffer, unsigned size) {
    return GetWindowsDirectoryA(buffer, size);
}

unsigned FilesGetSystemDirectory(char* buffer, unsigned size) {
    return GetSystemDirectoryA(buffer, size);
}

int FilesSetCurrentDirectory(const char* path) {
    return SetCurrentDirectoryA(path) ? 1 : 0;
}

FileSearch* FilesFindFirst(const char* pattern, char* name, unsigned size) {
    WIN32_FIND_DATAA found;
    HANDLE handle = FindFirstFileA(pattern, &found);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    FileSearch* search = reinterpret_cast<FileSearch*>(handle);
    if (CopyFoundName(found, name, size) || FilesFindNext(search, name, size))
        return search;
    FindClose(handle);
    return nullptr;
}

int FilesFindNext(FileSearch* search, char* name, unsigned size) {
    WIN32_FIND_DATAA found;
    while (FindNextFileA(reinterpret_cast<HANDLE>(search), &found)) {
        if (CopyFoundName(found, name, size))
            return 1;
    }
    return 0;
}

void FilesFindClose(FileSearch* search) {
    FindClose(reinterpret_cast<HANDLE>(search));
}

int FilesExists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

int FilesDelete(const char* name) {
    return DeleteFileA(name) ? 1 : 0;
}

FILE* FilesOpenForReading(const char* name) {
    return fopen(name, "r");
}

int FilesCanDelete(const char* name) {
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0 ? 1 : 0;
}

int FilesCreateDirectory(const char* path) {
    return CreateDirectoryA(path, nullptr) ? 1 : 0;
}

FILE* FilesOpenForWriting(const char* name) {
    return fopen(name, "w");
}

int FilesCopy(const char* from, const char* to) {
    return CopyFileA(from, to, TRUE) ? 1 : 0;
}
