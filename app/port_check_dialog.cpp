// app/port_check_dialog.cpp: the Port Test dialog, which runs the port test, Identify or the
// watch of the lines on a worker thread and lists the lines it writes.
#include "app/main_dialog.h"

#include "app/port_check_controls.h"
#include "app/resource.h"
#include "app/texts.h"
#include "inventory/inventory.h"
#include "platform/comm_port.h"
#include "platform/stack.h"
#include "platform/text.h"
#include "portcheck/port_check.h"

namespace {

static_assert(sizeof kPortTestResultTexts / sizeof kPortTestResultTexts[0] == kPortTestStopped + 1,
              "one last row for each PortTestResult");

enum {
    kRunTimer = 1,
    kRunTimerMs = 100,  // the lights too: the watch reads the lines ten times a second
    // Rows the worker may be ahead of the dialog by; a run writes a few a second at most.
    kMaxRows = 32,
    // A repeat that fails run after run would fill the list for ever: past this many rows, the
    // oldest after the first run's go, and the list keeps the start and the latest.
    kListRowLimit = 1000,
    kListRowsKept = 40,
    // The core ends a run within half a second of Stop; Close waits a little longer, no more.
    kCloseWaitMs = 1000,
    // No text measuring call to ask: an MS Sans Serif 8 character averages under 7 pixels, so
    // this much per character lets the longest row scroll fully into view.
    kRowPixelsPerCharacter = 7,
};

// The one run. PostMessageA is not among the calls the program may import, so the worker only
// fills rows and the dialog takes them on a timer.
struct PortTestRun {
    HANDLE worker;  // null while nothing runs
    volatile long stop;
    int button;           // IDC_START, IDC_IDENTIFY or IDC_WATCH: what runs, and reads Stop
    char buttonText[24];  // that button's own text, put back when the run ends
    PortTestOptions options;
    PortTestCounts counts;         // the worker's, as they change
    PortLines lines;               // the watch's
    int result;                    // the worker's PortTestResult, read once it has ended
    char portName[kPortNameSize];  // the name Windows uses now, the one the test opens
    // Rows written, and rows taken: each published with a release, and the worker never writes
    // over a row the dialog has not taken.
    unsigned rowCount;
    unsigned shownRows;
    char rows[kMaxRows][kPortTestRowSize];
};
PortTestRun g_run;

void WriteResultLine(void*, const char* line) {
    unsigned count = g_run.rowCount;
    if (count - __atomic_load_n(&g_run.shownRows, __ATOMIC_ACQUIRE) == kMaxRows)
        return;
    wsprintfA(g_run.rows[count % kMaxRows], kPortTestRowFormat, g_run.portName, line);
    __atomic_store_n(&g_run.rowCount, count + 1, __ATOMIC_RELEASE);
}

// A constant rather than a local, which the compiler would copy from writable data.
const PortTestControl kWorkerControl = {WriteResultLine, nullptr, &g_run.stop, &g_run.counts};

DWORD WINAPI PortTestWorker(void*) {
    CommitStack(kWorkerThreadStack);  // the program has no stack probes
    const char* name = g_run.portName;
    g_run.result = g_run.button == IDC_START ? RunPortTest(name, g_run.options, kWorkerControl)
                   : g_run.button == IDC_IDENTIFY
                       ? RunIdentify(name, kWorkerControl)
                       : RunWatchLines(name, &g_run.lines, kWorkerControl);
    return 0;
}

LRESULT SendToItem(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

void AddResultRow(HWND dialog, const char* text) {
    LRESULT row =
        SendToItem(dialog, IDC_TEST_RESULTS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (row >= kListRowLimit)
        row = SendToItem(dialog, IDC_TEST_RESULTS, LB_DELETESTRING, kListRowsKept, 0) - 1;
    SendToItem(dialog, IDC_TEST_RESULTS, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    WPARAM width = TextLength(text) * kRowPixelsPerCharacter;
    if (static_cast<LRESULT>(width) >
        SendToItem(dialog, IDC_TEST_RESULTS, LB_GETHORIZONTALEXTENT, 0, 0))
        SendToItem(dialog, IDC_TEST_RESULTS, LB_SETHORIZONTALEXTENT, width, 0);
}

// DTR and RTS on, as the open leaves them.
void SetOutputsOn(HWND dialog) {
    for (int id = IDC_DTR; id <= IDC_RTS; ++id)
        SendToItem(dialog, id, BM_SETCHECK, BST_CHECKED, 0);
    g_run.lines.outputs = 1 << kOutputDtr | 1 << kOutputRts;
}

// While a run goes on, its own button reads Stop and the rest of Identify to Save are disabled;
// DTR and RTS are enabled while the watch runs.
void ShowRunning(HWND dialog, int running) {
    int watching = running && g_run.button == IDC_WATCH;
    for (int id = IDC_IDENTIFY; id <= IDC_RTS; ++id)
        EnableWindow(GetDlgItem(dialog, id),
                     id >= IDC_DTR ? watching : !running || id == g_run.button);
    SetDlgItemTextA(dialog, g_run.button, running ? kStopText : g_run.buttonText);
}

void StartRun(HWND dialog, int button) {
    if (button == IDC_START) {
        SendToItem(dialog, IDC_TEST_RESULTS, LB_RESETCONTENT, 0, 0);
        ShowCounts(dialog, nullptr);
    }
    g_run.options.plug = static_cast<int>(SendToItem(dialog, IDC_PLUG, CB_GETCURSEL, 0, 0));
    ReadSpeedChoice(dialog, &g_run.options);
    g_run.options.runs = SendToItem(dialog, IDC_REPEAT, BM_GETCHECK, 0, 0) != BST_CHECKED;
    g_run.counts = {};
    g_run.lines.read = 0;
    g_run.button = button;
    g_run.stop = 0;
    g_run.rowCount = 0;
    g_run.shownRows = 0;
    DWORD threadId;  // Windows 95 fails CreateThread without somewhere to put it
    g_run.worker = CreateThread(nullptr, 0, PortTestWorker, nullptr, 0, &threadId);
    if (!g_run.worker)
        return;
    SendToItem(dialog, button, WM_GETTEXT, sizeof g_run.buttonText,
               reinterpret_cast<LPARAM>(g_run.buttonText));
    ShowRunning(dialog, 1);
}

// Lets go of the worker, which has ended.
void EndRun() {
    CloseHandle(g_run.worker);
    g_run.worker = nullptr;
}

// The rows the worker has written since the last tick, the counts and the lights; once it has
// ended, the last of them and the result. The timer runs as long as the dialog: one that only
// ran with the worker would cost the program another import.
void OnRunTimer(HWND dialog) {
    if (!g_run.worker)
        return;
    // Asked first: once the worker has ended, every row it wrote is there to take.
    int ended = WaitForSingleObject(g_run.worker, 0) == WAIT_OBJECT_0;
    for (unsigned count = __atomic_load_n(&g_run.rowCount, __ATOMIC_ACQUIRE);
         g_run.shownRows < count;) {
        AddResultRow(dialog, g_run.rows[g_run.shownRows % kMaxRows]);
        __atomic_store_n(&g_run.shownRows, g_run.shownRows + 1, __ATOMIC_RELEASE);
    }
    if (g_run.button == IDC_START)
        ShowCounts(dialog, &g_run.counts);
    if (g_run.button == IDC_WATCH)
        ShowLights(dialog, ended ? nullptr : &g_run.lines);
    if (!ended)
        return;
    EndRun();
    AddResultRow(dialog, kPortTestResultTexts[g_run.result]);
    ShowRunning(dialog, 0);
    SetOutputsOn(dialog);  // as the port was put back, and as the next watch starts
}

// "Port: COM7", or "Port: COM7 (COM9 after OK and a restart)" while a rename waits for OK: the
// name the machine holds, which the test opens, then the pending one.
void InitialisePortTest(HWND dialog, const PortRecord* port) {
    CopyText(g_run.portName, port->foundName);
    char line[sizeof kPortTestRenamedFormat + 2 * kPortNameSize];
    wsprintfA(line, IsRenamePending(*port) ? kPortTestRenamedFormat : kPortTestNameFormat,
              g_run.portName, port->portName);
    SetDlgItemTextA(dialog, IDC_TEST_PORT_NAME, line);
    SetDlgItemTextA(dialog, IDC_TEST_WARNING, kDtrWarningText);
    for (const PlugName& plug : kPlugNames)
        SendToItem(dialog, IDC_PLUG, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(plug.dialogText));
    SendToItem(dialog, IDC_PLUG, CB_SETCURSEL, kPlugNone, 0);
    FillSpeedChoices(dialog);
    SetOutputsOn(dialog);
    SetTimer(dialog, kRunTimer, kRunTimerMs, nullptr);
}

void OnCommand(HWND dialog, UINT id) {
    switch (id) {
        case IDC_START:
        case IDC_IDENTIFY:
        case IDC_WATCH:
            // While a run goes on only its own button is enabled, and reads Stop; a disabled
            // button's command can still come.
            if (!g_run.worker)
                StartRun(dialog, id);
            else if (id == static_cast<UINT>(g_run.button))
                g_run.stop = 1;
            break;
        case IDC_DTR:
        case IDC_RTS:
            g_run.lines.outputs =
                (SendToItem(dialog, IDC_DTR, BM_GETCHECK, 0, 0) == BST_CHECKED) << kOutputDtr |
                (SendToItem(dialog, IDC_RTS, BM_GETCHECK, 0, 0) == BST_CHECKED) << kOutputRts;
            break;
        case IDC_SAVE:
            SaveTestReport(dialog);
            break;
        case IDCANCEL:
            // Close during a run stops it: the worker puts the port back before it ends, within
            // half a second. Should it not have ended by then, the dialog ends all the same and
            // the worker finishes on its own.
            if (g_run.worker) {
                g_run.stop = 1;
                WaitForSingleObject(g_run.worker, kCloseWaitMs);
                EndRun();
            }
            EndDialog(dialog, 0);
            break;
    }
}

}  // namespace

INT_PTR CALLBACK PortTestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            InitialisePortTest(dialog, reinterpret_cast<const PortRecord*>(lParam));
            return TRUE;
        case WM_COMMAND:
            OnCommand(dialog, LOWORD(wParam));
            return TRUE;
        case WM_TIMER:
            OnRunTimer(dialog);
            return TRUE;
    }
    return FALSE;
}
