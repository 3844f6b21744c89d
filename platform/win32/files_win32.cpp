// platform/win32/files_win32.cpp: the file operations over KERNEL32 (Windows build).
//
// One call each, ANSI entry points only. Search and file handles are handed out as the
// FileSearch and PlatformFile pointers themselves, so nothing is allocated.
#include <windows.h>

#include "platform/files.h"
#include "platform/text.h"

namespace {

// Copies a found name when it fits; 0 when it does not.
int CopyFoundName(const WIN32_FIND_DATAA& found, char* name, unsigned size) {
    if (TextLength(found.cFileName) >= size)
        return 0;
    CopyText(name, found.cFileName);
    return 1;
}

// Others may read and write a file while we have it open, as with the C library's fopen: a file
// another program holds open must still be read.
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE HandleOf(PlatformFile* file) {
    return reinterpret_cast<HANDLE>(file);
}

PlatformFile* FileOf(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<PlatformFile*>(handle);
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

int FilesCanDelete(const char* name) {
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0 ? 1 : 0;
}

int FilesInUse(const char* name) {
    HANDLE handle =
        CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return 0;
    }
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? 1 : 0;
}

unsigned FilesGetShortPath(const char* path, char* buffer, unsigned size) {
    DWORD length = GetShortPathNameA(path, buffer, size);
    return length < size ? length : 0;
}

int FilesCreateDirectory(const char* path) {
    return CreateDirectoryA(path, nullptr) ? 1 : 0;
}

PlatformFile* FilesOpenForReading(const char* name) {
    return FileOf(CreateFileA(name, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

PlatformFile* FilesCreate(const char* name) {
    return FileOf(CreateFileA(name, GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

PlatformFile* FilesCreateNew(const char* name) {
    return FileOf(CreateFileA(name, GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

PlatformFile* FilesStandardOutput() {
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    return handle == nullptr ? nullptr : FileOf(handle);
}

long FilesRead(PlatformFile* file, void* buffer, unsigned long size) {
    DWORD got = 0;
    if (!ReadFile(HandleOf(file), buffer, size, &got, nullptr))
        return -1;
    return static_cast<long>(got);
}

int FilesWrite(PlatformFile* file, const void* data, unsigned long size) {
    DWORD written = 0;
    return WriteFile(HandleOf(file), data, size, &written, nullptr) && written == size;
}

int FilesFlushToDisk(PlatformFile* file) {
    return FlushFileBuffers(HandleOf(file)) ? 1 : 0;
}

int FilesClose(PlatformFile* file) {
    return CloseHandle(HandleOf(file)) ? 1 : 0;
}
