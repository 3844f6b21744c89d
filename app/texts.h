// app/texts.h: the texts the user reads in message boxes, each written once.
#ifndef KORVALIN_APP_TEXTS_H
#define KORVALIN_APP_TEXTS_H

// The caption of every message box the utility shows.
static const char kMessageCaption[] = "Varnak TessalineBoard Information";

// OK could not write its undo folder, so it changed nothing; %s is the folder.
static const char kUndoNotWrittenMessage[] =
    "The undo folder %s could not be written (the disk may be full or read-only), so nothing "
    "has been changed.\n\nMake room on the disk and press OK again, or press Cancel.";

// The undo folder's own texts: UNDO.BAT's remarks and UNDO.REG's note on a value REGEDIT4
// cannot remove.
static const char kUndoBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back what korvalin changed on OK: the files, then the registry.\n"
    "REM Run it from this folder.\n";
// %s: the Windows directory (twice), then UNDO.REG.
static const char kUndoBatchDosRemark[] =
    "REM From DOS, when Windows does not start: regedit /L:%s\\SYSTEM.DAT /R:%s\\USER.DAT %s\n";
// %s: the key.
static const char kUndoAddedValueRemark[] =
    "; OK added PORTNAME to [HKEY_LOCAL_MACHINE\\%s]; REGEDIT4 cannot remove a value, so it "
    "stays.\n";

#endif
