// commit/ok_changes.h: what OK changes, found out without changing anything, and OK carried out
// with an undo folder written first. The dialog's OK and the command line share these.
#ifndef KORVALIN_COMMIT_OK_CHANGES_H
#define KORVALIN_COMMIT_OK_CHANGES_H

struct PortInventory;

enum OkChangeKind {
    kOkValueWritten = 1,  // a PORTNAME written into an instance key
    kOkKeyDeleted = 2,    // a key deleted (a key that still has subkeys never is)
    kOkFileDeleted = 3,   // an INF or driver file deleted
};

// What the old value was, for kOkValueWritten.
enum OkOldValue {
    kOldValueNotRead = 0,  // the real run does not read before writing
    kOldValueNone = 1,     // the key had no such value: OK adds it
    kOldValueRead = 2,     // oldType, oldData and oldSize hold it as it was before OK
};

struct OkChange {
    int kind;          // OkChangeKind
    const char* path;  // the key's path below HKEY_LOCAL_MACHINE, or the file's full path
    // kOkValueWritten only (else null and 0):
    const char* valueName;  // as the commit names it ("PORTNAME")
    const char* newText;
    int oldValue;              // OkOldValue
    const char* oldValueName;  // the name as the key holds it (letter case may differ)
    unsigned long oldType;     // REG_SZ and so on; a string's data includes its terminator
    const void* oldData;
    unsigned long oldSize;
};

// Gets each change in the order it is (or would be) made. The pointers are valid for the call.
typedef void (*OkChangeObserver)(void* context, const OkChange& change);

// --- ok_changes.cpp

enum { kOkDryRunFailed = -1 };

// Runs OK's registry commit, and the driver clean-up when OK would run it (no maker's board left
// in `inventory`), as a dry run: nothing changes; every change that would take effect goes to
// `observer`. Returns the changed flag the commit would return (1: the restart prompt follows),
// or kOkDryRunFailed when the dry run lost track of what the real one would do (a read failing
// for another reason than "not there", a path or table too small), so its list is not whole.
int PreviewOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context);

// The same steps for real, telling `observer` (may be null) of each change that took effect.
// No undo folder: CarryOutOkChanges is what OK calls.
int ApplyOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context);

// The undo folder: <Windows directory>\KORVALIN\UNDOnnnn (nnnn from 0001, the first unused),
// holding UNDO.REG, UNDO.BAT and a copy FILEnnnn.DAT of each deleted file. 8.3 names throughout,
// so that DOS can use it when Windows no longer starts.
static const char kUndoParentFolder[] = "KORVALIN";
static const char kUndoFolderPrefix[] = "UNDO";
static const char kUndoCopyPrefix[] = "FILE";
static const char kUndoCopyExtension[] = ".DAT";
static const char kUndoRegistryFile[] = "UNDO.REG";
static const char kUndoBatchFile[] = "UNDO.BAT";
enum { kUndoFolderPathSize = 128, kUndoMaxNumber = 9999 };

enum OkResult {
    kOkDone = 0,            // changes made (or nothing to change); `changed` says which
    kOkUndoNotWritten = 1,  // the undo folder could not be written: nothing was changed
};

struct OkOutcome {
    int result;   // OkResult
    int changed;  // kOkDone: the commit's changed flag (the restart prompt follows on 1)
    // The undo folder's full path: kOkDone with changes made, or the folder that could not be
    // written. Empty when there was nothing to change (no folder is made then), or when not even
    // the Windows directory was known.
    char undoFolder[kUndoFolderPathSize];
};

// What OK does: finds out what will change, writes and closes the undo folder that puts it all
// back, then makes the changes, telling `observer` (may be null) of each that took effect. When
// the folder cannot be written nothing is changed.
void CarryOutOkChanges(const PortInventory& inventory, OkOutcome* outcome,
                       OkChangeObserver observer = nullptr, void* context = nullptr);

#endif
