// commit/undo_folder.cpp: the undo folder OK writes before it changes anything: UNDO.REG with
// every key it will delete (whole subtrees, as they are now) and every PORTNAME it will
// overwrite, a copy of every file it will delete, and UNDO.BAT, which puts the files back and
// imports UNDO.REG.
//
// What will change is asked of OK's own steps, run twice as a dry run: the first finds the
// deleted keys, whose subtrees go into UNDO.REG first, parents before children; the second
// hands over the values and files in order. Both see the machine as it is: nothing has changed
// yet. Everything is written, put on the disk and closed before the real run starts, so a
// crash or power loss during the commit still leaves a complete way back.
#include <string.h>

#include "app/texts.h"
#include "commit/commit_layer.h"
#include "platform/files.h"
#include "platform/regedit_lines.h"
#include "platform/streams.h"
#include "platform/text.h"

namespace {

enum { kWindowsDirectorySize = 80 };

struct UndoWriter {
    const DryRunLayer* plan;  // the first dry run: which keys go
    char windows[kWindowsDirectorySize];
    char folder[kUndoFolderPathSize];
    TextWriter reg;
    TextWriter bat;
    int copies;
    int failed;
};

// Writes `format` with each %s replaced by the next text. The C library's printf family would
// bring a whole formatting engine into the program for these few lines.
int PutText(TextWriter* file, const char* format, const char* a = "", const char* b = "",
            const char* c = "") {
    const char* texts[] = {a, b, c};
    int next = 0;
    const char* run = format;
    for (const char* p = format; *p != 0; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < 3) {
            WriteTextBytes(file, run, static_cast<size_t>(p - run));
            WriteText(file, texts[next++]);
            run = ++p + 1;
        }
    }
    WriteText(file, run);
    return !file->failed;
}

void CountChange(void* context, const OkChange&) {
    ++*static_cast<int*>(context);
}

// "UNDO0001" and the like, after `prefix`.
void AppendNumbered(char* text, const char* prefix, int number) {
    CopyText(text + TextLength(text), prefix);
    size_t length = TextLength(text);
    for (int divisor = 1000; divisor > 0; divisor /= 10)
        text[length++] = static_cast<char>('0' + number / divisor % 10);
    text[length] = 0;
}

