// cmdline/command_line.h: the command line for unattended use: what it says, and running it.
//
// No window calls here: parsing, the changes to the inventory, the listing and the unattended
// run build and are tested natively; the Windows entry only hands over its command line and
// shows what needs a window.
#ifndef KORVALIN_CMDLINE_COMMAND_LINE_H
#define KORVALIN_CMDLINE_COMMAND_LINE_H

#include <stddef.h>

#include "inventory/inventory.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/streams.h"
#include "platform/text.h"
#include "portcheck/port_check.h"
#include "setup/saved_setup.h"

// What the process ends with, for batch files and login scripts.
enum CommandExitCode {
    kExitDone = 0,
    kExitBadCommandLine = 1,
    kExitRefused = 2,
    kExitNotCompleted = 3,
    kExitRestartNeeded = 4,  // done, restart needed and not made
    // /test: the worst any port tested gave.
    kExitCheckFailed = 5,     // a check failed
    kExitPortBusy = 6,        // another program holds a port
    kExitPortAbsent = 7,      // a port is not present, or could not be opened
    kExitNotFullyTested = 8,  // nothing failed, but a check the plug asks for could not be made
    kExitCodeLimit,
};
// A DOS errorlevel is one byte: COMMAND.COM would see 3010 as 194.
static_assert(kExitCodeLimit <= 256, "every exit code must fit a DOS errorlevel");

enum {
    kMaxCommandChanges = 32,       // /rename and /remove values together
    kMaxTestPorts = 32,            // /test values
    kCommandPathSize = kPathSize,  // a file name
    kCommandMessageSize = 160,     // a message line, or a message box's text
    // A log line that names a file or a registry change: a change of two 255-character paths,
    // and the words around it.
    kLogMessageSize = 512 + kCommandMessageSize,
    kArgumentFileSize = 4096,      // the words of every @FILE together
    // What an unattended run shows when no log takes its messages: the usage fits, and so
    // does /test's box of a line per port.
    kUnattendedMessageSize = 2048,
    kTestBoxPorts = 24,  // port lines in /test's box: with its last lines, it fits 640x480
    // The arguments a cut line may have left: the limit less "start /w korvalin ".
    kDosCutArguments = kDosLineLimit - (sizeof "start /w korvalin " - 1),
};

enum CommandChangeKind {
    kChangeRename = 0,     // the port named `name` gets `newName`
    kChangeRemove = 1,     // the board whose ID# or instance name is `name`
    kChangeRemoveAll = 2,  // every one of the maker's boards
};

struct CommandChange {
    int kind;                           // a CommandChangeKind
    char name[kBoardInstanceNameSize];  // a port name, an ID# or an instance name
    char newName[kPortNameSize];        // renames only
};

// The parsed command line: plain data, no heap.
struct CommandLine {
    int hasArguments;  // 0: no argument at all; the utility runs exactly as it always has
    int showUsage;     // /?
    int single;        // /single
    int commit;        // /ok
    int restart;       // /restart
    int list;          // /list, to listPath
    int preview;       // /preview, to previewPath
    int log;           // /log, to logPath; also a line that may have been cut, which may name one
    int save;          // /save, to savePath
    int apply;         // /apply, of applyPath
    int partial;       // /partial: /apply skips saved boards this machine lacks
    int test;          // /test, of testNames (ALL: every port)
    int plug;          // /plug, a PlugKind; kPlugNone without it
    // /speed's speeds in the order given (speedCount 0 without it) and /repeat's runs (0 without
    // it: one run); its plug is unused, `plug` says it.
    PortTestOptions testOptions;
    unsigned long optionsGiven;  // bit n: option n of the parser's list was on the line
    char listPath[kCommandPathSize];
    char previewPath[kCommandPathSize];
    char logPath[kCommandPathSize];
    char savePath[kCommandPathSize];
    char applyPath[kCommandPathSize];
    CommandChange changes[kMaxCommandChanges];  // in the order given
    int changeCount;
    char testNames[kMaxTestPorts][kPortNameSize];
    int testCount;
    int bad;  // 1: a bad command line; errorText says why (the first fault found)
    char errorText[kCommandMessageSize];
};

// What the entry does with a parsed command line.
enum CommandRun {
    kRunPlainDialog = 0,    // no arguments
    kRunUsageBox,           // /? without /log: the usage in a message box
    kRunBadCommandBox,      // a bad command line that names no log
    kRunDialogWithChanges,  // /rename or /remove alone: the dialog, with the changes made
    kRunUnattended,         // everything else: no window; RunUnattended
};

// Where unattended output goes. `result` takes the listing or the preview; both may be the
// same writer, and either may write to standard output.
struct CommandOutputs {
    TextWriter* log;     // null without /log, or when it could not be opened
    TextWriter* result;  // null unless /list or /preview
    PlatformFile* standardOutput;
    // Without a log, its lines gather here (as many as fit), for a message box.
    char* unlogged;
    size_t unloggedSize;
};

// What the entry hands the unattended run, and what it gets back.
struct UnattendedRun {
    PlatformFile* standardOutput;  // null where the process has none; never closed
    // Asks Windows to restart, for /restart when the changes need it; 1 when Windows took the
    // request. Null: no restart is made.
    int (*restartWindows)();
    // Out: what a message box must tell the user, or "": the messages of a run that did not
    // get done when no log took them, or why the log could not be written.
    char message[kUnattendedMessageSize];
};

