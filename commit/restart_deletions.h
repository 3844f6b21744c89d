// commit/restart_deletions.h: files deleted at the next restart, as Windows 95 does it: a
// "NUL=<short path>" line in the [rename] section of WININIT.INI in the Windows directory, which
// WININIT.EXE carries out before long names exist and before anything loads the file.
// MoveFileExA's MOVEFILE_DELAY_UNTIL_REBOOT does not work on Windows 95.
#ifndef KORVALIN_COMMIT_RESTART_DELETIONS_H
#define KORVALIN_COMMIT_RESTART_DELETIONS_H

#include <stddef.h>

#include "platform/limits.h"

static const char kWininitFile[] = "WININIT.INI";
static const char kWininitSection[] = "[rename]";
static const char kWininitDeletePrefix[] = "NUL=";

enum { kWininitPathSize = kWindowsDirectorySize + sizeof kWininitFile };

// WININIT.INI's full path in `path` (kWininitPathSize), with Windows' cache of the file flushed
// first, so that what is read next is what another program wrote through the profile calls.
// Whoever reads the file (the undo folder keeps its bytes) asks here. 0: the Windows directory
// is not known.
int GetWininitPath(char* path);

enum RestartDeletionResult {
    kRestartDeletionNotAdded = 0,  // WININIT.INI not read or not written, and left as it was
    kRestartDeletionAdded = 1,
    // A write failed and the file could not be put back as it was either: it may be cut.
    kRestartDeletionNotPutBack = 2,
};

// Adds "NUL=`shortPath`" to WININIT.INI's [rename] section, keeping every other byte of the
// file, and puts the file on the disk. A RestartDeletionResult.
int AddRestartDeletion(const char* shortPath);

// Where and what AddRestartDeletion writes into WININIT.INI's text: the pieces, in order, at
// `place`. Appended (`rewrite` 0), they take the place of what followed it: nothing, or a final
// Ctrl+Z, where WININIT.EXE stops reading. Rewritten (1), every byte from `place` on follows them.
enum { kWininitEditPieces = 6 };
struct WininitEdit {
    size_t place;
    int rewrite;
    // A line end when the line before `place` has not ended; "[rename]" and a line end when the
    // file has no such section yet; the entry and its line end. "" for a piece not needed.
    const char* pieces[kWininitEditPieces];
};

// Plans the edit of `text` (`length` bytes, NUL after them; lines end at '\n'). The section is
// the first line that starts with "[rename]" (any letter case, blanks before it) before any
// Ctrl+Z. The entry is appended when that section is the last one or there is none; it goes
// first into the section when another one follows, and before a Ctrl+Z that is not the last
// byte, where the rest of the file must follow it.
void PlanRestartDeletion(const char* text, size_t length, const char* shortPath, WininitEdit* edit);

#endif
