// platform/host/files_native.h: control of the native build's files (tests, tools).
//
// The host cannot show what the file operations of files.h must tell apart on Windows: these
// set it up.
#ifndef KORVALIN_PLATFORM_HOST_FILES_NATIVE_H
#define KORVALIN_PLATFORM_HOST_FILES_NATIVE_H

// The directories FilesGet*Directory report (host paths; '\' is also taken as a separator in
// them). A null directory makes its query fail. Also makes the host's present working directory
// the current directory again.
void FilesNativeSetDirectories(const char* windowsDirectory, const char* systemDirectory);
// Marks a file as held open by another program, which the host cannot show: 0 not held; 1 held,
// others may still read it; kFileHeldWithoutSharing, held with no sharing at all, so opening it
// fails with a sharing violation as well.
enum { kFileHeldWithoutSharing = 2 };
void FilesNativeSetInUse(const char* name, int held);
// The host folder that stands for drive C: (null: none). A name that begins "C:" is taken in
// it, so that a Windows directory may be given as DOS names it. Below it a file's short path is
// "C:" and its 8.3 names, each long name given as its first six letters and "~1" (as DOS
// emulators show it); elsewhere a file's short path is its path as given.
void FilesNativeSetDosDrive(const char* hostRoot);

// A full disk: no write takes a file past `bytes` (what fits is written, then the write fails
// with ERROR_DISK_FULL); -1, and FilesNativeSetDirectories, lift the limit.
void FilesNativeSetFileSizeLimit(long bytes);

#endif
