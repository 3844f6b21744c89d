// platform/registry.h: the registry operations the utility relies on, with their Win32 meanings.
//
// The Windows build maps them one to one onto ADVAPI32 under HKEY_LOCAL_MACHINE; the native
// build runs them over the in-memory registry of host/memory_registry.h. Results are Win32 error
// codes: 0 is success, anything else a failure the caller treats as "not there" or "no more".
#ifndef KORVALIN_PLATFORM_REGISTRY_H
#define KORVALIN_PLATFORM_REGISTRY_H

#include "platform/limits.h"

#ifdef _WIN32
#include <windows.h>
typedef HKEY RegistryKey;
#else
struct MemoryKeyHandle;
typedef MemoryKeyHandle* RegistryKey;
#endif

// Win32 error codes the callers and tests tell apart (same numbers as ERROR_*).
enum : long {
    kRegistryOk = 0,
    kRegistryNotFound = 2,       // ERROR_FILE_NOT_FOUND
    kRegistryAccessDenied = 5,   // ERROR_ACCESS_DENIED
    kRegistryInvalidHandle = 6,  // ERROR_INVALID_HANDLE
    kRegistryBadArgument = 87,   // ERROR_INVALID_PARAMETER
    kRegistryMoreData = 234,     // ERROR_MORE_DATA: name or value does not fit the buffer
    kRegistryNoMoreItems = 259,  // ERROR_NO_MORE_ITEMS
    kRegistryKeyDeleted = 1018,  // ERROR_KEY_DELETED
};

// HKEY_LOCAL_MACHINE: the only root the utility ever opens below.
RegistryKey RegistryRoot();

// Opens `path` (levels separated by '\') below `parent` with KEY_ALL_ACCESS.
long RegistryOpenKey(RegistryKey parent, const char* path, RegistryKey* opened);

// Subkey number `index` of `key`. *nameLength is the buffer size in characters, terminator
// included; on success the name is NUL-terminated and *nameLength its length. A name that does
// not fit fails (kRegistryMoreData); past the last subkey: kRegistryNoMoreItems.
long RegistryEnumKey(RegistryKey key, unsigned long index, char* name, unsigned long* nameLength);

// Reads value `valueName` into `data`; *size is the buffer size in bytes and, on success, the
// data's size. Data longer than the buffer fails (kRegistryMoreData). The type is not reported.
long RegistryQueryValue(RegistryKey key, const char* valueName, void* data, unsigned long* size);

// Value number `index` of `key` (RegEnumValueA): its name (*nameLength as for RegistryEnumKey),
// its type and its data (*size the buffer size in bytes and, on success, the data's size). A
// name or data that does not fit fails (kRegistryMoreData); past the last value:
// kRegistryNoMoreItems. Values come in the order the key keeps them.
long RegistryEnumValue(RegistryKey key, unsigned long index, char* name, unsigned long* nameLength,
                       unsigned long* type, void* data, unsigned long* size);

// Writes a REG_SZ value; `size` counts the terminating NUL.
long RegistrySetStringValue(RegistryKey key, const char* valueName, const char* data,
                            unsigned long size);

// Deletes `subkey` (a name, or a path of two levels) below `parent`. A key that still has
// subkeys is not deleted.
long RegistryDeleteKey(RegistryKey parent, const char* subkey);

long RegistryCloseKey(RegistryKey key);

// --- registry_common.cpp, both builds.
// Key paths below HKEY_LOCAL_MACHINE. JoinKeyPath puts `path` (one
// level or several) below `parent` into `joined` of `size` characters, empty levels dropped;
// `joined` may be `parent` itself. 1: fits; 0: too long (*joined is then ""). IsKeyAtOrBelow: 1
// when `path` is `key` or lies below it, letters compared without regard to case, else 0.
int JoinKeyPath(const char* parent, const char* path, char* joined, unsigned size);
int IsKeyAtOrBelow(const char* path, const char* key);

// A value with its name as the key spells it, its type and data.
struct RegistryValue {
    char name[kRegistryNameSize];
    unsigned long type;
    unsigned long size;
    unsigned char data[4096];
};
// Reads value `valueName` of `key` (found without regard to case) into *value: kRegistryOk;
// kRegistryNotFound when the key has no such value; any other result when a read failed. Names
// are read first without the data: another value too big for the buffer does not matter.
long RegistryFindValue(RegistryKey key, const char* valueName, RegistryValue* value);

// Writes every change made so far to the disk now (RegFlushKey on HKEY_LOCAL_MACHINE): Windows 95
// otherwise writes SYSTEM.DAT only when its lazy flusher gets to it, and a crash before then
// loses changes that files deleted afterwards depend on.
long RegistryFlush();

#endif
