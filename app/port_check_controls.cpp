// app/port_check_controls.cpp: the Port Test's speed list, counts, lights and Save.
#include "app/port_check_controls.h"

#include "app/resource.h"
#include "app/texts.h"
#include "platform/comm_port.h"
#include "platform/files.h"
#include "platform/text.h"
#include "portcheck/check_report.h"

namespace {

// The speeds the list offers one by one, after the default.
const unsigned long kSpeedChoices[] = {9600, 19200, 38400, 57600, 115200};

// The lights' lines, in the order of their identifiers.
const unsigned char kLightBits[] = {kInputCts, kInputDsr, kInputDcd, kInputRing};

enum { kCountsSize = 2 * kPortTestLineSize };

LRESULT SendToItem(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

}  // namespace

void FillSpeedChoices(HWND dialog) {
    SendToItem(dialog, IDC_SPEEDS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kDefaultSpeedsText));
    for (unsigned long speed : kSpeedChoices) {
        char text[8] = "";
        AppendNumber(text, sizeof text, speed);
        SendToItem(dialog, IDC_SPEEDS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendToItem(dialog, IDC_SPEEDS, CB_SETCURSEL, 0, 0);
}

void ReadSpeedChoice(HWND dialog, PortTestOptions* options) {
    LRESULT choice = SendToItem(dialog, IDC_SPEEDS, CB_GETCURSEL, 0, 0);
    options->speedCount = choice > 0;
    if (choice > 0)
        options->speeds[0] = kSpeedChoices[choice - 1];
}

void ShowCounts(HWND dialog, const PortTestCounts* counts) {
    char text[kCountsSize] = "", second[kPortTestLineSize], shown[kCountsSize];
    if (counts) {
        FormatCountLines(*counts, text, second);
        AppendText(text, sizeof text, "\n");
        AppendText(text, sizeof text, second);
    }
    // Set only when changed: a static redrawn ten times a second flickers.
    SendToItem(dialog, IDC_TEST_COUNTS, WM_GETTEXT, sizeof shown, reinterpret_cast<LPARAM>(shown));
    if (!TextEqual(text, shown))
        SetDlgItemTextA(dialog, IDC_TEST_COUNTS, text);
}

void ShowLights(HWND dialog, const PortLines* lines) {
    for (int light = 0; light < 4; ++light) {
        WPARAM state = BST_UNCHECKED;
        if (lines && !lines->read)
            state = BST_INDETERMINATE;
        else if (lines && (lines->inputs & kLightBits[light]))
            state = BST_CHECKED;
        SendToItem(dialog, IDC_CTS_LIGHT + light, BM_SETCHECK, state, 0);
    }
}

void SaveTestReport(HWND dialog) {
    TestReport report;
    int saved = OpenTestReport(&report);
    if (saved) {
        char line[kPortTestRowSize];  // the port line is shorter
        SendToItem(dialog, IDC_TEST_PORT_NAME, WM_GETTEXT, sizeof line,
                   reinterpret_cast<LPARAM>(line));
        WriteTestReportLine(&report, line);
        for (WPARAM row = 0; SendToItem(dialog, IDC_TEST_RESULTS, LB_GETTEXT, row,
                                        reinterpret_cast<LPARAM>(line)) != LB_ERR;
             ++row)
            WriteTestReportLine(&report, line);
        saved = CloseTestReport(&report);
    }
    char message[sizeof kTestNotSavedFormat + kTestReportPathSize + 16];
    wsprintfA(message, saved ? kTestSavedFormat : kTestNotSavedFormat, report.path,
              FilesLastError());
    MessageBoxA(dialog, message, kMessageCaption,
                MB_OK | (saved ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
}
