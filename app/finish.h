// app/finish.h: what OK does, from the pending rename to closing the utility.
#ifndef KORVALIN_APP_FINISH_H
#define KORVALIN_APP_FINISH_H

#include <windows.h>

// The finish sequence, run by the main dialog on IDOK; ends the dialog and posts the quit message,
// unless the undo folder could not be written: nothing is changed then, a message says so and
// the dialog stays open.
void RunFinishSequence(HWND dialog);

INT_PTR CALLBACK RestartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
