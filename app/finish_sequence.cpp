// app/finish_sequence.cpp: what OK does, from the pending rename to closing the utility,
// and the restart prompt.
#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "app/texts.h"
#include "commit/ok_changes.h"
#include "inventory/inventory.h"
#include "platform/text.h"
#include "rename/rename.h"

namespace {

// The rename question with two 19-character names; wsprintfA cannot be told the buffer's size.
enum { kQuestionSize = sizeof kRenameQuestion - 4 + 2 * (kPortNameSize - 1) };

// A name typed but not applied is offered before anything is written.
void OfferPendingRename(HWND dialog) {
    if (selectedPort == nullptr)
        return;
    char typed[kPortNameSize] = "";
    SendDlgItemMessageA(dialog, IDC_PORT_NAME, WM_GETTEXT, sizeof typed,
                        reinterpret_cast<LPARAM>(typed));
    if (typed[0] == 0 || TextEqual(typed, selectedPort->portName))
        return;
    char question[kQuestionSize];
    wsprintfA(question, kRenameQuestion, selectedPort->portName, typed);
    if (MessageBoxA(dialog, question, kMessageCaption, MB_YESNO) == IDYES)
        ApplySelectedPortRename(dialog);
}

// wsprintfA writes at most 1024 characters: the reason, and the longest advice.
enum { kUndoMessageSize = sizeof kUndoNotWrittenMessage + kUndoFailureSize + 32 };
static_assert(kUndoMessageSize <= 1024, "the undo message does not fit wsprintfA's output");

}  // namespace

void RunFinishSequence(HWND dialog) {
    OfferPendingRename(dialog);
    OkOutcome outcome;
    CarryOutOkChanges(g_inventory, &outcome);
    if (outcome.result != kOkDone) {
        // Nothing was changed (the undo folder, or the plan it is written from, could not be
        // made): the dialog stays, so the user can make room and try again.
        char reason[kUndoFailureSize];
        int kind = DescribeUndoFailure(outcome, reason, sizeof reason);
        char message[kUndoMessageSize];
        wsprintfA(message, kUndoNotWrittenMessage, reason, kUndoAdvice[kind]);
        MessageBoxA(dialog, message, kMessageCaption, MB_OK);
        return;
    }
    if (outcome.changed) {
        HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_RESTART), dialog, RestartDialogProc, 0);
    }
    EndDialog(dialog, 1);
    PostQuitMessage(0);
}

INT_PTR CALLBACK RestartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            // Only Yes and No close the prompt; Esc and the close box leave it up.
            switch (LOWORD(wParam)) {
                case IDYES:
                    ExitWindowsEx(EWX_REBOOT, 0);
                    EndDialog(dialog, 1);
                    PostQuitMessage(0);
                    break;
                case IDNO:
                    EndDialog(dialog, 0);
                    PostQuitMessage(0);
                    break;
            }
            return TRUE;
    }
    return FALSE;
}
