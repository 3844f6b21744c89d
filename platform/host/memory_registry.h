// platform/host/memory_registry.h: control of the native build's in-memory registry (tests, tools).
//
// The in-memory registry stands behind registry.h where no Windows registry is at hand. It
// behaves like Windows wherever the utility's walks can tell: names match without regard to
// case, subkeys enumerate sorted without regard to case, short buffers fail the call, and a
// key that still has subkeys cannot be deleted.
#ifndef KORVALIN_PLATFORM_HOST_MEMORY_REGISTRY_H
#define KORVALIN_PLATFORM_HOST_MEMORY_REGISTRY_H

#include <stddef.h>

#include <string>

// Keys open at one time; opening one more fails with kMemoryRegistryNoFreeHandle.
enum : int { kMemoryRegistryHandlePoolSize = 1024 };
enum : long { kMemoryRegistryNoFreeHandle = 4 };  // ERROR_TOO_MANY_OPEN_FILES

// Empties the registry (HKEY_LOCAL_MACHINE with no subkeys), closes every open key, and clears
// the operation count and any armed fault.
void MemoryRegistryReset();

// Merges REGEDIT4 text into the registry. On a malformed file returns false, leaves the
// registry as it was and sets *error to "line N: what is wrong".
bool MemoryRegistryLoad(const char* text, size_t length, std::string* error);
// As MemoryRegistryLoad; *error is then "PATH: line N: ..." or "cannot open PATH".
bool MemoryRegistryLoadFile(const char* path, std::string* error);

// The whole registry as REGEDIT4 text, keys in enumeration order. Loading it gives the same tree.
std::string MemoryRegistrySave();

// Fault injection: operation number `nth` (1-based, counted from this call over the open,
// enumerate, query, set, delete and flush operations) fails with `code` without doing anything; 0
// disarms. Lets tests fail every open, read and write in turn. Closing a key is not counted and
// never fails, so a walk that closes what it opened leaves no handle open whatever failed.
void MemoryRegistryFailOperation(long nth, long code);
// Open, enumerate, query, set, delete and flush operations performed since the last reset (closes
// not counted).
long MemoryRegistryOperationCount();
// Keys opened and not yet closed: a leak check for the walks and the commit.
int MemoryRegistryOpenHandleCount();

#endif