// --- parse_command_line.cpp
// Parses the text after the program's name. Options start with / or -, any letter case; a
// value with blanks is quoted; "-" as a file is standard output. Never fails to fill `parsed`:
// a bad command line sets `bad` and keeps the options read before and after the fault, so the
// caller still knows where its message goes.
//
// An unquoted word @FILE stands for the words of that text file (blanks and line ends between
// them, quotes as here, each closed on its own line), for change lists longer than a DOS line
// holds; a file that cannot be read, leaves a quote open, or takes the words of all files over
// kArgumentFileSize makes the line bad and gives no word. A word @FILE inside the file is not
// read again.
// `dosLimited`: the program runs on Windows 95, 98 or ME, where COMMAND.COM cuts a line at 127
// characters and the cut tail may still parse as a different command; a line that may have been
// cut (MayHaveBeenCut) is bad, whatever it says, and nothing else on it is read.
void ParseCommandLine(const char* text, CommandLine* parsed, int dosLimited = 0);
// 1 when `text`, the arguments as the program got them, is long enough to be what is left of a
// line COMMAND.COM cut at 127 characters: kDosCutArguments characters or more, which is what
// "start /w korvalin " leaves for them. 0 on Windows NT (`dosLimited` 0), whose lines are longer.
int MayHaveBeenCut(const char* text, int dosLimited);
CommandRun CommandRunOf(const CommandLine& parsed);

// --- command_changes.cpp
// Makes the /rename and /remove changes in the inventory, in the order given, as Apply and
// Remove make them. Returns kExitDone, or kExitRefused with the reason in `message` (the
// dialog's own text where it has one). The inventory comes straight from the walks, and a
// refusal leaves it as they did.
int ApplyCommandChanges(const CommandLine& parsed, PortInventory& inventory, char* message,
                        size_t size);
// The one present port, on a board not removed, named `name` byte for byte, as the dialog
// compares names. Sets *count to how many there are.
PortRecord* FindNamedPort(PortInventory& inventory, const char* name, int* count);

// --- command_port_check.cpp
// /test: runs the port test on each port named (every present port for ALL), in the order
// given, with /plug, /speed and /repeat. With a log, one log line per check with the port's
// name before it; without one, one line per port for the box (as many as kTestBoxPorts, then
// how many more). Every name is looked up before any port is opened: an unknown one is refused
// (kExitRefused) and nothing is tested. Returns the exit code of the worst result any port
// gave, in PortTestResult's order (kExitDone when every port passed).
int RunCommandPortTests(const CommandLine& parsed, PortInventory& inventory,
                        const CommandOutputs& outputs);
// The box's rule for naming a check: a line names one that did not pass when it says "fail" or
// "not fully tested", or when it is a data line that says neither "pass", "skipped" nor "not
// tested" (a data check that lost bytes says how many). The name is what comes before its ": ",
// after a repeated run's "run N: ", cut to `size`. 1: `name` holds it; 0: the line passed.
int CheckNotPassed(const char* line, char* name, size_t size);

// --- inventory_listing.cpp
// One line per board not removed and per present port, in the list's order with every board
// expanded, with the list's row texts; a port line ends with a tab and its key path. Then a line
// for each port name another device holds (inventory.foreign, read beforehand). Returns
// 1, or 0 when a write failed. *boards and *ports count what was written.
int WriteInventoryListing(const PortInventory& inventory, TextWriter* out, int* boards, int* ports);

// --- command_setup.cpp
// /apply's file, read before the walks into `setup`. 1: it is a setup; 0: it could not be
// read or is not one, and the log says why with its line number.
int ReadCommandSetup(const CommandLine& parsed, SavedSetup* setup, const CommandOutputs& outputs);
// Gives the walks' `inventory` the names of `setup` (ApplySavedSetup), every match, skip and
// refusal on a log line of its own, then how many names change. Returns kExitDone, or
// kExitRefused with the inventory as the walks left it.
int ApplyCommandSetup(const CommandLine& parsed, const SavedSetup& setup,
                      PortInventory& inventory, const CommandOutputs& outputs);

// --- unattended_commit.cpp
// /preview: writes every change OK would make to outputs.result and changes nothing.
// /ok: runs OK's whole sequence without showing anything. Both run over `inventory` with the
// command line's changes already made, write their messages and summary to outputs.log, and
// return the exit code (/ok: kExitRestartNeeded when the commit changed the registry; the
// entry makes the restart for /restart).
// "Setup: 2 names changed" (or "1 name") to the log.
void WriteNamesChanged(const CommandOutputs& outputs, int count);
int RunUnattendedPreview(const CommandLine& parsed, const PortInventory& inventory,
                         const CommandOutputs& outputs);
int RunUnattendedCommit(const CommandLine& parsed, const PortInventory& inventory,
                        const CommandOutputs& outputs);

// --- run_command_line.cpp
// Empties the log the line names (not standard output), so that an old one never passes for
// this run's, even when the dialog opens and writes none.
void EmptyLog(const CommandLine& parsed);
// Writes `text` and a line end to the log; without one, keeps it in outputs.unlogged.
void WriteLogLine(const CommandOutputs& outputs, const char* text);
// FormatText's line of `format` and `piece` (cut to kLogMessageSize), as WriteLogLine writes it.
void WriteLogMessage(const CommandOutputs& outputs, const char* format, const char* piece);
// The run without a window: opens the files, runs the walks into the command line's own
// inventory, makes the changes, then lists, previews or commits, and for
// /restart asks for the restart. Returns the exit code.
//
// A log that cannot be opened stops /ok before anything changes (a change is never made
// without its record), while /list and /preview, which change nothing, still write their file;
// the exit code is then kExitBadCommandLine and run->message names the log.
int RunUnattended(const CommandLine& parsed, UnattendedRun* run);

#endif
