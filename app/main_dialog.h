// app/main_dialog.h: the main dialog and the About box.
#ifndef KORVALIN_APP_MAIN_DIALOG_H
#define KORVALIN_APP_MAIN_DIALOG_H

#include <windows.h>

// --- main_dialog.cpp
// The procedure of IDD_MAIN: builds the inventory and the list on WM_INITDIALOG and turns the
// commands into calls on the list, renaming and the finish sequence.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Enables (non-zero) or disables the group box, name field, its label, Apply and the
// automatic-enumeration check box together.
void SetNamingControlsEnabled(HWND dialog, int enable);

// --- about_dialog.cpp
// The procedure of IDD_ABOUT: only OK closes it.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
