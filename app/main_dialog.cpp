// app/main_dialog.cpp: the main dialog: initialisation, selection, Remove and the commands.
#include "app/main_dialog.h"

#include "app/dialog_state.h"
#include "app/resource.h"
#include "app/texts.h"
#include "inventory/inventory.h"
#include "portlist/portlist.h"

namespace {

// When the last Remove came (GetTickCount). After a Remove the next board is selected and Remove
// keeps the focus, so the second click of a double-click would take that board too.
DWORD g_lastRemoveTime;

// The item data of row `index`, LB_ERR when there is no such row.
LRESULT RowItemData(HWND list, LRESULT index) {
    return SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

void EnableRemove(HWND dialog, int enable) {
    EnableWindow(GetDlgItem(dialog, IDC_REMOVE), enable != 0);
}

// What selecting a row shows: a board offers Remove (unless it is a Standard COM Port), a
// port offers its name for editing and Test.
void ShowSelectedRecord(HWND dialog, LRESULT itemData) {
    int isPort = IsPortRow(reinterpret_cast<const void*>(itemData));
    EnableWindow(GetDlgItem(dialog, IDC_TEST), isPort);
    if (!isPort) {
        BoardRecord* board = reinterpret_cast<BoardRecord*>(itemData);
        selectedPort = nullptr;
        SetNamingControlsEnabled(dialog, 0);
        EnableRemove(dialog, BoardTypeOf(board->boardType).removable);
        SetDlgItemTextA(dialog, IDC_PORT_NAME, "");
    } else {
        PortRecord* port = reinterpret_cast<PortRecord*>(itemData);
        selectedPort = port;
        SetNamingControlsEnabled(dialog, 1);
        EnableRemove(dialog, 0);
        SetDlgItemTextA(dialog, IDC_PORT_NAME, port->portName);
    }
}

// The command line's changes, made as Apply and Remove make them. 1: go on; 0: refused, and
// the dialog has ended without being shown.
int MakeStartChanges(HWND dialog, DialogStartChanges* start, int walksDone) {
    if (start == nullptr || start->commandLine->changeCount == 0)
        return 1;
    // Changes over an inventory the walks could not finish would be made to the wrong ports.
    if (!walksDone) {
        start->exitCode = kExitNotCompleted;
        FormatText(start->message, sizeof start->message, kWalksIncompleteText, "");
    } else {
        start->exitCode = ApplyCommandChanges(*start->commandLine, g_inventory, start->message,
                                              sizeof start->message);
    }
    if (start->exitCode == kExitDone)
        return 1;
    EndDialog(dialog, 0);
    return 0;
}

// The walks, the command line's changes, the list fill and the control set-up, in this order.
// When a walk stops early the dialog opens with an empty list and the controls as the template
// left them.
void InitialiseMainDialog(HWND dialog, DialogStartChanges* start) {
    g_lastRemoveTime = 0;  // a dialog opened anew has had no Remove yet
    int walksDone = BuildPortInventory(g_inventory);
    if (!MakeStartChanges(dialog, start, walksDone) || !walksDone)
        return;
    HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
    PopulatePortList(list, g_inventory);
    // Row 0 is the first board that was not removed on the command line.
    LRESULT first = RowItemData(list, 0);
    if (first != LB_ERR && first != 0) {
        BoardRecord* board = reinterpret_cast<BoardRecord*>(first);
        selectedPort = nullptr;
        SendMessageA(list, LB_SETCURSEL, 0, 0);
        EnableRemove(dialog, BoardTypeOf(board->boardType).removable);
    }
    SendDlgItemMessageA(dialog, IDC_AUTO_ENUMERATE, BM_SETCHECK, BST_CHECKED, 0);
    SetNamingControlsEnabled(dialog, 0);
    InstallPortNameEditProc(dialog);
}

// Remove takes the selected board's row and its shown port rows out of the list and marks the
// board removed; the registry is only touched on OK.
void RemoveSelectedBoard(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    LRESULT itemData = RowItemData(list, index);
    // The button is only enabled on a board row, but a command can still arrive without one;
    // treating a port record as a board would write past it.
    if (itemData == LB_ERR || itemData == 0 || IsPortRow(reinterpret_cast<const void*>(itemData)))
        return;
    BoardRecord* board = reinterpret_cast<BoardRecord*>(itemData);
    char refusal[kChangeRefusalSize];
    if (RemoveBoard(g_inventory, board, refusal) == kChangeRefused) {
        MessageBoxA(list, refusal, kMessageCaption, MB_OK);
        return;
    }

    HWND removeButton = GetDlgItem(dialog, IDC_REMOVE);
    bool removeHadFocus = GetFocus() == removeButton;

    RemoveBoardRows(list, static_cast<int32_t>(index), 0);

    // Land on the row that took the board's place, or the one above when it was the last.
    LRESULT landing = index;
    while (landing >= 0 && RowItemData(list, landing) == LB_ERR)
        --landing;
    if (landing >= 0) {
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(landing), 0);
        ShowSelectedRecord(dialog, RowItemData(list, landing));
    } else {
        EnableRemove(dialog, 0);
    }
    // A disabled button drops the focus, which would leave the keyboard with nowhere to go;
    // the list, where the selection now is, takes it instead.
    if (removeHadFocus && !IsWindowEnabled(removeButton))
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}

void OnPortListCommand(HWND dialog, HWND list, UINT notification) {
    LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    LRESULT itemData = RowItemData(list, index);
    if (itemData == LB_ERR || itemData == 0)
        return;
    switch (notification) {
        case LBN_DBLCLK:
            ToggleBoardRow(list, reinterpret_cast<void*>(itemData), static_cast<int32_t>(index));
            break;
        case LBN_SELCHANGE:
            ShowSelectedRecord(dialog, itemData);
            break;
    }
}

void OnCommand(HWND dialog, UINT id, UINT notification) {
    switch (id) {
        case IDOK:
            RunFinishSequence(dialog);
            break;
        case IDCANCEL:
            // Nothing has reached the registry yet, so leaving writes nothing.
            EndDialog(dialog, 0);
            PostQuitMessage(0);
            break;
        case IDC_ABOUT:
            DialogBoxParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_ABOUT), dialog, AboutDialogProc,
                            0);
            break;
        case IDC_APPLY:
            ApplySelectedPortRename(dialog);
            break;
        case IDC_REMOVE: {
            // One Remove per click: one within the double-click time of the last is ignored.
            DWORD now = GetTickCount();
            DWORD since = now - g_lastRemoveTime;
            g_lastRemoveTime = now;
            if (since >= GetDoubleClickTime())
                RemoveSelectedBoard(dialog);
            break;
        }
        case IDC_TEST:
            // The button is only enabled on a port row, but the command can come without one.
            if (selectedPort)
                DialogBoxParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_PORT_TEST), dialog,
                                PortTestDialogProc, reinterpret_cast<LPARAM>(selectedPort));
            break;
        case IDC_PORT_LIST:
            OnPortListCommand(dialog, GetDlgItem(dialog, IDC_PORT_LIST), notification);
            break;
    }
}

}  // namespace

