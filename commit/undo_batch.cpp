// commit/undo_batch.cpp: the lines of UNDO.BAT and UNDODOS.BAT.
//
// Both run under COMMAND.COM, Windows 95's or real-mode DOS's, which cuts a line at 127
// characters (Knowledge Base Q121059), expands % even inside quotes, and splits an unquoted
// argument at a blank, comma, semicolon or equals sign. So every line is measured with each %
// doubled before it is written, and one that would be cut fails the folder. UNDO.BAT quotes a
// long path that holds a separator; where a full path would not fit, it goes to the file's
// folder by the 8.3 path and names the long name alone, or at last the 8.3 name.
#include "commit/undo_batch.h"

#include "commit/restart_deletions.h"
#include "commit/undo_folder.h"
#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/text.h"

namespace {

const char kBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back korvalin's OK: the files, then the registry. From DOS: UNDODOS.BAT\n";
const char kDosBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back korvalin's OK from DOS: the files (8.3 names), then the registry\n";
const char kKeptWininit[] = "REM WININIT.OLD: WININIT.INI as it was before OK\n";
const char kShortNameRemark[] = " comes back by its 8.3 name: a DOS line cannot hold its long name";

// Taking OK's NUL= line out of WININIT.INI, from the Windows directory. WININIT.INI holds other
// programs' pending renames too, so it is replaced only by the output of a FIND that is known to
// have worked. COMMAND.COM's internal commands set no ERRORLEVEL, so a FIND that is missing
// leaves an older one standing, and its redirection still makes an empty file: no errorlevel
// test can tell. FIND is run only by the full path Windows 95 installs it at, COMMAND\FIND.EXE
// (its /V, "lines not containing the string", is MS-DOS's since 2.0), and only if it is there;
// the same FIND then filters a small batch file whose first line holds the string: only a FIND
// that really left out that line, and kept the others, makes the batch that copies
// WININIT.NEW over WININIT.INI and deletes the sign that it has not. Another FIND (Wine's
// rejects /V, writing its complaint to standard output) writes nothing that runs.
const char kFindLine[] = "IF EXIST COMMAND\\FIND.EXE COMMAND\\FIND /V \"";
const char kKeepProbe[] =
    "ECHO IF EXIST WININIT.INI COPY /Y WININIT.NEW WININIT.INI>> KORVALIN.TXT\n"
    "ECHO DEL KORVALIN.TXT>> KORVALIN.TXT\n";
const char kKeepRun[] = "IF EXIST KORVALIN.BAT CALL KORVALIN.BAT\n";
const char kKeepCleanUp[] =
    "IF EXIST KORVALIN.TXT DEL KORVALIN.TXT\n"
    "IF EXIST KORVALIN.BAT DEL KORVALIN.BAT\n"
    "IF EXIST WININIT.NEW DEL WININIT.NEW\n";

// The pieces as one line in `line` (kDosLineLimit + 1 characters), each % doubled: the length it
// takes, which is more than kDosLineLimit when it would be cut (and `line` holds only a part).
size_t MakeLine(char* line, const char* const* pieces, int count) {
    size_t length = 0;
    for (int i = 0; i < count; ++i)
        for (const char* c = pieces[i]; *c != 0; ++c)
            for (int n = *c == '%' ? 2 : 1; n > 0; --n, ++length)
                if (length < kDosLineLimit)
                    line[length] = *c;
    line[length < kDosLineLimit ? length : kDosLineLimit] = 0;
    return length;
}

// Writes a line MakeLine made.
void WriteMadeLine(TextWriter* file, const char* line) {
    WriteText(file, line);
    WriteText(file, "\n");
}

// Writes the line made of the pieces; one that would be cut is not written, and fails the
// folder. 1: written.
int PutLine(UndoBatches* b, TextWriter* file, const char* p0, const char* p1 = "",
            const char* p2 = "", const char* p3 = "", const char* p4 = "", const char* p5 = "") {
    const char* const pieces[] = {p0, p1, p2, p3, p4, p5};
    char line[kDosLineLimit + 1];
    if (MakeLine(line, pieces, 6) > kDosLineLimit) {
        b->failed = 1;
        return 0;
    }
    WriteMadeLine(file, line);
    return 1;
}

// The quote a path takes in UNDO.BAT: "\"" when COPY would take it for more than one argument.
const char* QuoteFor(const char* path) {
    for (; *path != 0; ++path)
        if (FindCharacter(" ,;=", *path) != nullptr)
            return "\"";
    return "";
}

// The lines that make the 8.3 path `shortPath` the current drive and directory.
void ChangeDirectory(UndoBatches* b, TextWriter* file, const char* shortPath) {
    char drive[3] = {shortPath[0], shortPath[1], 0};
    int hasDrive = shortPath[1] == ':';
    if (hasDrive)
        PutLine(b, file, drive);
    PutLine(b, file, "CD ", shortPath + (hasDrive ? 2 : 0));
}

// The part of `shortPath` below the Windows directory, from its backslash; null when it lies
// elsewhere.
const char* BelowWindows(const UndoBatches* b, const char* shortPath) {
    size_t length = TextLength(b->windows);
    return StartsWithIgnoringCase(shortPath, b->windows) && shortPath[length] == '\\'
               ? shortPath + length
               : nullptr;
}

// UNDO.BAT's lines for a file OK leaves for the restart to delete: put back before that restart,
// it would still be deleted, so its line leaves WININIT.INI first (after the restart
// WININIT.INI is WININIT.BAK, and the copy back is all). The line is matched by the part of its
// path below the Windows directory, run from there: the lines' length does not depend on where
// Windows lives.
void KeepFromRestartDeletion(UndoBatches* b, const char* shortPath) {
    TextWriter* bat = &b->bat;
    const char* below = BelowWindows(b, shortPath);
    if (below == nullptr)  // matched by all but the drive, which a line can spare
        below = shortPath + (shortPath[1] == ':' ? 2 : 0);
    PutLine(b, bat, "REM In use: OK added this line to WININIT.INI's [rename] section:");
    PutLine(b, bat, "REM ", kWininitDeletePrefix, shortPath);
    ChangeDirectory(b, bat, b->windows);
    PutLine(b, bat, "ECHO REM ", below, "> KORVALIN.TXT");
    WriteText(bat, kKeepProbe);
    PutLine(b, bat, kFindLine, below, "\" <WININIT.INI >WININIT.NEW");
    PutLine(b, bat, kFindLine, below, "\" <KORVALIN.TXT >KORVALIN.BAT");
    WriteText(bat, kKeepRun);
    PutLine(b, bat, "IF EXIST KORVALIN.TXT ECHO Take out of WININIT.INI its NUL= line ending ",
            below);
    WriteText(bat, kKeepCleanUp);
    ChangeDirectory(b, bat, b->folder);
}

}  // namespace

