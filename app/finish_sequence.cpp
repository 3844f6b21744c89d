// app/finish_sequence.cpp: what OK does, from the pending rename to closing the utility,
// and the restart prompt.
#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "app/texts.h"
#include "commit/ok_changes.h"
#include "inventory/inventory.h"
#include "platform/text.h"

namespace {

// The rename question at its longest: two 19-character names, and the following ports' line
// with two 5-digit numbers and a name. wsprintfA cannot be told a buffer's size.
enum {
    kFollowingLineSize = sizeof kFollowingPortsLine - 6 + 2 * 5 + kPortNameSize - 1,
    kQuestionSize = sizeof kRenameQuestion - 6 + 2 * (kPortNameSize - 1) + kFollowingLineSize - 1,
};

// A name typed but not applied is offered before anything is written, as the rename Apply
// would make of it: the name the port really gets, and the ports renumbered after it.
void OfferPendingRename(HWND dialog) {
    RenamePlan plan;
    char refusal[kChangeRefusalSize];
    int result = ApplyPortRename(dialog, g_inventory, selectedPort, refusal, &plan);
    if (result == kChangeRefused) {
        // Nothing to ask: Apply refuses it the same way and says why, as it always does.
        ApplySelectedPortRename(dialog);
        return;
    }
    if (result != kChangeDone)
        return;
    // The port is in the plan; the others, in the board's port order, follow it.
    const char* newName = nullptr;
    int first = -1, last = 0;
    for (int i = 0; i < plan.count; ++i) {
        if (plan.ports[i] == selectedPort) {
            newName = plan.names[i];
        } else {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (TextEqual(newName, selectedPort->portName))
        return;
    char following[kFollowingLineSize];
    following[0] = 0;
    if (first >= 0) {
        // One port follows, or several: its name, or the first number, after the first number.
        const char* one = plan.names[first];
        ULONG_PTR second = first == last ? reinterpret_cast<ULONG_PTR>(one)
                                         : ULONG_PTR{plan.ports[last]->portNumber};
        wsprintfA(following, first == last ? kFollowingPortLine : kFollowingPortsLine,
                  unsigned{plan.ports[first]->portNumber}, second, one);
    }
    char question[kQuestionSize];
    wsprintfA(question, kRenameQuestion, selectedPort->portName, newName, following);
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
