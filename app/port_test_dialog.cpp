// app/port_test_dialog.cpp: the Port Test dialog, which runs the port test or Identify on a worker
// thread and lists the lines it writes.
#include "app/main_dialog.h"

#include "app/resource.h"
#include "app/texts.h"
#include "inventory/inventory.h"
#include "inventory/value_read.h"
#include "platform/stack.h"
#include "platform/text.h"
#include "porttest/port_test.h"

namespace {

static_assert(sizeof kPortTestResultTexts / sizeof kPortTestResultTexts[0] == kPortTestStopped + 1,
              "one last row for each PortTestResult");

enum {
    kRunTimer = 1,
    kRunTimerMs = 100,
    kRowSize = kPortNameSize + 1 + kPortTestLineSize,
    kMaxRows = 24,  // a test writes about a dozen lines, Identify two or three
    // No text measuring call to ask: an MS Sans Serif 8 character averages under 7 pixels, so
    // this much per character lets the longest row scroll fully into view.
    kRowPixelsPerCharacter = 7,
};

// The one run. PostMessageA is not among the calls the program may import, so the worker only
// fills rows and the dialog takes them on a timer. The dialog is modal and never ends before
// its worker has.
struct PortTestRun {
    HANDLE worker;  // null while nothing runs
    volatile long stop;
    int identify;  // the run is Identify, whose button then reads Stop
    PortTestOptions options;
    int result;                    // the worker's PortTestResult, read once it has ended
    char portName[kPortNameSize];  // the name Windows uses now, the one the test opens
    unsigned rowCount;             // rows written; the worker publishes each with a release
    unsigned shownRows;
    char rows[kMaxRows][kRowSize];
};
PortTestRun g_run;

void WriteResultLine(void*, const char* line) {
    unsigned count = g_run.rowCount;
    if (count == kMaxRows)
        return;
    wsprintfA(g_run.rows[count], kPortTestRowFormat, g_run.portName, line);
    __atomic_store_n(&g_run.rowCount, count + 1, __ATOMIC_RELEASE);
}

// A constant rather than a local, which the compiler would copy from writable data.
const PortTestControl kWorkerControl = {WriteResultLine, nullptr, &g_run.stop, nullptr};

DWORD WINAPI PortTestWorker(void*) {
    CommitStack(kWorkerThreadStack);  // the program has no stack probes
    g_run.result = g_run.identify ? RunIdentify(g_run.portName, kWorkerControl)
                                  : RunPortTest(g_run.portName, g_run.options, kWorkerControl);
    return 0;
}

LRESULT SendToItem(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

void AddResultRow(HWND dialog, const char* text) {
    LRESULT row =
        SendToItem(dialog, IDC_TEST_RESULTS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendToItem(dialog, IDC_TEST_RESULTS, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    WPARAM width = TextLength(text) * kRowPixelsPerCharacter;
    if (static_cast<LRESULT>(width) >
        SendToItem(dialog, IDC_TEST_RESULTS, LB_GETHORIZONTALEXTENT, 0, 0))
        SendToItem(dialog, IDC_TEST_RESULTS, LB_SETHORIZONTALEXTENT, width, 0);
}

// While a run goes on, Start and the plug list are disabled, and Identify too unless it is
// Identify that runs: its button then reads Stop.
void ShowRunning(HWND dialog, int running) {
    int identifyRuns = running && g_run.identify;
    for (int id = IDC_IDENTIFY + identifyRuns; id <= IDC_PLUG; ++id)
        EnableWindow(GetDlgItem(dialog, id), !running);
    SetDlgItemTextA(dialog, IDC_IDENTIFY, identifyRuns ? kStopText : kIdentifyText);
}

void StartRun(HWND dialog, int identify) {
    // Start is disabled while anything runs, but its command can still come.
    if (g_run.worker)
        return;
    if (!identify)
        SendToItem(dialog, IDC_TEST_RESULTS, LB_RESETCONTENT, 0, 0);
    g_run.options.plug = static_cast<int>(SendToItem(dialog, IDC_PLUG, CB_GETCURSEL, 0, 0));
    g_run.options.runs = 1;
    g_run.identify = identify;
    g_run.stop = 0;
    g_run.rowCount = 0;
    g_run.shownRows = 0;
    DWORD threadId;  // Windows 95 fails CreateThread without somewhere to put it
    g_run.worker = CreateThread(nullptr, 0, PortTestWorker, nullptr, 0, &threadId);
    if (!g_run.worker)
        return;
    // Start, which has the focus after a click, is about to be disabled: the list takes the
    // keyboard instead.
    if (!identify)
        SendMessageA(dialog, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_TEST_RESULTS)), TRUE);
    ShowRunning(dialog, 1);
}

// Lets go of the worker, which has ended.
void EndRun() {
    CloseHandle(g_run.worker);
    g_run.worker = nullptr;
}

// The rows the worker has written since the last tick; once it has ended, the last of them and
// the result. The timer runs as long as the dialog: one that only ran with the worker would cost
// the program another import.
void OnRunTimer(HWND dialog) {
    if (!g_run.worker)
        return;
    // Asked first: once the worker has ended, every row it wrote is there to take.
    int ended = WaitForSingleObject(g_run.worker, 0) == WAIT_OBJECT_0;
    for (unsigned count = __atomic_load_n(&g_run.rowCount, __ATOMIC_ACQUIRE);
         g_run.shownRows < count;)
        AddResultRow(dialog, g_run.rows[g_run.shownRows++]);
    if (!ended)
        return;
    EndRun();
    AddResultRow(dialog, kPortTestResultTexts[g_run.result]);
    ShowRunning(dialog, 0);
}

// "Port: COM7", or "Port: COM7 (COM9 after OK and a restart)" while a rename waits for OK. The
// name Windows uses now is the registry's; the inventory's is the pending one.
void InitialisePortTest(HWND dialog, const PortRecord* port) {
    CopyText(g_run.portName, port->portName);
    RegistryKey key;
    if (RegistryOpenKey(RegistryRoot(), port->keyPath, &key) == kRegistryOk) {
        ReadTextValue(key, kPortNameValue, g_run.portName, sizeof g_run.portName);
        RegistryCloseKey(key);
    }
    char line[sizeof kPortTestRenamedFormat + 2 * kPortNameSize];
    wsprintfA(
        line,
        TextEqual(g_run.portName, port->portName) ? kPortTestNameFormat : kPortTestRenamedFormat,
        g_run.portName, port->portName);
    SetDlgItemTextA(dialog, IDC_TEST_PORT_NAME, line);
    for (const PlugName& plug : kPlugNames)
        SendToItem(dialog, IDC_PLUG, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(plug.dialogText));
    SendToItem(dialog, IDC_PLUG, CB_SETCURSEL, kPlugNone, 0);
    SetTimer(dialog, kRunTimer, kRunTimerMs, nullptr);
}

void OnCommand(HWND dialog, UINT id) {
    switch (id) {
        case IDC_START:
            StartRun(dialog, 0);
            break;
        case IDC_IDENTIFY:
            if (g_run.worker)
                g_run.stop = 1;
            else
                StartRun(dialog, 1);
            break;
        case IDCANCEL:
            // Close during a run stops it and waits: the worker puts the port back before it
            // ends.
            if (g_run.worker) {
                g_run.stop = 1;
                WaitForSingleObject(g_run.worker, INFINITE);
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
