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

inline constexpr char kMainDialogCaption[] = KORVALIN_MAIN_DIALOG_CAPTION;

// The caption of every message box the utility shows.
inline constexpr char kMessageCaption[] = "Varnak TessalineBoard Information";

// Remove on a Standard COM Port.
inline constexpr char kCannotRemoveStandardPortText[] =
    "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports";

// A refused rename; %s is the name the refusal is about, and the only conversion.
inline constexpr char kNameInUseText[] = "COM Port=[%s] is already being used!";
inline constexpr char kNameTooLongText[] = "COM Port name [%s] is too long!";
inline constexpr char kNumberTooLargeText[] = "COM Port number in [%s] is too large!";

// OK with a name typed but not applied: the port's name, then the typed one.
inline constexpr char kRenameQuestion[] =
    " Port named %s is renamed %s\t\n\n Do you wish to apply this change?\t";

// OK could not write its undo folder, so it changed nothing; %s is the folder.
inline constexpr char kUndoNotWrittenMessage[] =
    "The undo folder %s could not be written (the disk may be full or read-only), so nothing "
    "has been changed.\n\nMake room on the disk and press OK again, or press Cancel.";

// The undo folder's own texts: UNDO.BAT's remarks and UNDO.REG's note on a value REGEDIT4
// cannot remove.
inline constexpr char kUndoBatchHeader[] =
    "@ECHO OFF\n"
    "REM Puts back what korvalin changed on OK: the files, then the registry.\n"
    "REM Run it from this folder.\n";
// %s: the Windows directory (twice), then UNDO.REG.
inline constexpr char kUndoBatchDosRemark[] =
    "REM From DOS, when Windows does not start: regedit /L:%s\\SYSTEM.DAT /R:%s\\USER.DAT %s\n";
// %s: the key.
inline constexpr char kUndoAddedValueRemark[] =
    "; OK added PORTNAME to [HKEY_LOCAL_MACHINE\\%s]; REGEDIT4 cannot remove a value, so it "
    "stays.\n";

// The command line. Each "%s" takes one piece of text (an option, a name, a file name).
inline constexpr char kUsageText[] =
    "korvalin [/list FILE]\n"
    "korvalin [/rename NAME=NEW ...] [/single] [/remove ID|ALL ...]\n"
    "         [/preview FILE | /ok [/restart]] [/log FILE]\n"
    "\n"
    "/list FILE\tWrites every board and port, and ends.\n"
    "/rename NAME=NEW\tRenames the port named NAME to NEW; the following ports of its board\n"
    "\tget the next free names, unless /single is given.\n"
    "/remove ID\tRemoves a board by its ID# or its registry instance name; ALL removes every\n"
    "\tone of the maker's boards.\n"
    "/preview FILE\tWrites every change OK would make, changes nothing, and ends.\n"
    "/ok\tMakes the changes as OK does, without showing anything, and ends.\n"
    "/restart\tWith /ok: restarts Windows when the changes need it.\n"
    "/log FILE\tWhere messages go when no dialog is shown.\n"
    "\n"
    "FILE - is standard output. With /rename or /remove alone the dialog opens with the\n"
    "changes made, for OK or Cancel.\n"
    "Exit codes: 0 done; 3010 done, restart needed; 1 bad command line; 2 refused;\n"
    "3 not completed.";

inline constexpr char kUnknownOptionText[] = "Unknown option: %s";
inline constexpr char kUnexpectedArgumentText[] = "Unexpected argument: %s";
inline constexpr char kMissingValueText[] = "%s needs a value";
inline constexpr char kOptionTwiceText[] = "%s is given twice";
inline constexpr char kValueTooLongText[] = "Too long: %s";
inline constexpr char kRenameFormText[] =
    "/rename needs NAME=NEW, a port name of 1 to 19 characters "
    "on each side and no blanks in NEW: %s";
inline constexpr char kPortNamedTwiceText[] = "Port %s is named twice";
inline constexpr char kBoardNamedTwiceText[] = "Board %s is named twice";
inline constexpr char kTooManyChangesText[] = "Too many /rename and /remove values: %s";
inline constexpr char kRestartWithoutOkText[] = "/restart needs /ok";
inline constexpr char kSingleWithoutRenameText[] = "/single needs /rename";
inline constexpr char kPreviewWithOkText[] = "/preview and /ok cannot be used together";
inline constexpr char kListWithChangesText[] =
    "/list cannot be used with /rename, /remove, /single, /preview, /ok or /restart";
inline constexpr char kCannotWriteText[] = "Cannot write to %s";

inline constexpr char kNoSuchPortText[] = "No port is named [%s]";
inline constexpr char kPortAmbiguousText[] = "More than one port is named [%s]";
inline constexpr char kNoSuchBoardText[] = "No board has the ID# or instance name [%s]";
inline constexpr char kBoardAmbiguousText[] =
    "More than one board has the ID# or instance name [%s]";
inline constexpr char kRegistryIncompleteText[] =
    "The registry could not be read completely; nothing was changed";
inline constexpr char kListedText[] = "Listed %s";

// /preview and /ok: each change on a line of its own, then a summary in the log.
inline constexpr char kChangeValueWord[] = "write ";
inline constexpr char kChangeValueIn[] = " in HKEY_LOCAL_MACHINE\\";
inline constexpr char kChangeKeyWord[] = "delete key HKEY_LOCAL_MACHINE\\";
inline constexpr char kChangeFileWord[] = "delete file ";
inline constexpr char kChangeArrow[] = " -> ";
inline constexpr char kOldValueNoneText[] = "(no value)";
inline constexpr char kOldValueNotTextText[] = "(not text)";
inline constexpr char kPreviewSummaryText[] = "Preview: %s";
inline constexpr char kDoneSummaryText[] = "Done: %s";
inline constexpr char kNothingToChangeText[] = "nothing to change";
inline constexpr char kValuesWrittenText[] = " values written, ";
inline constexpr char kKeysDeletedText[] = " keys deleted, ";
inline constexpr char kFilesDeletedText[] = " files deleted";
inline constexpr char kRestartNeededText[] = "; restart needed";
inline constexpr char kUndoFolderText[] = "Undo folder: %s";
inline constexpr char kPlanFailedText[] =
    "What OK would change could not be worked out completely (a registry read failed); "
    "nothing was changed";
inline constexpr char kNoMemoryText[] =
    "Not enough memory to follow OK's changes; nothing was changed";
inline constexpr char kUndoNotWrittenLogText[] =
    "The undo folder %s could not be written (the disk may be full or read-only); nothing was "
    "changed";
inline constexpr char kUnplannedChangeText[] =
    "OK made a change its undo folder does not hold (the registry changed meanwhile): %s";
inline constexpr char kNotAllMadeText[] =
    "Not all of OK's changes were made; the first not made: %s";

#endif

#endif
