// platform/host/change_journal.h: native build only. Tells a test each change the native registry
// and file system are about to make, in order, and lets it refuse one as a full disk or a
// failing registry would: so a test can see what was on the disk before what (the undo folder
// before the first change, the registry before a file goes) and what happens when it is not.
#ifndef KORVALIN_PLATFORM_HOST_CHANGE_JOURNAL_H
#define KORVALIN_PLATFORM_HOST_CHANGE_JOURNAL_H

enum PlatformChange {
    kChangeValueWritten,     // name: the key's path, a backslash and the value's name
    kChangeKeyDeleted,       // name: the key's path
    kChangeRegistryFlushed,  // name: ""
    kChangeFileFlushed,      // name: the file as it was opened
    kChangeFileDeleted,      // name: the file as it was named
};

// Returns 1 to let the change happen, 0 to make the call fail without doing it.
typedef int (*PlatformChangeHook)(void* context, int change, const char* name);

// Null stops the telling. Nothing is built for the hook unless one is set, so the registry's
// operations stay off the heap.
void SetPlatformChangeHook(PlatformChangeHook hook, void* context);
int PlatformChangeHookSet();
// 1 when the change may go ahead (always, without a hook).
int AllowPlatformChange(int change, const char* name);

#endif
