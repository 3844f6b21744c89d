// commit/restart_deletions.h: files deleted at the next restart, as Windows 95 does it: a
// "NUL=<short path>" line in the [rename] section of WININIT.INI in the Windows directory, which
// WININIT.EXE carries out before long names exist and before anything loads the file.
// MoveFileExA's MOVEFILE_DELAY_UNTIL_REBOOT does not work on Windows 95.
#ifndef KORVALIN_COMMIT_RESTART_DELETIONS_H
#define KORVALIN_COMMIT_RESTART_DELETIONS_H

#include <stddef.h>

static const char kWininitFile[] = "WININIT.INI";
static const char kWininitSection[] = "[rename]";
static const char kWininitDeletePrefix[] = "NUL=";

// Adds "NUL=`shortPath`" as the first entry of WININIT.INI's [rename] section (the section is
// added at the end when there is none), keeping every other byte of the file, and puts the file
// on the disk. 1: done; 0: the Windows directory is not known or the file not written.
int AddRestartDeletion(const char* shortPath);

// Where in WININIT.INI's `text` (`length` bytes, NUL after them) the new entry goes: right after
// the first line that starts with "[rename]" (any letter case, blanks before it), with
// *sectionFound 1; else at the end of the text (before a Ctrl+Z), with *sectionFound 0, and the
// section line goes in before the entry.
size_t FindRenameEntryPlace(const char* text, size_t length, int* sectionFound);

#endif
