// commit/undo_batch.h: the lines of the undo folder's two batch files, UNDO.BAT (from Windows)
// and UNDODOS.BAT (from real-mode DOS), each one COMMAND.COM takes whole and reads as meant.
#ifndef KORVALIN_COMMIT_UNDO_BATCH_H
#define KORVALIN_COMMIT_UNDO_BATCH_H

#include "commit/ok_changes.h"
#include "platform/limits.h"
#include "platform/streams.h"

struct UndoBatches {
    TextWriter bat;  // UNDO.BAT: long names, quoted where COPY would split them
    TextWriter dos;  // UNDODOS.BAT: 8.3 names only, no quotes
    char windows[kWindowsDirectorySize];  // the Windows directory's 8.3 path
    char folder[kUndoFolderPathSize];     // the undo folder's 8.3 path
    // A line would not fit, or a path has no 8.3 form: the folder is no way back.
    int failed;
};

// The opening lines of both: each goes to the undo folder (`folder`, below `windows`; both as
// Windows gives them).
void StartUndoBatches(UndoBatches* b, const char* windows, const char* folder);

// The lines that put the file `path` back from the folder's copy `copy`. `atRestart`: OK leaves
// the file for WININIT.EXE to delete at the restart, so UNDO.BAT first takes that line out of
// WININIT.INI again and names it.
void WriteCopyBack(UndoBatches* b, const char* copy, const char* path, int atRestart);

// The closing lines of both: the import of UNDO.REG.
void EndUndoBatches(UndoBatches* b);

#endif
