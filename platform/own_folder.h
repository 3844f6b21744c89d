// platform/own_folder.h: the utility's own folder in the Windows directory, <Windows>\KORVALIN,
// and the numbered names it keeps there (UNDO0001, TEST0001.TXT), each after the highest there.
#ifndef KORVALIN_PLATFORM_OWN_FOLDER_H
#define KORVALIN_PLATFORM_OWN_FOLDER_H

#include <stddef.h>

inline constexpr char kOwnFolderName[] = "KORVALIN";
enum { kOwnFolderMaxNumber = 9999 };

// The Windows directory into `windows` (kWindowsDirectorySize) and "<it>\KORVALIN" into
// `folder`. 1: both; 0: the Windows directory is not known or does not fit, and `folder` is "".
int OwnFolderPath(char* windows, char* folder, size_t size);

// `prefix` and `number` in four digits, appended to `text`: "UNDO0001".
void AppendNumbered(char* text, size_t size, const char* prefix, int number);

// Appends "\", `prefix`, nnnn and `suffix` to the folder in `path`, nnnn the number after the
// highest such name there (0001 when there is none), never one in a gap: the newest is always the
// highest, which DOS's DIR lets a technician find. Returns that number; 0 when 9999 is taken, and
// then `path` is as it was given.
int AppendNextNumbered(char* path, size_t size, const char* prefix, const char* suffix);

#endif
