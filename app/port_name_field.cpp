// app/port_name_field.cpp: the port-name field and Apply, the window side of renaming.
#include "app/main_dialog.h"

#include "app/resource.h"
#include "platform/text.h"

namespace {

// Room for more than the field's 20 characters: a 20-character entry must reach the rule
// whole, to be refused as too long instead of being renamed to its first 19 characters.
enum { kTypedTextSize = 40 };

// One more than a port name holds, so that an over-long entry can be seen and refused.
enum { kPortNameFieldLimit = 20 };

// The port-name field's own procedure, once PortNameEditProc stands in front of it.
WNDPROC g_savedEditProc;

}  // namespace

int ApplyPortRename(HWND dialog, PortInventory& inventory, PortRecord* port, char* refusal,
                    RenamePlan* dryRun) {
    char text[kTypedTextSize] = "";
    int autoEnumerate = SendDlgItemMessageA(dialog, IDC_AUTO_ENUMERATE, BM_GETCHECK, 0, 0) != 0;
    if (port != nullptr) {
        SendDlgItemMessageA(dialog, IDC_PORT_NAME, WM_GETTEXT, sizeof text,
                            reinterpret_cast<LPARAM>(text));
        // A field that still shows the port's own name holds nothing pending.
        if (dryRun != nullptr && TextEqual(text, port->portName))
            text[0] = 0;
    }
    int result = RenamePort(inventory, port, text, autoEnumerate, refusal, dryRun);
    // The rows hold no text of their own; repainting them shows the new names.
    if (result == kChangeDone && dryRun == nullptr)
        InvalidateRect(GetDlgItem(dialog, IDC_PORT_LIST), nullptr, TRUE);
    return result;
}

void InstallPortNameEditProc(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_PORT_NAME);
    SendMessageA(edit, EM_LIMITTEXT, kPortNameFieldLimit, 0);
    g_savedEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PortNameEditProc)));
}

// The field takes all keys (so the dialog does not act on Tab, Enter or Esc while it has the
// focus) and gives Tab, Shift+Tab and Enter their meaning itself; spaces are not typed.
LRESULT CALLBACK PortNameEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    WORD code = LOWORD(wParam);
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_CHAR:
            if (code == '\t' || code == '\r' || code == ' ')
                return 0;
            break;
        case WM_KEYDOWN:
            if (code == VK_TAB) {
                int previous = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
                HWND dialog = GetParent(edit);
                SetFocus(GetNextDlgTabItem(dialog, edit, previous));
                return 0;
            }
            if (code == VK_RETURN) {
                SendMessageA(GetParent(edit), WM_COMMAND, MAKEWPARAM(IDC_APPLY, 0), 0);
                return 0;
            }
            if (code == VK_SPACE)
                return 0;
            break;
    }
    return CallWindowProcA(g_savedEditProc, edit, message, wParam, lParam);
}
