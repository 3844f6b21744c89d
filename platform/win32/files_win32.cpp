// platform/win32/files_win32.cpp: the file operations over KERNEL32 (Windows build).
//
// One call each, ANSI entry points only. Search and file handles are handed out as the
// FileSearch and PlatformFile pointers themselves, so nothing is allocated.
#include <windows.h>

#include "platform/clock.h"
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

// GetLastError of the latest call here that failed: a later call that succeeds may clear
// GetLastError (CreateFileA does), and the undo folder reads why only after its clean-up.
DWORD lastFailure;

// 1 when `done`; else keeps GetLastError and returns 0.
int Kept(BOOL done) {
    if (done)
        return 1;
    lastFailure = GetLastError();
    return 0;
}

HANDLE HandleOf(PlatformFile* file) {
    return reinterpret_cast<HANDLE>(file);
}

PlatformFile* FileOf(HANDLE handle) {
    if (!Kept(handle != INVALID_HANDLE_VALUE))
        return nullptr;
    return reinterpret_cast<PlatformFile*>(handle);
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
    return Kept(DeleteFileA(name));
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
    return Kept(CreateDirectoryA(path, nullptr));
}

int FilesRemoveDirectory(const char* path) {
    return Kept(RemoveDirectoryA(path));
}

PlatformFile* FilesOpenForReading(const char* name) {
    return FileOf(CreateFileA(name, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

PlatformFile* FilesCreate(const char* name) {
    return FileOf(CreateFileA(name, GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

PlatformFile* FilesOpenForChange(const char* name) {
    return FileOf(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
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
    if (!Kept(ReadFile(HandleOf(file), buffer, size, &got, nullptr)))
        return -1;
    return static_cast<long>(got);
}

int FilesWrite(PlatformFile* file, const void* data, unsigned long size) {
    DWORD written = 0;
    if (!Kept(WriteFile(HandleOf(file), data, size, &written, nullptr)))
        return 0;
    if (written == size)
        return 1;
    lastFailure = ERROR_DISK_FULL;  // a write that succeeds short has met a full disk
    return 0;
}

int FilesFlushToDisk(PlatformFile* file) {
    return Kept(FlushFileBuffers(HandleOf(file)));
}

int FilesSeek(PlatformFile* file, unsigned long offset) {
    return Kept(SetFilePointer(HandleOf(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN) !=
                INVALID_SET_FILE_POINTER);
}

int FilesCutHere(PlatformFile* file) {
    return Kept(SetEndOfFile(HandleOf(file)));
}

void FilesFlushProfileCache(const char* name) {
    // Returns FALSE after a flush whether or not it flushed: nothing to read from it.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, name);
}

int FilesClose(PlatformFile* file) {
    return Kept(CloseHandle(HandleOf(file)));
}

unsigned long FilesLastError() {
    return lastFailure;
}

void ReadLocalTime(LocalTime* now) {
    SYSTEMTIME time;
    GetLocalTime(&time);
    now->year = time.wYear;
    now->month = time.wMonth;
    now->day = time.wDay;
    now->hour = time.wHour;
    now->minute = time.wMinute;
}