void ApplySelectedPortRename(HWND dialog) {
    char refusal[kChangeRefusalSize];
    if (ApplyPortRename(dialog, g_inventory, selectedPort, refusal) == kChangeRefused)
        MessageBoxA(dialog, refusal, kMessageCaption, MB_OK);
}

void SetNamingControlsEnabled(HWND dialog, int enable) {
    BOOL state = enable != 0;
    EnableWindow(GetDlgItem(dialog, IDC_NAMING_GROUP), state);
    EnableWindow(GetDlgItem(dialog, IDC_PORT_NAME), state);
    EnableWindow(GetDlgItem(dialog, IDC_PORT_NAME_LABEL), state);
    EnableWindow(GetDlgItem(dialog, IDC_APPLY), state);
    EnableWindow(GetDlgItem(dialog, IDC_AUTO_ENUMERATE), state);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitialiseMainDialog(dialog, reinterpret_cast<DialogStartChanges*>(lParam));
            return TRUE;
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DRAWITEM:
            DrawPortListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_MEASUREITEM:
            MeasurePortListItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), &g_portListState);
            return TRUE;
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
            // Returned as it is: -1 lets the list do its own default action for the key too.
            return HandlePortListKey(message, wParam, lParam);
        case WM_SETFONT:
            // Arrives before the controls exist too; the list is then null.
            UpdateFontMetrics(GetDlgItem(dialog, IDC_PORT_LIST), reinterpret_cast<HFONT>(wParam),
                              &g_portListState);
            return FALSE;
    }
    return FALSE;
}
