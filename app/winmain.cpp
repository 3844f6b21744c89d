// app/winmain.cpp: the program's entry: without arguments, load the tree pictures, run the main
// dialog, then drain the message queue until the quit message the dialog posted on its way
// out; with arguments, what the command line asks for.
#include <windows.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "app/texts.h"
#include "cmdline/command_line.h"
#include "portlist/portlist.h"

namespace {

// Runs IDD_MAIN; `start` carries the command line's changes, or is null.
void RunMainDialog(HINSTANCE instance, DialogStartChanges* start) {
    // Without the pictures the list still works, its rows only lack them.
    LoadImageStrip(instance, IDB_TREE_IMAGES, 4, 3, 1, &g_portListState, 1);

    // OK and Cancel post the quit message that ends the loop below. A dialog that could not
    // be created posted nothing, and waiting for it would leave a process with no window; nor
    // did one that ended because the command line's changes were refused.
    if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDialogProc,
                        reinterpret_cast<LPARAM>(start)) == -1)
        return;
    if (start != nullptr && start->exitCode != kExitDone)
        return;

    MSG message;
    // GetMessage returns -1 on failure; that must end the loop as well, not spin it.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(nullptr, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

// Before the dialog exists, and when it never will, a message box has no window of ours to
// belong to: it stands on its own, as the dialog would have.
void ShowStandaloneMessage(const char* text) {
    MessageBoxA(nullptr, text, kMessageCaption, MB_OK | MB_SETFOREGROUND);
}

// The restart prompt's own request.
int RequestRestart() {
    return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}

int RunUnattendedWithMessages(const CommandLine& parsed) {
    // A GUI program has standard output where its starter gave it one (Wine, Windows NT with
    // redirection); Windows 95 gives none.
    UnattendedRun run = {FilesStandardOutput(), RequestRestart, ""};
    int code = RunUnattended(parsed, &run);
    // A batch file on Windows 95 never sees the exit code: a run that went wrong with no log to
    // say so would otherwise tell nobody.
    if (run.message[0] != 0)
        ShowStandaloneMessage(run.message);
    return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandText, int) {
    if (previousInstance != nullptr)
        return 0;
    g_moduleInstance = instance;

    CommandLine parsed;
    // Windows 95, 98 and ME set the platform bit: their COMMAND.COM cuts lines at 127.
    ParseCommandLine(commandText, &parsed, (GetVersion() & 0x80000000u) != 0);
    EmptyLog(parsed);
    switch (CommandRunOf(parsed)) {
        case kRunUsageBox:
            ShowStandaloneMessage(kUsageText);
            return kExitDone;
        case kRunBadCommandBox: {
            // The box waits for a click: say how a batch file goes without it, where the line
            // gave no /log.
            char text[kCommandMessageSize + sizeof kBadLineBoxText];
            FormatText(text, sizeof text, parsed.log ? "%s" : kBadLineBoxText, parsed.errorText);
            ShowStandaloneMessage(text);
            return kExitBadCommandLine;
        }
        case kRunUnattended:
            return RunUnattendedWithMessages(parsed);
        case kRunDialogWithChanges: {
            DialogStartChanges start = {&parsed, kExitDone, ""};
            RunMainDialog(instance, &start);
            if (start.exitCode != kExitDone)
                ShowStandaloneMessage(start.message);
            return start.exitCode;
        }
        case kRunPlainDialog:
            break;
    }
    RunMainDialog(instance, nullptr);
    return 0;
}
