// app/winmain.cpp: the program's entry: load the tree pictures, run the main dialog, then
// drain the message queue until the quit message the dialog posted on its way out.
#include <windows.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "listview/listview.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int) {
    if (previousInstance != nullptr)
        return 0;
    g_moduleInstance = instance;
    // Without the pictures the list still works, its rows only lack them.
    LoadImageStrip(instance, IDB_TREE_IMAGES, 4, 3, 1, &g_portListState, 1);

    // OK and Cancel post the quit message that ends the loop below. A dialog that could not
    // be created posted nothing, and waiting for it would leave a process with no window.
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc, 0) == -1)
        return 0;

    MSG message;
    // GetMessage returns -1 on failure; that must end the loop as well, not spin it.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(nullptr, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return 0;
}
