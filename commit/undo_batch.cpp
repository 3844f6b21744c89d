// commit/undo_batch.cpp: the lines of UNDO.BAT and UNDODOS.BAT.
//
// Both run under COMMAND.COM, Windows 95's or real-mode DOS's, which cuts a line at 127
// characters (Knowledge Base Q121059), expands % even inside quotes, and splits an unquoted
// argument at a blank, comma, semicolon or equals sign. So every line is measured with each %
// doubled before it is written, and one that would be cut fails the folder. UNDO.BAT quotes a
// long path that holds a separator; where a full path would not fit, it reaches the file's folder
// from its own by the 8.3 path and names the long name alone, or at last the 8.3 name.
#include "commit/undo_batch.h"

#include "commit/undo_folder.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

// Lines written from a form: \1 and \2 stand for the two texts given with it.
const char kBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back korvalin's OK: the files, then the registry. From DOS: UNDODOS.BAT";
const char kDosBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back korvalin's OK from DOS: the files (8.3 names), then the registry";
const char kChangeDirectory[] = "\1\nCD \2";  // the drive (none: no line), the directory
const char kCopyBack[] = "copy /Y \1 \2";
const char kShortNameRemark[] = "REM \1: its 8.3 name, the long one too long for DOS";

// Taking OK's NUL= line out of WININIT.INI again, from the Windows directory, the line matched by
// the part of its path below it (\2; \1 is the whole). WININIT.INI holds other programs'
// pending renames too, so it is replaced only by the output of a FIND known to work. No
// errorlevel can tell: COMMAND.COM's internal commands set none, so a FIND that is missing
// leaves an older one standing, and its redirection still makes an empty file. FIND runs only
// from where Windows 95 installs it, COMMAND\FIND.EXE, whose /V copies the lines not holding
// the string (as MS-DOS's has since 2.0), and only if it is there. The same FIND then filters a
// small batch file whose first line holds the string: only a FIND that left that line out and
// kept the others makes the batch that copies the new file over WININIT.INI and deletes the
// sign that it has not. Another FIND's output (Wine's rejects /V, saying so on standard output)
// runs nothing.
const char kKeepFromRestart[] =
    "REM OK added to WININIT.INI:\n"
    "REM NUL=\1\n"
    "ECHO REM \2>KVUNDO.TXT\n"
    "ECHO COPY KVUNDO.NEW WININIT.INI>>KVUNDO.TXT\n"
    "ECHO DEL KVUNDO.TXT>>KVUNDO.TXT\n"
    "IF EXIST COMMAND\\FIND.EXE COMMAND\\FIND /V \"\2\" <WININIT.INI >KVUNDO.NEW\n"
    "IF EXIST COMMAND\\FIND.EXE COMMAND\\FIND /V \"\2\" <KVUNDO.TXT >KVUNDO.BAT\n"
    "IF EXIST KVUNDO.BAT CALL KVUNDO.BAT\n"
    "IF EXIST KVUNDO.TXT ECHO Take NUL=...\2 out of WININIT.INI\n"
    "IF EXIST KVUNDO.* DEL KVUNDO.*";

// Writes `form`'s lines, each \1 and \2 replaced, each % doubled; a line left empty is not
// written. 1: every line fits. A line that does not is not written, and when `write` it fails
// the folder; with `write` 0 nothing is written, only measured.
int PutLines(UndoBatches* b, TextWriter* file, const char* form, const char* one = "",
             const char* two = "", int write = 1) {
    char line[kDosLineLimit + 1];
    size_t length = 0;
    int fits = 1;
    for (;; ++form) {
        if (*form == 0 || *form == '\n') {
            fits &= length <= kDosLineLimit;
            if (length > 0 && length <= kDosLineLimit && write) {
                line[length] = 0;
                WriteText(file, line);
                WriteText(file, "\n");
            }
            length = 0;
            if (*form == 0)
                break;
            continue;
        }
        const char single[2] = {*form, 0};
        for (const char* c = *form == '\1' ? one : *form == '\2' ? two : single; *c != 0; ++c)
            for (int n = *c == '%' ? 2 : 1; n > 0; --n, ++length)
                if (length < kDosLineLimit)
                    line[length] = *c;
    }
    b->failed |= write & !fits;
    return fits;
}

// The lines that make the 8.3 path `shortPath` the current drive and directory.
void ChangeDirectory(UndoBatches* b, TextWriter* file, const char* shortPath) {
    char drive[3] = {shortPath[0], shortPath[1], 0};
    int hasDrive = shortPath[1] == ':';
    PutLines(b, file, kChangeDirectory, hasDrive ? drive : "", shortPath + 2 * hasDrive);
}

