// rename/rename_window.cpp: placeholder until renaming lands; Apply does nothing yet.
#include "rename/rename.h"

#include "app/dialog_state.h"
#include "app/resource.h"

int ApplyPortRename(HWND, PortRecord*) { return 0; }

void InstallPortNameEditProc(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_PORT_NAME);
    SendMessageA(edit, EM_LIMITTEXT, 20, 0);
    g_savedEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongA(edit, GWL_WNDPROC, reinterpret_cast<LONG>(PortNameEditProc)));
}

LRESULT CALLBACK PortNameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcA(g_savedEditProc, edit, message, wParam, lParam);
}
