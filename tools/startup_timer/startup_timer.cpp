// tools/startup_timer/startup_timer.cpp: times a program started inside Wine (or Windows).
//
//   startup_timer list COMMAND...  from process start until korvalin's list holds rows; then
//                                  the dialog is cancelled
//   startup_timer exit COMMAND...  from process start until the process ends
// Prints the milliseconds. Both modes pay the same process start cost, so their ratio tells
// what the utility's own work costs beside a plain registry query.
#include <windows.h>
#include <stdio.h>
#include <string.h>

namespace {

// The started process's dialog: its visible top-level window, found by process rather than by
// caption, so that the timer needs nothing of the program's own headers. The list is the
// dialog's one list box.
struct DialogSearch {
    DWORD processId;
    HWND dialog;
};

BOOL CALLBACK TakeProcessWindow(HWND window, LPARAM context) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window))
        return TRUE;
    search->dialog = window;
    return FALSE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (strcmp(argv[1], "list") != 0 && strcmp(argv[1], "exit") != 0)) {
        fprintf(stderr, "usage: startup_timer list|exit COMMAND...\n");
        return 2;
    }
    int waitForList = strcmp(argv[1], "list") == 0;
    char commandLine[1024] = "";
    for (int i = 2; i < argc; ++i) {
        if (strlen(commandLine) + strlen(argv[i]) + 4 >= sizeof commandLine)
            return 2;
        if (i > 2)
            strcat(commandLine, " ");
        strcat(commandLine, argv[i]);
    }

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    // The child's output goes nowhere: only our own line is the figure.
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        fprintf(stderr, "cannot start %s (error %lu)\n", commandLine, GetLastError());
        return 1;
    }
    int found = !waitForList;
    if (waitForList) {
        // Poll until the list answers with rows; a sent message is answered only once the
        // dialog's initialisation has returned to its message loop.
        for (int tries = 0; tries < 60000 && !found; ++tries) {
            DialogSearch search = {process.dwProcessId, nullptr};
            EnumWindows(TakeProcessWindow, reinterpret_cast<LPARAM>(&search));
            HWND dialog = search.dialog;
            HWND list = dialog ? FindWindowExA(dialog, nullptr, "ListBox", nullptr) : nullptr;
            if (list && SendMessageA(list, LB_GETCOUNT, 0, 0) > 0) {
                QueryPerformanceCounter(&end);
                found = 1;
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            } else if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
                break;
            }
        }
    }
    WaitForSingleObject(process.hProcess, 60000);
    if (!waitForList)
        QueryPerformanceCounter(&end);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!found) {
        fprintf(stderr, "the list never filled\n");
        return 1;
    }
    printf("%.1f\n", Milliseconds(start, end, frequency));
    return 0;
}