// `path`, quoted when COPY would take it for more than one argument, into `quoted`.
void Quote(const char* path, char* quoted, size_t size) {
    const char* c = path;
    while (*c != 0 && FindCharacter(" ,;=", *c) == nullptr)
        ++c;
    FormatText(quoted, size, *c ? "\"%s\"" : "%s", path);
}

// The part of `shortPath` below the Windows directory, from its backslash; null when it lies
// elsewhere.
const char* BelowWindows(const UndoBatches* b, const char* shortPath) {
    size_t length = TextLength(b->windows);
    return StartsWithIgnoringCase(shortPath, b->windows) && shortPath[length] == '\\'
               ? shortPath + length
               : nullptr;
}

}  // namespace

void StartUndoBatches(UndoBatches* b, const char* windows, const char* folder) {
    PutLines(b, &b->bat, kBatchHeader);
    PutLines(b, &b->dos, kDosBatchHeader);
    // DOS cannot tell a batch file the folder it lies in: both go there by the path it has now,
    // so that they run from wherever they are started.
    if (FilesGetShortPath(windows, b->windows, sizeof b->windows) == 0 ||
        FilesGetShortPath(folder, b->folder, sizeof b->folder) == 0) {
        b->failed = 1;
        return;
    }
    ChangeDirectory(b, &b->bat, b->folder);
    ChangeDirectory(b, &b->dos, b->folder);
}

void WriteCopyBack(UndoBatches* b, const char* copy, const char* path, int atRestart) {
    char shortPath[kPathSize], target[kPathSize + 16];
    if (FilesGetShortPath(path, shortPath, sizeof shortPath) == 0) {
        b->failed = 1;  // the real run could not name it in WININIT.INI either
        return;
    }
    TextWriter* bat = &b->bat;
    const char* below = BelowWindows(b, shortPath);
    // A full path, as OK's steps name each file: a backslash stands before its name.
    const char* shortName = FindLastCharacter(shortPath, '\\') + 1;
    if (atRestart) {  // put back before that restart, it would still be deleted
        ChangeDirectory(b, bat, b->windows);
        // Matched by all but the drive where it lies elsewhere, which a line can spare.
        PutLines(b, bat, kKeepFromRestart, shortPath,
                 below ? below : shortPath + 2 * (shortPath[1] == ':'));
        ChangeDirectory(b, bat, b->folder);
    }
    Quote(path, target, sizeof target);
    int quoted = target[0] == '"';
    if (below != nullptr && !PutLines(b, bat, kCopyBack, copy, target, 0)) {
        // This folder lies two levels below the Windows directory: the file's folder is reached
        // up from it by its 8.3 path, the long name taken alone; one too long even so keeps its
        // 8.3 name.
        char relative[kPathSize + 8];
        FormatText(relative, sizeof relative, "..\\..%s", below);
        CopyText(const_cast<char*>(FindLastCharacter(relative, '\\')) + 1,
                 FindLastCharacter(path, '\\') + 1);
        Quote(relative, target, sizeof target);
        if (!PutLines(b, bat, kCopyBack, copy, target, 0)) {
            PutLines(b, bat, kShortNameRemark, shortName);
            FormatText(target, sizeof target, "..\\..%s", below);
        }
    }
    PutLines(b, bat, kCopyBack, copy, target);
    if (atRestart)
        PutLines(b, &b->dos,
                 "REM In use: take its NUL= line out of WININIT.INI before Windows starts");
    if (quoted)  // its long name: DOS could not take it anyway, but here not even quoted
        PutLines(b, &b->dos, kShortNameRemark, shortName);
    PutLines(b, &b->dos, "COPY \1 \2", copy, shortPath);
}

void EndUndoBatches(UndoBatches* b) {
    PutLines(b, &b->bat, "regedit /s \1", kUndoRegistryFile);
    if (b->failed)
        return;
    // Real-mode regedit imports into this Windows directory's registry files: from this folder
    // when the line fits, else from the Windows directory.
    const char* const direct = "REGEDIT /L:\1\\SYSTEM.DAT /R:\1\\USER.DAT \2";
    if (PutLines(b, &b->dos, direct, b->windows, kUndoRegistryFile, 0)) {
        PutLines(b, &b->dos, direct, b->windows, kUndoRegistryFile);
        return;
    }
    ChangeDirectory(b, &b->dos, b->windows);
    PutLines(b, &b->dos, "REGEDIT /L:SYSTEM.DAT /R:USER.DAT \1\\\2",
             b->folder + TextLength(b->windows) + 1, kUndoRegistryFile);
}
