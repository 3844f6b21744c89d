// app/texts.h: the texts the dialog shows in its own captions and message boxes, each written
// once, and the caption of every message box. Texts decided lower down live with the code that
// decides them: the refusals in rename/, the command line's in cmdline/; this file brings them
// in for the dialog.
//
// The resource script includes this file too: it can only take the main dialog's caption as a
// macro, and the resource compiler must not see the C++ declarations.
#ifndef KORVALIN_APP_TEXTS_H
#define KORVALIN_APP_TEXTS_H

// The caption of IDD_MAIN (tools/run-demo.sh spells it again, as a shell script cannot include
// this file).
#define KORVALIN_MAIN_DIALOG_CAPTION "Marrowlink M1/M2 & Varnak TessalineBoard Adapters"

#ifndef RC_INVOKED

#include "cmdline/command_texts.h"
#include "rename/rename_texts.h"

inline constexpr char kMainDialogCaption[] = KORVALIN_MAIN_DIALOG_CAPTION;

// The caption of every message box the utility shows.
inline constexpr char kMessageCaption[] = "Varnak TessalineBoard Information";

// OK with a name typed but not applied: the port's name, the name Apply would give it, then
// an empty line or one of the two below, naming the ports that Apply renumbers after it.
inline constexpr char kRenameQuestion[] =
    " Port named %s is renamed %s\t\n%s\n Do you wish to apply this change?\t";
// The first and last following port's numbers as the list shows them, and the first one's name.
inline constexpr char kFollowingPortsLine[] = " Ports %u to %u follow from %s.\t\n";
// The one following port's number and name.
inline constexpr char kFollowingPortLine[] = " Port %u follows as %s.\t\n";

// OK could not write its undo folder, so it changed nothing: why (DescribeUndoFailure), then the
// way on, which kUndoAdvice gives by UndoFailureKind.
inline constexpr char kUndoNotWrittenMessage[] =
    "%s, so nothing has been changed.\n\n%s OK again, or press Cancel.";
inline constexpr const char* kUndoAdvice[] = {"Press", "Close it and press",
                                              "Make room on the disk and press"};

// The Port Test's port line: the name Windows uses now, and the one a rename has made pending
// until OK.
inline constexpr char kPortTestNameFormat[] = "Port: %s";
inline constexpr char kPortTestRenamedFormat[] = "Port: %s (%s after OK and a restart)";
// Under the plug list. Set by the dialog rather than in the template, where each character
// would take two bytes.
inline constexpr char kDtrWarningText[] =
    "Identify and the signal checks drop and raise DTR: a modem on this port hangs up.";
// A result row: the port's name, then the test's line.
inline constexpr char kPortTestRowFormat[] = "%s %s";

// What the button of the running test, Identify or watch reads until the run ends; then its
// own text is put back.
inline constexpr char kStopText[] = "&Stop";

// The Port Test's first speed choice; the others are each one speed.
inline constexpr char kDefaultSpeedsText[] = "9600 and fastest";
// Save: the report's path; or the path that could not be written, and the Windows error.
inline constexpr char kTestSavedFormat[] = "The test is saved in %s.";
inline constexpr char kTestNotSavedFormat[] = "The test could not be saved as %s (error %lu).";

// The Port Test's last row, by PortTestResult.
inline constexpr const char* kPortTestResultTexts[] = {
    "Passed", "Not fully tested", "A check failed", "Busy", "Not present", "Stopped"};

#endif

#endif
