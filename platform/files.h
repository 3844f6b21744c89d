// platform/files.h: the file operations the driver clean-up and the undo folder need, with their
// Win32 meanings.
//
// The Windows build maps them onto KERNEL32. The native build works on the host's file system
// (through the C library's streams) below a Windows directory and a system directory that the
// caller sets (tests, through host/files_native.h), matching names and patterns without regard
// to case and taking '\' between levels, as the Windows file system does. platform/streams.h
// buffers text over these files.
#ifndef KORVALIN_PLATFORM_FILES_H
#define KORVALIN_PLATFORM_FILES_H

#include "platform/limits.h"

enum {
    kFileNameSize = kPathSize,  // buffer for a name the search delivers
    // COMMAND.COM's longest line, Windows 95's and real-mode DOS's (Knowledge Base Q121059):
    // what is longer is cut.
    kDosLineLimit = 127,
};

// The Windows and system directories, as GetWindowsDirectoryA and GetSystemDirectoryA give
// them: the length without the terminator when the path fits `size`; otherwise the size that
// would be needed (terminator included) and the buffer is left as it was; 0 on failure.
unsigned FilesGetWindowsDirectory(char* buffer, unsigned size);
unsigned FilesGetSystemDirectory(char* buffer, unsigned size);

// Makes `path` the current directory that relative names are taken from. 1: done; 0: not.
int FilesSetCurrentDirectory(const char* path);

// A directory search. FilesFindFirst returns null when nothing matches `pattern` ('*' and '?'
// wildcards, any letter case); otherwise the first name is in `name`. FilesFindNext returns 1
// with the next name, 0 when there is none. Names longer than `size` - 1 are skipped.
struct FileSearch;
FileSearch* FilesFindFirst(const char* pattern, char* name, unsigned size);
int FilesFindNext(FileSearch* search, char* name, unsigned size);
void FilesFindClose(FileSearch* search);

// 1 when a file or directory of that name exists (its attributes can be read), else 0.
int FilesExists(const char* name);

// Deletes a file. 1: deleted; 0: not (missing, read-only, a directory, in use).
int FilesDelete(const char* name);

// 1 when FilesDelete would delete the file: it is there, not a directory and not read-only.
int FilesCanDelete(const char* name);

// 1 when another program holds the file open: opening it with no sharing at all fails with a
// sharing violation. Windows 95 deletes a file that is open (Windows NT and Wine refuse), so this
// is asked before a file is deleted. 0 when nobody holds it, or it is not there.
int FilesInUse(const char* name);

// The short (8.3) form of a file's full path, as WININIT.EXE and real-mode DOS need it, found
// while the file exists (GetShortPathNameA): its length, or 0 when the file is not there or the
// short path does not fit `size`.
unsigned FilesGetShortPath(const char* path, char* buffer, unsigned size);

// Makes a directory (CreateDirectoryA). 1: made; 0: not (already there, a file of that name in
// the way, parent missing, disk read-only or full).
int FilesCreateDirectory(const char* path);
// Removes an empty directory (RemoveDirectoryA). 1: removed; 0: not (missing, not empty).
int FilesRemoveDirectory(const char* path);

// Copies a file's bytes to a new file, failing when `to` exists, and puts the copy on the disk
// before it returns (an undo folder's copy must survive a crash that follows). 1: copied; 0: not,
// and FilesLastError says why.
int FilesCopy(const char* from, const char* to);

// Windows errors FilesLastError gives that callers tell apart.
enum {
    kFileErrorAccessDenied = 5,
    kFileErrorWriteProtect = 19,
    kFileErrorSharingViolation = 32,  // another program holds the file open without sharing
    kFileErrorLockViolation = 33,
    kFileErrorHandleDiskFull = 39,
    kFileErrorCannotMake = 82,  // FAT's root directory is full
    kFileErrorDiskFull = 112,
};

// The Windows error (GetLastError) of the latest call here that failed, as read right after it:
// calls that succeed leave it, as some of them clear GetLastError's own. The native build maps
// the host's errno onto the same numbers. 0 when none failed yet.
unsigned long FilesLastError();

// An open file: a HANDLE on Windows, a C library stream natively.
struct PlatformFile;

// Opens a file for reading only (a read-only file opens too); null when it cannot be opened
// (missing, a directory, in use).
PlatformFile* FilesOpenForReading(const char* name);
// Creates (or empties) a file for writing; null when it cannot be created.
PlatformFile* FilesCreate(const char* name);
// Opens a file for reading and writing at its start, keeping its bytes (created empty when it is
// not there); null when it cannot be (read-only, a directory, in use).
PlatformFile* FilesOpenForChange(const char* name);
// Creates a file for writing that must not exist yet; null when it does, or cannot be created.
PlatformFile* FilesCreateNew(const char* name);
// The process's standard output, or null where it has none (a GUI program on Windows 95). It is
// never closed.
PlatformFile* FilesStandardOutput();
// Reads up to `size` bytes: how many were read, 0 at the end of the file, -1 on failure.
long FilesRead(PlatformFile* file, void* buffer, unsigned long size);
// Writes all `size` bytes. 1: written; 0: not (disk full, a write error).
int FilesWrite(PlatformFile* file, const void* data, unsigned long size);
// Makes the disk hold everything written so far (FlushFileBuffers): Windows 95 keeps a closed
// file in its write-behind cache for seconds. 1: done; 0: failed.
int FilesFlushToDisk(PlatformFile* file);
// Moves where the next read or write starts to `offset` bytes from the start of the file
// (SetFilePointer). 1: done; 0: not.
int FilesSeek(PlatformFile* file, unsigned long offset);
// Ends the file where the next write would start, dropping what follows (SetEndOfFile).
// 1: done; 0: not.
int FilesCutHere(PlatformFile* file);
// Flushes Windows' cache of a profile (.INI) file, named as the profile calls take it (a name
// alone is in the Windows directory). The native build has no such cache.
void FilesFlushProfileCache(const char* name);
// 1: closed cleanly; 0: the close reported an error.
int FilesClose(PlatformFile* file);

#endif
