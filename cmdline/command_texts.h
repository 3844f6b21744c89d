// cmdline/command_texts.h: what the command line writes to its log and shows in its message
// boxes. Each "%s" takes one piece of text (an option, a name, a file name).
#ifndef KORVALIN_CMDLINE_COMMAND_TEXTS_H
#define KORVALIN_CMDLINE_COMMAND_TEXTS_H

// A message box's font is proportional: no tab or blank makes a column, so each option has a
// line of its own with its meaning after it.
inline constexpr char kUsageText[] =
    "korvalin [/list FILE]\n"
    "korvalin /test NAME ...|ALL [/plug P] [/speed N,...] [/repeat N]\n"
    "korvalin [/rename NAME=NEW ... [/single]] [/remove ID|ALL ...]\n"
    "    [/preview FILE | /ok [/restart]]\n"
    "korvalin /save FILE\n"
    "korvalin /apply FILE [/partial] /preview FILE | /ok [/restart]\n"
    "Each takes /log FILE.\n"
    "\n"
    "/list FILE - writes every board and port.\n"
    "/rename NAME=NEW - renames port NAME; its board's next ports get the next free names.\n"
    "/single - with /rename: that port only.\n"
    "/remove ID - removes the board of that ID# or instance name; ALL: the maker's.\n"
    "/preview FILE - writes what OK would change.\n"
    "/ok - makes the changes as OK does, showing nothing.\n"
    "/restart - with /ok: restarts Windows if needed.\n"
    "/save FILE - writes the port names, for /apply on the next machine.\n"
    "/apply FILE - gives the ports the names FILE holds.\n"
    "/partial - with /apply: skips saved boards not here.\n"
    "/test NAME - tests the ports named, or ALL.\n"
    "/plug - the loopback plug: none, data, full (9/25-pin), rj45, rj45-rts, rj45-10.\n"
    "/speed N,... - up to 8 speeds, 50 to 115200.\n"
    "/repeat N - runs the checks N times, to 9999.\n"
    "/log FILE - where messages go instead of a box.\n"
    "@FILE - the words of FILE, for lines too long for DOS.\n"
    "FILE - is standard output. /rename or /remove alone opens the dialog.\n"
    "Exit codes: 0 done; 1 bad line; 2 refused; 3 not completed; 4 done, restart needed; "
    "5 a check failed; 6 a port busy; 7 a port not present; 8 not fully tested.";
// A bad line's box, when the line names no log.
inline constexpr char kBadLineBoxText[] = "%s\n\n(/log FILE takes this without a box)";

// The log's last line, one for each exit code: a Windows 95 batch file cannot see the exit code
// and looks for these with FIND. No one is the start of another.
inline constexpr char kResultDoneText[] = "Result: done";
inline constexpr char kResultRestartText[] = "Result: restart needed, changes done";
inline constexpr char kResultBadCommandText[] = "Result: bad command line";
inline constexpr char kResultRefusedText[] = "Result: refused";
inline constexpr char kResultNotCompletedText[] = "Result: not completed";
inline constexpr char kResultCheckFailedText[] = "Result: a check failed";
inline constexpr char kResultPortBusyText[] = "Result: a port is busy";
inline constexpr char kResultPortAbsentText[] = "Result: a port is not present";
inline constexpr char kResultNotFullyTestedText[] = "Result: not fully tested";
// Done, and /restart's request taken: exit 0, so it begins as a plain done does. Windows takes
// the request before it shuts down, and a program may still refuse it: say only what is known.
inline constexpr char kResultRestartingText[] = "Result: done, Windows was asked to restart";
inline constexpr char kRestartRefusedText[] =
    "Windows did not take the request to restart; restart it to finish";

inline constexpr char kUnknownOptionText[] = "Unknown option: %s";
inline constexpr char kUnexpectedArgumentText[] = "Unexpected argument: %s";
inline constexpr char kMissingValueText[] = "%s needs a value";
inline constexpr char kOptionTwiceText[] = "%s is given twice";
inline constexpr char kValueTooLongText[] = "Too long: %s";
inline constexpr char kArgumentFileText[] = "Cannot read @%s";
inline constexpr char kArgumentFileTooLongText[] = "@%s: over 4096 bytes of @FILE words";
// The line's number follows.
inline constexpr char kUnclosedQuoteText[] = "@%s: quote not closed on line ";
inline constexpr char kMayBeCutText[] =
    "The line may be cut at DOS's 127 characters: give the arguments as @FILE";
inline constexpr char kRenameFormText[] =
    "/rename needs NAME=NEW, a port name of 1 to 19 characters "
    "on each side and no blanks in NEW: %s";
// The character follows.
inline constexpr char kRenameCharacterText[] = "/rename %s: a port name cannot hold the character ";
inline constexpr char kPortNamedTwiceText[] = "Port %s is named twice";
inline constexpr char kBoardNamedTwiceText[] = "Board %s is named twice";
inline constexpr char kTooManyChangesText[] = "Too many /rename and /remove values: %s";
inline constexpr char kRestartWithoutOkText[] = "/restart needs /ok";
inline constexpr char kSingleWithoutRenameText[] = "/single needs /rename";
inline constexpr char kPreviewWithOkText[] = "/preview and /ok cannot be used together";
inline constexpr char kListWithChangesText[] =
    "/list cannot be used with /rename, /remove, /single, /preview, /ok or /restart";
inline constexpr char kTestWithOthersText[] =
    "/test goes with /plug, /speed, /repeat and /log only";
