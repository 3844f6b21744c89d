// commit/finish.h: what OK does, from the pending rename to closing the utility.
#ifndef KORVALIN_COMMIT_FINISH_H
#define KORVALIN_COMMIT_FINISH_H

#include <windows.h>

// The finish sequence, run by the main dialog on IDOK; ends the dialog and posts the quit message.
void RunFinishSequence(HWND dialog);

// 1 when a board of the maker's (not removed, not a Standard COM Port) is left, else 0.
int AnyVendorBoardRemains();

INT_PTR CALLBACK RestartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
