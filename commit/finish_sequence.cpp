// commit/finish_sequence.cpp: placeholder until the commit lands; OK closes like Cancel.
#include "commit/finish.h"

void RunFinishSequence(HWND dialog) {
    EndDialog(dialog, 1);
    PostQuitMessage(0);
}

int AnyVendorBoardRemains() { return 1; }

INT_PTR CALLBACK RestartDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
