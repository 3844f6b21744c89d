// commit/ok_changes.h: what OK changes, found out without changing anything, and OK carried out
// with an undo folder written first. The dialog's OK and the command line share these; this is
// the one door to OK's steps for the rest of the utility.
#ifndef KORVALIN_COMMIT_OK_CHANGES_H
#define KORVALIN_COMMIT_OK_CHANGES_H

#include <stddef.h>

#include "inventory/inventory.h"
#include "platform/limits.h"

enum OkChangeKind {
    kOkValueWritten = 1,  // a PORTNAME written into an instance key
    kOkKeyDeleted = 2,    // a key deleted (a key that still has subkeys never is)
    kOkFileDeleted = 3,   // an INF or driver file deleted
    // An INF or driver file another program held open, left for WININIT.EXE to delete at the
    // next restart (its short path under [rename] in WININIT.INI): a restart follows.
    kOkFileDeletedAtRestart = 4,
    kOkChangeKinds,  // for tables by kind
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

// --- dry_run_layer.cpp

enum { kOkDryRunFailed = -1 };

// Runs OK's registry commit, and the driver clean-up when OK would run it (no maker's board left
// in `inventory`), as a dry run: nothing changes; every change that would take effect goes to
// `observer`. Returns the changed flag the commit would return (1: the restart prompt follows),
// or kOkDryRunFailed when the dry run lost track of what the real one would do (a read failing
// for another reason than "not there", a path or table too small), so its list is not whole.
int PreviewOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context);
// 1 for a PORTNAME the dry run found holding the very text it would write: OK rewrites every
// port name of a board it changes, and such a value only keeps its text. 0 for every other
// change, and for any change of the real run, which does not read before it writes.
int RewritesSameText(const OkChange& change);

// --- ok_changes.cpp

// The same steps for real, telling `observer` (may be null) of each change that took effect.
// No undo folder: CarryOutOkChanges is what OK calls.
int ApplyOkChanges(const PortInventory& inventory, OkChangeObserver observer, void* context);

enum {
    kUndoFolderPathSize = 128,      // <Windows directory>\KORVALIN\UNDOnnnn
    kOkChangePathSize = kPathSize,  // a key path or a file's full path
};

enum OkResult {
    kOkDone = 0,            // changes made (or nothing to change); `changed` says which
    kOkUndoNotWritten = 1,  // the undo folder could not be written: nothing was changed
    kOkPlanFailed = 2,      // what OK would change could not be worked out: nothing was changed
    kOkNoMemory = 3,        // no memory to keep what OK would change: nothing was changed
};

// How the real run went beside the plan it was made from (kOkDone only).
enum OkDeviation {
    kOkAsPlanned = 0,
    kOkUnplannedChange = 1,  // it made a change the plan (and so the undo folder) does not hold
    kOkChangeNotMade = 2,    // a planned change was not made (the registry refused it)
};

struct OkOutcome {
    int result;   // OkResult
    int changed;  // kOkDone: the commit's changed flag (the restart prompt follows on 1)
    // The undo folder's full path: kOkDone with changes made, or the folder that could not be
    // written (or, kOkPlanFailed, would have been). Empty when there was nothing to change (no
    // folder is made then), or when not even the Windows directory was known.
    char undoFolder[kUndoFolderPathSize];
    int made[kOkChangeKinds];  // kOkDone: the changes made, counted by OkChangeKind
    int rewrittenUnchanged;    // of made[kOkValueWritten], those that kept their text
    // kOkDone: an OkDeviation, and the change it is about: the first change made outside the
    // plan, else the first planned change not made. newText is "" but for a value written.
    int deviation;
    int deviationKind;
    char deviationPath[kOkChangePathSize];
    char deviationText[kPortNameSize];  // the commit writes port names only
    // kOkUndoNotWritten: the file that could not be copied into the folder ("" when it was the
    // folder itself that could not be written), and the Windows error that said why (0 when
    // no file call failed: a line too long for DOS, a registry read).
    char undoFile[kOkChangePathSize];
    unsigned long undoError;
};

// What OK does: works out once what will change, writes the undo folder that puts it all back
// (on the disk and closed), then makes the changes and follows them against that plan. When
// the plan cannot be made or the folder cannot be written, nothing is changed.
void CarryOutOkChanges(const PortInventory& inventory, OkOutcome* outcome);

// What kind of error stopped the undo folder, for the advice that follows its description.
enum UndoFailureKind {
    kUndoOtherFailure = 0,
    kUndoFileHeld = 1,  // another program holds the file open
    kUndoDiskFull = 2,  // the disk may be full or read-only
};
enum { kUndoFailureSize = kOkChangePathSize + 80 };

// Says why the undo folder was not written (kOkUndoNotWritten), in one clause without its end:
// "C:\WINDOWS\SYSTEM\QUORVANE.VXD could not be copied: another program holds it open (error
// 32)", or "The undo folder C:\WINDOWS\KORVALIN\UNDO0001 could not be written: the disk may be
// full or read-only (error 112)"; an error that means neither gives only its number, and no
// error no reason. Returns its UndoFailureKind.
int DescribeUndoFailure(const OkOutcome& outcome, char* text, size_t size);

#endif