inline constexpr char kSaveWithOthersText[] = "/save goes with /log only";
inline constexpr char kApplyWithChangesText[] =
    "/apply cannot be used with /rename, /remove, /single or /list";
inline constexpr char kApplyNeedsPreviewOrOkText[] = "/apply needs /preview or /ok";
inline constexpr char kPartialWithoutApplyText[] = "/partial needs /apply";
inline constexpr char kNeedsTestText[] = "/%s needs /test";  // %s: plug, speed or repeat
inline constexpr char kPlugValueText[] =
    "/plug takes none, data, full, rj45, rj45-rts or rj45-10: %s";
// The usage gives what each takes.
inline constexpr char kNumbersValueText[] = "Not a /speed or /repeat value: %s";
inline constexpr char kTooManyTestPortsText[] = "Too many /test values: %s";
inline constexpr char kCannotWriteText[] = "Cannot write to %s";
inline constexpr char kLogNotWrittenText[] = "Cannot write to the log %s";
inline constexpr char kNoChangeWithoutLogText[] =
    "Nothing was changed: /ok makes no change without its log";

inline constexpr char kNoSuchPortText[] = "No port is named [%s]";
// The words of the result lines above, after "Result: " and "Result: a port is ".
enum { kResultWordAt = sizeof "Result: " - 1, kPortResultWordAt = sizeof "Result: a port is " - 1 };
// /test's box without a log: a line per port, "COM8: a check failed: data 115200", with its
// result's word by PortTestResult, the result lines' own where they have them (a stopped test
// cannot happen without a window; it would count as failed); then the result line and where
// every check's line is to be had.
inline constexpr const char* kPortResultWords[] = {"passed",
                                                   kResultNotFullyTestedText + kResultWordAt,
                                                   kResultCheckFailedText + kResultWordAt,
                                                   kResultPortBusyText + kPortResultWordAt,
                                                   kResultPortAbsentText + kPortResultWordAt,
                                                   kResultCheckFailedText + kResultWordAt};
inline constexpr char kMorePortsText[] = "and %s more port";  // "s" after more than one
inline constexpr char kTestBoxLogText[] = "/log FILE writes every check's line.";
inline constexpr char kPortAmbiguousText[] = "More than one port is named [%s]";
inline constexpr char kNoSuchBoardText[] = "No board has the ID# or instance name [%s]";
inline constexpr char kBoardAmbiguousText[] =
    "More than one board has the ID# or instance name [%s]";
inline constexpr char kWalksIncompleteText[] =
    "The registry could not be read completely; nothing was changed";
inline constexpr char kListedText[] = "Listed %s";
inline constexpr char kSavedText[] = "Saved %s";  // the file
// /apply's file: one that cannot be opened, or the file's name before the reader's "line N: why".
inline constexpr char kCannotReadText[] = "Cannot read %s";
inline constexpr char kSetupFaultText[] = "%s: ";
// After the matches: "Setup: 2 names changed", before the preview's or OK's own summary.
inline constexpr char kSetupAppliedText[] = "Setup: ";
inline constexpr char kNameNoun[] = " name";
// /list's last lines: the port names devices outside the list hold.
inline constexpr char kOtherDeviceText[] = "Other device: ";
inline constexpr char kMoreOtherDevicesText[] =
    "Other devices: more port names than korvalin can check\n";

// /preview and /ok: each change on a line of its own, then a summary in the log.
inline constexpr char kChangeValueWord[] = "write ";
inline constexpr char kChangeValueIn[] = " in HKEY_LOCAL_MACHINE\\";
inline constexpr char kChangeKeyWord[] = "delete key HKEY_LOCAL_MACHINE\\";
inline constexpr char kChangeFileWord[] = "delete file ";
inline constexpr char kChangeFileAtRestartWord[] = "delete file at restart (in use): ";
inline constexpr char kChangeArrow[] = " -> ";
inline constexpr char kOldValueNoneText[] = "(no value)";
inline constexpr char kOldValueNotTextText[] = "(not text)";
inline constexpr char kPreviewSummaryText[] = "Preview: %s";
inline constexpr char kDoneSummaryText[] = "Done: %s";
inline constexpr char kNothingToChangeText[] = "nothing to change";
inline constexpr char kUnchangedMark[] = " (unchanged)";
inline constexpr char kValueNoun[] = " value";
inline constexpr char kKeyNoun[] = " key";
inline constexpr char kFileNoun[] = " file";
inline constexpr char kChangedText[] = " changed";
inline constexpr char kRewrittenUnchangedText[] = " rewritten unchanged)";
inline constexpr char kDeletedText[] = " deleted";
inline constexpr char kAtRestartText[] = " deleted at restart";
inline constexpr char kRestartNeededText[] = "; restart needed";
inline constexpr char kUndoFolderText[] = "Undo folder: %s";
inline constexpr char kPlanFailedText[] =
    "OK's changes could not be worked out (a registry read failed); nothing was changed";
inline constexpr char kNoMemoryText[] =
    "Not enough memory to follow OK's changes; nothing was changed";
// %s: why the undo folder could not be written (DescribeUndoFailure).
inline constexpr char kUndoNotWrittenLogText[] = "%s; nothing was changed";
inline constexpr char kUnplannedChangeText[] =
    "OK made a change its undo folder does not hold (the registry changed meanwhile): %s";
inline constexpr char kNotAllMadeText[] =
    "Not all of OK's changes were made; the first not made: %s";

#endif
