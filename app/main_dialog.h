// app/main_dialog.h: the main dialog, its port-name field, what its OK does, the Port Test and
// the About box.
#ifndef KORVALIN_APP_MAIN_DIALOG_H
#define KORVALIN_APP_MAIN_DIALOG_H

#include <windows.h>

#include "cmdline/command_line.h"
#include "inventory/inventory.h"
#include "rename/port_changes.h"

// The command line's renames and removals, handed to IDD_MAIN as its creation parameter and
// made after the walks, before the list is filled. When they are refused the dialog says why
// here and ends before it is shown.
struct DialogStartChanges {
    const CommandLine* commandLine;
    int exitCode;  // kExitDone; otherwise `message` says why nothing was opened
    char message[kCommandMessageSize];
};

// --- main_dialog.cpp
// The procedure of IDD_MAIN: builds the inventory and the list on WM_INITDIALOG and turns the
// commands into calls on the list, renaming and the finish sequence. lParam of WM_INITDIALOG
// is a DialogStartChanges, or 0 for none.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Enables (non-zero) or disables the group box, name field, its label, Apply and the
// automatic-enumeration check box together.
void SetNamingControlsEnabled(HWND dialog, int enable);

// Apply on the selected port; a refusal is shown in a message box owned by `dialog`.
void ApplySelectedPortRename(HWND dialog);

// --- port_name_field.cpp
// Apply: renames `port` of `inventory` (and, with automatic enumeration, the following ports of
// its board) to the name typed in IDC_PORT_NAME, and repaints the list when it did. Returns a
// ChangeResult; the dialog shows the refusal, which goes to `refusal` (kChangeRefusalSize).
// With `dryRun` nothing is stored or repainted: the names Apply would give go there, and a
// field that still shows the port's own name is nothing to do (kChangeNothing). Apply and OK's
// pending rename both read the field here, and only here.
int ApplyPortRename(HWND dialog, PortInventory& inventory, PortRecord* port, char* refusal,
                    RenamePlan* dryRun = nullptr);
// Limits the port-name edit and puts PortNameEditProc in front of its own procedure.
void InstallPortNameEditProc(HWND dialog);
LRESULT CALLBACK PortNameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// --- finish_sequence.cpp
// The finish sequence, run by the main dialog on IDOK; ends the dialog and posts the quit message,
// unless the undo folder could not be written: nothing is changed then, a message says so and
// the dialog stays open.
void RunFinishSequence(HWND dialog);
// The procedure of IDD_RESTART: Yes restarts Windows, No only closes the utility.
INT_PTR CALLBACK RestartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- port_check_dialog.cpp
// The procedure of IDD_PORT_TEST: tests the port whose PortRecord is WM_INITDIALOG's lParam.
// Changes nothing in the registry or the inventory.
INT_PTR CALLBACK PortTestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// --- about_dialog.cpp
// The procedure of IDD_ABOUT: only OK closes it.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
