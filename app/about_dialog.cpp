// app/about_dialog.cpp: the About box.
#include "app/main_dialog.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            // Esc and the close box arrive as IDCANCEL; only the OK button closes the box.
            if (LOWORD(wParam) == IDOK)
                EndDialog(dialog, 1);
            return TRUE;
    }
    return FALSE;
}