void StartUndoBatches(UndoBatches* b, const char* windows, const char* folder, int keptWininit) {
    WriteText(&b->bat, kBatchHeader);
    WriteText(&b->dos, kDosBatchHeader);
    // DOS cannot tell a batch file the folder it lies in: both go there by the path it has now,
    // so that they run from wherever they are started.
    if (FilesGetShortPath(windows, b->windows, sizeof b->windows) == 0 ||
        FilesGetShortPath(folder, b->folder, sizeof b->folder) == 0) {
        b->failed = 1;
        return;
    }
    ChangeDirectory(b, &b->bat, b->folder);
    ChangeDirectory(b, &b->dos, b->folder);
    if (keptWininit)
        WriteText(&b->bat, kKeptWininit);
}

void WriteCopyBack(UndoBatches* b, const char* copy, const char* path, int atRestart) {
    char shortPath[kPathSize];
    if (FilesGetShortPath(path, shortPath, sizeof shortPath) == 0) {
        b->failed = 1;  // the real run could not name it in WININIT.INI either
        return;
    }
    if (atRestart)
        KeepFromRestartDeletion(b, shortPath);
    TextWriter* bat = &b->bat;
    char* name = const_cast<char*>(FindLastCharacter(shortPath, '\\'));
    if (name == nullptr) {
        b->failed = 1;
        return;
    }
    const char* longName = FindLastCharacter(path, '\\');
    longName = longName ? longName + 1 : path;
    const char* quote = QuoteFor(path);
    char line[kDosLineLimit + 1];
    const char* const whole[] = {"copy /Y ", copy, " ", quote, path, quote};
    if (MakeLine(line, whole, 6) <= kDosLineLimit) {
        WriteMadeLine(bat, line);
    } else {
        // From the file's folder, the copy is reached up from it when the folder lies below the
        // Windows directory (as the undo folder does), else by its own 8.3 path.
        *name = 0;
        char source[kUndoFolderPathSize + 32] = "";
        if (const char* below = BelowWindows(b, shortPath)) {
            for (const char* c = below; (c = FindCharacter(c, '\\')) != nullptr; ++c)
                AppendText(source, sizeof source, "..\\");
            AppendText(source, sizeof source, b->folder + TextLength(b->windows) + 1);
        } else {
            AppendText(source, sizeof source, b->folder);
        }
        AppendText(source, sizeof source, "\\");
        AppendText(source, sizeof source, copy);
        ChangeDirectory(b, bat, shortPath);
        *name = '\\';
        quote = QuoteFor(longName);
        const char* const alone[] = {"copy /Y ", source, " ", quote, longName, quote};
        if (MakeLine(line, alone, 6) <= kDosLineLimit) {
            WriteMadeLine(bat, line);
        } else {
            PutLine(b, bat, "REM ", name + 1, kShortNameRemark);
            PutLine(b, bat, "copy /Y ", source, " ", name + 1);
        }
        ChangeDirectory(b, bat, b->folder);
    }
    if (atRestart)
        PutLine(b, &b->dos,
                "REM In use: take its NUL= line out of WININIT.INI before Windows starts");
    if (*QuoteFor(shortPath)) {  // no 8.3 form: a DOS line cannot name it
        PutLine(b, &b->dos, "REM Put back by hand: DOS cannot name where ", copy, " goes");
        return;
    }
    if (*QuoteFor(longName))
        PutLine(b, &b->dos, "REM ", name + 1, kShortNameRemark);
    PutLine(b, &b->dos, "COPY ", copy, " ", shortPath);
}

void EndUndoBatches(UndoBatches* b) {
    PutLine(b, &b->bat, "regedit /s ", kUndoRegistryFile);
    if (b->failed)
        return;
    // Real-mode regedit imports into this Windows directory's registry files: from this folder
    // when the line fits, else from the Windows directory.
    const char* windows = b->windows;
    const char* const direct[] = {
        "REGEDIT /L:", windows, "\\SYSTEM.DAT /R:", windows, "\\USER.DAT ", kUndoRegistryFile};
    char line[kDosLineLimit + 1];
    if (MakeLine(line, direct, 6) <= kDosLineLimit) {
        WriteMadeLine(&b->dos, line);
        return;
    }
    ChangeDirectory(b, &b->dos, windows);
    PutLine(b, &b->dos, "REGEDIT /L:SYSTEM.DAT /R:USER.DAT ", b->folder + TextLength(windows) + 1,
            "\\", kUndoRegistryFile);
}
