// commit/undo_folder.cpp: the undo folder OK writes before it changes anything: UNDO.REG with
// every key it will delete (whole subtrees, as they are now) and every PORTNAME it will
// overwrite, a copy of every file it will delete (and of WININIT.INI before OK adds to it), and
// the two batch files that put the files back and import UNDO.REG (undo_batch.cpp).
//
// It is written from OK's plan, made before anything changed: the deleted keys' subtrees go
// into UNDO.REG first, parents before children, then the old values and the file copies in the
// order OK makes the changes. Everything is written, put on the disk and closed before the real
// run starts, so a crash or power loss during the commit still leaves a complete way back.
#include "commit/undo_folder.h"

#include <string.h>

#include "commit/commit_layer.h"
#include "commit/restart_deletions.h"
#include "commit/undo_batch.h"
#include "inventory/registry_names.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/own_folder.h"
#include "platform/regedit_lines.h"
#include "platform/streams.h"
#include "platform/text.h"

namespace {

enum { kUndoLineSize = kCommitKeyPathSize + 128 };

// %s: the key. REGEDIT4 cannot remove a value, so one OK added is only named.
const char kAddedValueRemark[] =
    "\n; OK added PORTNAME to [HKEY_LOCAL_MACHINE\\%s]; REGEDIT4 cannot remove a value, so it "
    "stays.\n";

struct UndoWriter {
    const OkPlan* plan;
    char windows[kWindowsDirectorySize];
    char wininit[kWindowsDirectorySize + sizeof "\\WININIT.INI"];
    char folder[kUndoFolderPathSize];
    TextWriter reg;
    UndoBatches batches;
    int copies;
    int failed;
    int madeParent;  // this run made KORVALIN, and the UNDOnnnn in it
    int madeFolder;
    // Why the folder cannot be finished, the first reason met: the file a copy failed on (null:
    // the folder itself), and the Windows error (0: not a file call's, a DOS line too long say).
    const char* failedFile;
    unsigned long error;
};

void Fail(UndoWriter& w, const char* file, unsigned long error) {
    if (!w.failed) {
        w.failedFile = file;
        w.error = error;
    }
    w.failed = 1;
}

// Names the next unused KORVALIN\UNDOnnnn and, when `make`, makes it. 1: named (and made);
// 0: not (w.folder names what failed, or is "" without a Windows directory).
int MakeFolder(UndoWriter& w, int make) {
    if (!OwnFolderPath(w.windows, w.folder, sizeof w.folder))
        return 0;
    if (make)  // there already from an earlier OK, or failing below
        w.madeParent = FilesCreateDirectory(w.folder);
    if (!AppendNextNumbered(w.folder, sizeof w.folder, kUndoFolderPrefix, ""))
        return 0;  // no number left: the parent is what is full
    if (make && !(w.madeFolder = FilesCreateDirectory(w.folder)))
        Fail(w, nullptr, FilesLastError());
    return !w.failed;
}

// The folder's path, a backslash and `name`.
void PathInFolder(const UndoWriter& w, const char* name, char* path, size_t size) {
    path[0] = 0;
    AppendText(path, size, w.folder);
    AppendText(path, size, "\\");
    AppendText(path, size, name);
}

int OpenInFolder(const UndoWriter& w, const char* name, TextWriter* file) {
    char path[kUndoFolderPathSize + 16];
    PathInFolder(w, name, path, sizeof path);
    return OpenTextWriter(file, path);
}

// Each key the plan deletes whose parent stays: its subtree holds the rest.
int ExportDeletedKeys(UndoWriter& w) {
    for (int i = 0; i < w.plan->count; ++i) {
        const PlannedChange& change = w.plan->changes[i];
        if (change.kind != kOkKeyDeleted)
            continue;
        char parent[kOkChangePathSize];
        const char* last = FindLastCharacter(change.path, '\\');
        size_t parentLength = last ? static_cast<size_t>(last - change.path) : 0;
        memcpy(parent, change.path, parentLength);
        parent[parentLength] = 0;
        if (parentLength > 0 && PlanDeletesKeyOrAbove(*w.plan, parent))
            continue;
        if (!ExportKeySubtree(change.path, WriteTextSink, &w.reg))
            return 0;
    }
    return 1;
}

// Before the first file OK leaves for deletion at the restart, WININIT.INI's bytes as they are,
// kept as WININIT.OLD (neither batch file touches it), so that its every other line can be
// checked, or put back, by hand.
void KeepWininit(UndoWriter& w) {
    char kept[kUndoFolderPathSize + 16];
    PathInFolder(w, kUndoWininitCopy, kept, sizeof kept);
    FormatText(w.wininit, sizeof w.wininit, "%s\\", w.windows);
    AppendText(w.wininit, sizeof w.wininit, kWininitFile);
    if (FilesExists(w.wininit) && !FilesCopy(w.wininit, kept))
        Fail(w, w.wininit, FilesLastError());  // named, as a copied file is
}

// The copy of one file OK deletes, and the lines that put it back.
void SaveDeletedFile(UndoWriter& w, const char* path, int kind) {
    int atRestart = kind == kOkFileDeletedAtRestart;
    if (atRestart && w.wininit[0] == 0)
        KeepWininit(w);
    if (w.copies == kUndoMaxNumber) {
        w.failed = 1;
        return;
    }
    char copy[16] = "";
    AppendNumbered(copy, sizeof copy, kUndoCopyPrefix, ++w.copies);
    AppendText(copy, sizeof copy, kUndoCopyExtension);
    char copyPath[kUndoFolderPathSize + 16];
    PathInFolder(w, copy, copyPath, sizeof copyPath);
    if (!FilesCopy(path, copyPath)) {
        Fail(w, path, FilesLastError());
        return;
    }
    WriteCopyBack(&w.batches, copy, path, atRestart);
}

// The value as it was (nothing has changed yet), unless its key goes anyway: the key's subtree
// then holds it, and a line of its own would only bring the key back in the commit's letter case.
void SaveOldValue(UndoWriter& w, const char* path) {
    if (PlanDeletesKeyOrAbove(*w.plan, path))
        return;
    RegistryKey key;
    RegistryValue old;
    long result = RegistryOpenKey(RegistryRoot(), path, &key);
    if (result == kRegistryOk) {
        result = RegistryFindValue(key, kPortNameValue, &old);
        RegistryCloseKey(key);
    }
    if (result == kRegistryOk) {
        if (!WriteRegeditKeyLine(path, WriteTextSink, &w.reg) ||
            !WriteRegeditValueLine(old.name, old.type, old.data, old.size, WriteTextSink, &w.reg))
            w.failed = 1;
    } else if (result == kRegistryNotFound) {
        char line[kUndoLineSize];
        FormatText(line, sizeof line, kAddedValueRemark, path);
        WriteText(&w.reg, line);
    } else {
        w.failed = 1;
    }
}

// Writes the folder once the plan says something will change. 1: written.
int WriteFolder(UndoWriter& w) {
    if (!MakeFolder(w, 1))
        return 0;
    UndoBatches& b = w.batches;
    if (!(OpenInFolder(w, kUndoRegistryFile, &w.reg) & OpenInFolder(w, kUndoBatchFile, &b.bat) &
          OpenInFolder(w, kUndoDosBatchFile, &b.dos)))
        Fail(w, nullptr, FilesLastError());
    WriteText(&w.reg, "REGEDIT4\n");
    StartUndoBatches(&b, w.windows, w.folder);
    if (!ExportDeletedKeys(w))
        w.failed = 1;
    for (int i = 0; !(w.failed | b.failed) && i < w.plan->count; ++i) {
        const PlannedChange& change = w.plan->changes[i];
        if (change.kind == kOkValueWritten)
            SaveOldValue(w, change.path);
        else if (change.kind == kOkFileDeleted || change.kind == kOkFileDeletedAtRestart)
            SaveDeletedFile(w, change.path, change.kind);
    }
    WriteText(&w.reg, "\n");
    EndUndoBatches(&b);
    w.failed |= b.failed;
    // On the disk and closed before anything changes: Windows 95 would otherwise keep them in
    // its write-behind cache for seconds after the close.
    if (!(CloseTextWriterOnDisk(&w.reg) & CloseTextWriterOnDisk(&b.bat) &
          CloseTextWriterOnDisk(&b.dos)))
        Fail(w, nullptr, FilesLastError());
    return !w.failed;
}

// The files a folder holds besides its copies.
const char* const kFolderFiles[] = {kUndoRegistryFile, kUndoBatchFile, kUndoDosBatchFile,
                                    kUndoWininitCopy};

// A folder that could not be finished would pass for a way back that undoes nothing, or half:
// what was written of it goes, every file of it closed by now (Windows 95 would delete one that
// is open), and a later OK takes its number again.
void RemoveUnfinishedFolder(UndoWriter& w) {
    char path[kUndoFolderPathSize + 16];
    if (w.madeFolder) {
        for (const char* name : kFolderFiles) {
            PathInFolder(w, name, path, sizeof path);
            FilesDelete(path);
        }
        for (; w.copies > 0; --w.copies) {
            char copy[16] = "";
            AppendNumbered(copy, sizeof copy, kUndoCopyPrefix, w.copies);
            AppendText(copy, sizeof copy, kUndoCopyExtension);
            PathInFolder(w, copy, path, sizeof path);
            FilesDelete(path);
        }
        FilesRemoveDirectory(w.folder);
    }
    if (w.madeParent) {  // empty now: made by this run, it held nothing else
        CopyText(path, w.folder);
        *const_cast<char*>(FindLastCharacter(path, '\\')) = 0;
        FilesRemoveDirectory(path);
    }
}

}  // namespace

int WriteUndoFolder(const OkPlan& plan, OkOutcome* outcome) {
    // The writers are opened only once the folder is made, and closed only then.
    UndoWriter w = {};
    w.plan = &plan;
    // A plan that is not whole makes no way back: the folder is only named.
    int written = plan.state == kOkDone ? WriteFolder(w) : (MakeFolder(w, 0), 0);
    if (!written)
        RemoveUnfinishedFolder(w);
    // Each fits: the folder is kUndoFolderPathSize, and the file a plan path, as large.
    CopyText(outcome->undoFolder, w.folder);
    CopyText(outcome->undoFile, w.failedFile ? w.failedFile : "");
    outcome->undoError = w.error;
    return written;
}
