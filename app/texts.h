// app/texts.h: the texts the user reads in captions and message boxes, each written once.
//
// The resource script includes this file too: it can only take the main dialog's caption as a
// macro, and the resource compiler must not see the C++ declarations.
#ifndef KORVALIN_APP_TEXTS_H
#define KORVALIN_APP_TEXTS_H

// The caption of IDD_MAIN; the startup timer finds the dialog by it (tools/run-demo.sh spells it
// again, as a shell script cannot include this file).
#define KORVALIN_MAIN_DIALOG_CAPTION "Marrowlink M1/M2 & Varnak TessalineBoard Adapters"

#ifndef RC_INVOKED

static const char kMainDialogCaption[] = KORVALIN_MAIN_DIALOG_CAPTION;

// The caption of every message box the utility shows.
static const char kMessageCaption[] = "Varnak TessalineBoard Information";

// Remove on a Standard COM Port.
static const char kCannotRemoveStandardPortText[] =
    "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports";

// A refused rename; %s is the name the refusal is about, and the only conversion.
static const char kNameInUseText[] = "COM Port=[%s] is already being used!";
static const char kNameTooLongText[] = "COM Port name [%s] is too long!";
static const char kNumberTooLargeText[] = "COM Port number in [%s] is too large!";

// OK with a name typed but not applied: the port's name, then the typed one.
static const char kRenameQuestion[] =
    " Port named %s is renamed %s\t\n\n Do you wish to apply this change?\t";

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

#endif
