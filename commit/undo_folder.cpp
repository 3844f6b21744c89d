// commit/undo_folder.cpp: the undo folder OK writes before it changes anything: UNDO.REG with
// every key it will delete (whole subtrees, as they are now) and every PORTNAME it will
// overwrite, a copy of every file it will delete, and UNDO.BAT, which puts the files back and
// imports UNDO.REG.
//
// It is written from OK's plan, made before anything changed: the deleted keys' subtrees go
// into UNDO.REG first, parents before children, then the old values and the file copies in the
// order OK makes the changes. Everything is written, put on the disk and closed before the real
// run starts, so a crash or power loss during the commit still leaves a complete way back.
#include "commit/undo_folder.h"

#include <string.h>

#include "commit/commit_layer.h"
#include "commit/restart_deletions.h"
#include "inventory/registry_names.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/own_folder.h"
#include "platform/regedit_lines.h"
#include "platform/streams.h"
#include "platform/text.h"

namespace {

enum { kUndoLineSize = kCommitKeyPathSize + 128 };

// Both run from anywhere: each goes to its folder first.
const char kBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back korvalin's OK: the files, then the registry. From DOS: UNDODOS.BAT\n";
const char kDosBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back korvalin's OK from DOS: the files (8.3 names), then the registry\n";
// %s: the key. REGEDIT4 cannot remove a value, so one OK added is only named.
const char kAddedValueRemark[] =
    "\n; OK added PORTNAME to [HKEY_LOCAL_MACHINE\\%s]; REGEDIT4 cannot remove a value, so it "
    "stays.\n";

struct UndoWriter {
    const OkPlan* plan;
    char windows[kWindowsDirectorySize];
    char folder[kUndoFolderPathSize];
    TextWriter reg;
    TextWriter bat;
    TextWriter dos;  // UNDODOS.BAT
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
    if (!AppendFirstUnused(w.folder, sizeof w.folder, kUndoFolderPrefix, ""))
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

// A file OK leaves for WININIT.EXE to delete at the restart: put back before that restart, it
// would still be deleted. So its line leaves WININIT.INI first (FIND /V copies every other line;
// after the restart the file is gone and WININIT.INI is WININIT.BAK, and the copy back is all).
void KeepFromRestartDeletion(UndoWriter& w, const char* path) {
    char shortPath[kCommitFilePathSize], windows[kWindowsDirectorySize];
    if (FilesGetShortPath(path, shortPath, sizeof shortPath) == 0) {
        w.failed = 1;  // the real run could not name it in WININIT.INI either
        return;
    }
    if (FilesGetShortPath(w.windows, windows, sizeof windows) == 0)
        CopyText(windows, w.windows);
    const char* const pieces[] = {"REM In use: keep it from deletion at the restart\n",
                                  "if exist ",
                                  windows,
                                  "\\",
                                  kWininitFile,
                                  " find /v \"",
                                  kWininitDeletePrefix,
                                  shortPath,
                                  "\" < ",
                                  windows,
                                  "\\",
                                  kWininitFile,
                                  " > WININIT.NEW\n",
                                  "if exist WININIT.NEW copy /Y WININIT.NEW ",
                                  windows,
                                  "\\",
                                  kWininitFile,
                                  "\n",
                                  "if exist WININIT.NEW del WININIT.NEW\n"};
    for (const char* piece : pieces)
        WriteText(&w.bat, piece);
}

// One line of UNDODOS.BAT from `count` pieces. Real-mode COMMAND.COM takes at most 127
// characters: a longer line would be cut, so the folder is not written (0).
int WriteDosLine(UndoWriter& w, const char* const* pieces, int count) {
    char line[kDosLineLimit + 2] = "";
    size_t length = 0;
    for (int i = 0; i < count; ++i)
        length += TextLength(pieces[i]);
    if (length > kDosLineLimit) {
        w.failed = 1;
        return 0;
    }
    for (int i = 0; i < count; ++i)
        AppendText(line, sizeof line, pieces[i]);
    WriteText(&w.dos, line);
    WriteText(&w.dos, "\n");
    return 1;
}

// UNDODOS.BAT's copy back of `copy` to the file's 8.3 path. It always fits a line: the INF and
// system directories are under 80 characters, so the line is at most 120.
void SaveForDos(UndoWriter& w, const char* copy, const char* path) {
    char target[kCommitFilePathSize];
    const char* const line[] = {"COPY ", copy, " ", target};
    if (FilesGetShortPath(path, target, sizeof target) == 0)
        w.failed = 1;
    else
        WriteDosLine(w, line, 4);
}

// UNDO.BAT's copy back of one file, its target quoted only when it must be: DOS takes no quotes.
void SaveDeletedFile(UndoWriter& w, const char* path, int kind) {
    if (kind == kOkFileDeletedAtRestart)
        KeepFromRestartDeletion(w, path);
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
    int quote = FindCharacter(path, ' ') != nullptr;
    WriteText(&w.bat, "copy /Y ");
    WriteText(&w.bat, copy);
    WriteText(&w.bat, quote ? " \"" : " ");
    WriteText(&w.bat, path);
    WriteText(&w.bat, quote ? "\"\n" : "\n");
    if (kind == kOkFileDeletedAtRestart) {
        const char* const remark[] = {
            "REM In use: take its NUL= line out of WININIT.INI before Windows starts"};
        WriteDosLine(w, remark, 1);
    }
    SaveForDos(w, copy, path);
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

// Lines that make the 8.3 path `shortPath` the current drive and directory, in UNDODOS.BAT and,
// when `bat` is given, there too: the drive (where the path names one), then the directory.
void WriteChangeDirectory(UndoWriter& w, const char* shortPath, TextWriter* bat) {
    char drive[3] = {shortPath[0], shortPath[1], 0};
    const char* const lines[] = {drive, "\n", "CD ",
                                 shortPath[1] == ':' ? shortPath + 2 : shortPath};
    int first = shortPath[1] == ':' ? 0 : 2;
    if (first == 0)
        WriteDosLine(w, lines, 1);
    WriteDosLine(w, lines + 2, 2);
    for (int i = first; bat != nullptr && i < 4; ++i)
        WriteText(bat, lines[i]);
    if (bat != nullptr)
        WriteText(bat, "\n");
}

// UNDODOS.BAT's import of UNDO.REG into the registry files of this Windows directory with
// real-mode regedit: from this folder when the line fits, else from the Windows directory.
void WriteDosImport(UndoWriter& w) {
    char windows[kWindowsDirectorySize];
    if (FilesGetShortPath(w.windows, windows, sizeof windows) == 0) {
        w.failed = 1;
        return;
    }
    const char* const direct[] = {
        "REGEDIT /L:", windows, "\\SYSTEM.DAT /R:", windows, "\\USER.DAT ", kUndoRegistryFile};
    size_t length = 0;
    for (const char* piece : direct)
        length += TextLength(piece);
    if (length <= kDosLineLimit) {
        WriteDosLine(w, direct, 6);
        return;
    }
    const char* const fromWindows[] = {"REGEDIT /L:SYSTEM.DAT /R:USER.DAT ", kUndoParentFolder,
                                       FindLastCharacter(w.folder, '\\'), "\\", kUndoRegistryFile};
    WriteChangeDirectory(w, windows, nullptr);
    WriteDosLine(w, fromWindows, 5);
}

// Writes the folder once the plan says something will change. 1: written.
int WriteFolder(UndoWriter& w) {
    if (!MakeFolder(w, 1))
        return 0;
    if (!(OpenInFolder(w, kUndoRegistryFile, &w.reg) & OpenInFolder(w, kUndoBatchFile, &w.bat) &
          OpenInFolder(w, kUndoDosBatchFile, &w.dos)))
        Fail(w, nullptr, FilesLastError());
    WriteText(&w.reg, "REGEDIT4\n");
    WriteText(&w.bat, kBatchHeader);
    WriteText(&w.dos, kDosBatchHeader);
    // DOS cannot tell a batch file the folder it lies in: both go there by the path it has now,
    // so that they run from wherever they are started.
    char folder[kUndoFolderPathSize];
    if (FilesGetShortPath(w.folder, folder, sizeof folder) == 0)
        w.failed = 1;
    else
        WriteChangeDirectory(w, folder, &w.bat);
    if (!ExportDeletedKeys(w))
        w.failed = 1;
    for (int i = 0; !w.failed && i < w.plan->count; ++i) {
        const PlannedChange& change = w.plan->changes[i];
        if (change.kind == kOkValueWritten)
            SaveOldValue(w, change.path);
        else if (change.kind == kOkFileDeleted || change.kind == kOkFileDeletedAtRestart)
            SaveDeletedFile(w, change.path, change.kind);
    }
    WriteText(&w.reg, "\n");
    WriteText(&w.bat, "regedit /s ");
    WriteText(&w.bat, kUndoRegistryFile);
    WriteText(&w.bat, "\n");
    if (!w.failed)
        WriteDosImport(w);
    // On the disk and closed before anything changes: Windows 95 would otherwise keep them in
    // its write-behind cache for seconds after the close.
    if (!(CloseTextWriterOnDisk(&w.reg) & CloseTextWriterOnDisk(&w.bat) &
          CloseTextWriterOnDisk(&w.dos)))
        Fail(w, nullptr, FilesLastError());
    return !w.failed;
}

// The files a folder holds besides its copies.
const char* const kFolderFiles[] = {kUndoRegistryFile, kUndoBatchFile, kUndoDosBatchFile};

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
