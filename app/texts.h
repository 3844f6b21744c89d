// app/texts.h: the texts the user reads, in message boxes or in the command line's log, each
// written once.
//
// No window calls here: the portable renaming rule and command line use these texts too.
#ifndef KORVALIN_APP_TEXTS_H
#define KORVALIN_APP_TEXTS_H

// The caption of every message box the utility shows.
inline constexpr char kMessageCaption[] = "Varnak TessalineBoard Information";

// Remove on a Standard COM Port.
inline constexpr char kCannotRemoveStandardComText[] =
    "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports";

// Renaming refusals: the text before and after the refused name.
inline constexpr char kNameInUseBefore[] = "COM Port=[";
inline constexpr char kNameInUseAfter[] = "] is already being used!";
inline constexpr char kNameTooLongBefore[] = "COM Port name [";
inline constexpr char kNameTooLongAfter[] = "] is too long!";
inline constexpr char kNumberTooLargeBefore[] = "COM Port number in [";
inline constexpr char kNumberTooLargeAfter[] = "] is too large!";

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
inline constexpr char kNotAvailableText[] =
    "%s is not available in this build; nothing was changed";

#endif