// Names the next unused KORVALIN\UNDOnnnn and, when `make`, makes it. 1: named (and made);
// 0: not (w.folder names what failed, or is "" without a Windows directory).
int MakeFolder(UndoWriter& w, int make) {
    unsigned length = FilesGetWindowsDirectory(w.windows, sizeof w.windows);
    if (length == 0 || length >= sizeof w.windows)
        return 0;
    CopyText(w.folder, w.windows);
    AppendText(w.folder, sizeof w.folder, "\\");
    AppendText(w.folder, sizeof w.folder, kUndoParentFolder);
    if (make)
        FilesCreateDirectory(w.folder);  // there already from an earlier OK, or failing below
    size_t parent = TextLength(w.folder);
    for (int number = 1; number <= kUndoMaxNumber; ++number) {
        w.folder[parent] = 0;
        AppendText(w.folder, sizeof w.folder, "\\");
        AppendNumbered(w.folder, kUndoFolderPrefix, number);
        if (!FilesExists(w.folder))
            return make ? FilesCreateDirectory(w.folder) : 1;
    }
    w.folder[parent] = 0;  // no number left: the parent is what is full
    return 0;
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

// Each key the dry run deleted whose parent stays: its subtree holds the rest.
int ExportDeletedKeys(UndoWriter& w) {
    for (int i = 0; i < w.plan->deletedCount; ++i) {
        const char* path = DryRunDeletedKey(*w.plan, i);
        char parent[kCommitKeyPathSize];
        const char* last = FindLastCharacter(path, '\\');
        size_t parentLength = last ? static_cast<size_t>(last - path) : 0;
        memcpy(parent, path, parentLength);
        parent[parentLength] = 0;
        if (parentLength > 0 && DryRunDeletedKeyOrAbove(*w.plan, parent))
            continue;
        if (!ExportKeySubtree(path, WriteTextSink, &w.reg))
            return 0;
    }
    return 1;
}

// A target path for UNDO.BAT's copy, quoted only when it must be: DOS takes no quotes.
int PutBatchPath(TextWriter* bat, const char* path) {
    int quote = FindCharacter(path, ' ') != nullptr;
    return PutText(bat, quote ? "\"%s\"" : "%s", path);
}

void SaveDeletedFile(UndoWriter& w, const char* path) {
    if (w.copies == kUndoMaxNumber) {
        w.failed = 1;
        return;
    }
    char copy[16] = "";
    AppendNumbered(copy, kUndoCopyPrefix, ++w.copies);
    AppendText(copy, sizeof copy, kUndoCopyExtension);
    char copyPath[kUndoFolderPathSize + 16];
    PathInFolder(w, copy, copyPath, sizeof copyPath);
    if (!FilesCopy(path, copyPath) || !PutText(&w.bat, "copy /Y %s ", copy) ||
        !PutBatchPath(&w.bat, path) || !PutText(&w.bat, "\n"))
        w.failed = 1;
}

// The value as it was, unless its key goes anyway: the key's subtree then holds it, and a line
// of its own would only bring the key back in the commit's letter case.
void SaveOldValue(UndoWriter& w, const OkChange& change) {
    if (DryRunDeletedKeyOrAbove(*w.plan, change.path))
        return;
    int written;
    if (change.oldValue == kOldValueRead) {
        written = WriteRegeditKeyLine(change.path, WriteTextSink, &w.reg) &&
                  WriteRegeditValueLine(change.oldValueName, change.oldType, change.oldData,
                                        change.oldSize, WriteTextSink, &w.reg);
    } else {
        written = PutText(&w.reg, "\n") && PutText(&w.reg, kUndoAddedValueRemark, change.path);
    }
    if (!written)
        w.failed = 1;
}

void SaveChange(void* context, const OkChange& change) {
    UndoWriter& w = *static_cast<UndoWriter*>(context);
    if (w.failed)
        return;
    if (change.kind == kOkValueWritten)
        SaveOldValue(w, change);
    else if (change.kind == kOkFileDeleted)
        SaveDeletedFile(w, change.path);
}

// Writes the folder once the plan says something will change. 1: written.
int WriteFolder(UndoWriter& w, const PortInventory& inventory) {
    if (!MakeFolder(w, 1))
        return 0;
    int regOpen = OpenInFolder(w, kUndoRegistryFile, &w.reg);
    int batOpen = OpenInFolder(w, kUndoBatchFile, &w.bat);
    if (!regOpen || !batOpen || !PutText(&w.reg, "REGEDIT4\n") ||
        !PutText(&w.bat, kUndoBatchHeader) ||
        !PutText(&w.bat, kUndoBatchDosRemark, w.windows, w.windows, kUndoRegistryFile) ||
        !ExportDeletedKeys(w))
        w.failed = 1;
    if (!w.failed) {
        DryRunLayer values;
        InitDryRunLayer(&values, SaveChange, &w);
        RunOkSteps(inventory, &values.base);
        if (values.base.lostTrack)
            w.failed = 1;
    }
    if (!w.failed &&
        (!PutText(&w.reg, "\n") || !PutText(&w.bat, "regedit /s %s\n", kUndoRegistryFile)))
        w.failed = 1;
    // On the disk and closed before anything changes: Windows 95 would otherwise keep them in
    // its write-behind cache for seconds after the close.
    int closed = CloseTextWriterOnDisk(&w.reg) & CloseTextWriterOnDisk(&w.bat);
    return closed && !w.failed;
}

}  // namespace

int WriteUndoFolder(const PortInventory& inventory, char* folder, unsigned size) {
    DryRunLayer plan;
    int changes = 0;
    InitDryRunLayer(&plan, CountChange, &changes);
    RunOkSteps(inventory, &plan.base);
    folder[0] = 0;
    if (!plan.base.lostTrack && changes == 0)
        return 1;  // nothing to put back: no folder

    UndoWriter w;
    w.plan = &plan;
    w.folder[0] = 0;
    OpenTextWriterOn(&w.reg, nullptr);
    OpenTextWriterOn(&w.bat, nullptr);
    w.copies = 0;
    w.failed = plan.base.lostTrack;  // a plan that is not whole makes no way back
    int written = 0;
    if (w.failed)
        MakeFolder(w, 0);  // only to name it: nothing is made for a plan that is not whole
    else
        written = WriteFolder(w, inventory);
    if (TextLength(w.folder) < size)
        CopyText(folder, w.folder);
    return written;
}
