// tests/app/port_test_dialog_test.cpp: the main dialog's Test button and the Port Test dialog
// (its tab order, Start, Identify and Close), run on a port that does not exist and, where
// KORVALIN_LOOPBACK_PORT names one, a loopback.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "tests/app/dialog_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

// Rows: 0 Standard COM Port board, 1 its port `name`; 2 Marrowlink board, 3 COM6. Wine maps no
// COM98 to a device.
std::string TwoBoards(const std::string& name = "COM98") {
    return "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\0D]\n\"PORTNAME\"=\"" + name +
           "\"\n\n[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D]\n\"PORTNAME\"="
           "\"COM6\"\n";
}

std::string LoopbackPort() {
    const char* name = getenv("KORVALIN_LOOPBACK_PORT");
    return name ? name : "";
}

class PortTestDialog : public MainDialogTest {
  protected:
    void TearDown() override {
        if (test_)
            DestroyWindow(test_);
        test_ = nullptr;
        MainDialogTest::TearDown();
    }
    bool Enabled(HWND dialog, int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)); }
    // The port line of the dialog that Test opens, which the spy closes again with Esc.
    std::string PortLineShownByTest() {
        ActivationSpy spy(IDCANCEL, dialog_, IDC_TEST_PORT_NAME);
        SendMessageA(Item(IDC_TEST), BM_CLICK, 0, 0);
        EXPECT_EQ(1u, spy.seen().size());
        EXPECT_EQ("Port Test", spy.seen().at(0).caption);
        EXPECT_EQ(dialog_, spy.seen().at(0).owner);
        return spy.seen().at(0).text;
    }
    // The Port Test for row 1's port, modeless, so that the test can drive it.
    void OpenTestOver(const std::string& portName) {
        OpenOver(TwoBoards(portName).c_str());
        test_ = CreateDialogParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_PORT_TEST), dialog_,
                                   PortTestDialogProc, reinterpret_cast<LPARAM>(RowData(1)));
        ASSERT_TRUE(test_ != nullptr);
    }
    void Click(int id) { SendMessageA(GetDlgItem(test_, id), BM_CLICK, 0, 0); }
    // Runs the dialog's messages until `done` holds.
    template <class Done>
    bool PumpUntil(Done done) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(10)) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            if (done())
                return true;
        }
        return false;
    }
    // Until Start is enabled again: the run has ended.
    bool WaitForRunEnd() {
        return PumpUntil([this] { return Enabled(test_, IDC_START); });
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        char text[256];
        while (SendDlgItemMessageA(test_, IDC_TEST_RESULTS, LB_GETTEXT, rows.size(),
                                   reinterpret_cast<LPARAM>(text)) != LB_ERR)
            rows.push_back(text);
        return rows;
    }

    HWND test_ = nullptr;
};

TEST_F(PortTestDialog, TestIsEnabledOnPortRowsOnly) {
    OpenOver("REGEDIT4\n\n");
    EXPECT_FALSE(Enabled(dialog_, IDC_TEST));  // nothing selected
    TearDown();
    SetUp();
    OpenOver(TwoBoards().c_str());
    EXPECT_FALSE(Enabled(dialog_, IDC_TEST));  // opens on the first board
    for (LRESULT row : {1, 0, 3, 2}) {
        SelectRow(row);
        EXPECT_EQ(row % 2 == 1, Enabled(dialog_, IDC_TEST)) << "row " << row;
    }
    ActivationSpy spy(IDCANCEL, dialog_);
    Command(IDC_TEST);  // the command can still come on a board row
    EXPECT_EQ(0u, spy.seen().size());
}

TEST_F(PortTestDialog, ShowsTheNameInUseAndTheOnePendingUntilOk) {
    OpenOver(TwoBoards().c_str());
    const std::string before = ExportTestRegistry();
    SelectRow(3);
    EXPECT_EQ("Port: COM6", PortLineShownByTest());
    SetDlgItemTextA(dialog_, IDC_PORT_NAME, "COM9");
    ApplySelectedPortRename(dialog_);
    EXPECT_EQ("Port: COM6 (COM9 after OK and a restart)", PortLineShownByTest());
    EXPECT_STREQ("COM9", selectedPort->portName);
    EXPECT_EQ(before, ExportTestRegistry());
}

TEST_F(PortTestDialog, StartListsTheLinesUnderThePortsNameThenTheResult) {
    struct Case {
        std::string port;
        std::string someRow;  // a row the run must have written
        const char* lastRow;
    };
    const std::string loopback = LoopbackPort();
    std::vector<Case> cases = {{"COM98", "COM98 open: not present", "Not present"}};
    if (!loopback.empty())
        cases.push_back({loopback, loopback + " data 9600: pass", "Passed"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        SetUp();
        OpenTestOver(c.port);
        size_t firstRunRows = 0;
        for (int run = 0; run < 2; ++run) {  // the second Start clears the first one's rows
            Click(IDC_START);
            for (int id : {IDC_START, IDC_IDENTIFY, IDC_PLUG})
                EXPECT_FALSE(Enabled(test_, id)) << id;
            ASSERT_TRUE(WaitForRunEnd());
            std::vector<std::string> rows = Rows();
            ASSERT_LE(2u, rows.size());
            bool found = false;
            for (const std::string& row : rows)
                found = found || row.compare(0, c.someRow.size(), c.someRow) == 0;
            EXPECT_TRUE(found) << "no row begins \"" << c.someRow << "\"";
            EXPECT_EQ(c.lastRow, rows.back());
            EXPECT_TRUE(Enabled(test_, IDC_IDENTIFY));
            EXPECT_EQ(run == 0 ? rows.size() : firstRunRows, rows.size());
            firstRunRows = rows.size();
        }
        TearDown();
    }
}

// The plug is chosen first, so it comes first; then the buttons top to bottom, then the results.
TEST_F(PortTestDialog, TabFollowsTheScreenFromThePlugToTheResults) {
    OpenTestOver("COM98");
    HWND at = GetNextDlgTabItem(test_, nullptr, FALSE);
    for (int id : {IDC_PLUG, IDC_START, IDC_IDENTIFY, IDCANCEL, IDC_TEST_RESULTS, IDC_PLUG}) {
        EXPECT_EQ(GetDlgItem(test_, id), at) << id;
        at = GetNextDlgTabItem(test_, at, FALSE);
    }
}

// Identify and the signal checks hang up a modem: the dialog says so where it can be read,
// clear of every control, and the dialog still fits a 640x480 screen.
TEST_F(PortTestDialog, WarnsThatDtrHangsUpAModemInPlainSight) {
    OpenTestOver("COM98");
    HWND warning = nullptr;
    for (HWND child = GetWindow(test_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[128] = "";
        GetWindowTextA(child, text, sizeof text);
        if (strstr(text, "DTR") && strstr(text, "modem"))
            warning = child;
    }
    ASSERT_TRUE(warning != nullptr);
    EXPECT_TRUE(GetWindowLongA(warning, GWL_STYLE) & WS_VISIBLE);
    RECT shown, other, overlap;
    GetWindowRect(warning, &shown);
    for (int id :
         {IDC_TEST_PORT_NAME, IDC_PLUG, IDC_START, IDC_IDENTIFY, IDCANCEL, IDC_TEST_RESULTS}) {
        GetWindowRect(GetDlgItem(test_, id), &other);
        EXPECT_FALSE(IntersectRect(&overlap, &shown, &other)) << id;
    }
    GetWindowRect(test_, &other);
    EXPECT_GE(640, other.right - other.left);
    EXPECT_GE(480, other.bottom - other.top);
}

// A running Identify lists what it sends and how it ends; one that cannot open the port does not.
TEST_F(PortTestDialog, IdentifySaysWhatItSendsOnceItRuns) {
    struct Case {
        std::string port;
        std::vector<std::string> rows;
    };
    std::vector<Case> cases = {{"COM98", {"COM98 open: not present", "Not present"}}};
    const std::string loopback = LoopbackPort();
    if (!loopback.empty())
        cases.push_back({loopback,
                         {loopback + " open: free",
                          loopback + " identify: until Stop, sends \"This is " + loopback +
                              "\" once a second and blinks DTR and RTS",
                          // A pseudo-terminal has no modem lines: said once, and the name goes on.
                          loopback + " identify: DTR could not be set, error 50",
                          loopback + " put back: done", "Stopped"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        SetUp();
        OpenTestOver(c.port);
        Click(IDC_IDENTIFY);
        ASSERT_TRUE(PumpUntil([this] { return Rows().size() >= 2 || Enabled(test_, IDC_START); }));
        if (!Enabled(test_, IDC_START))
            Click(IDC_IDENTIFY);  // Stop
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(c.rows, Rows());
        TearDown();
    }
}

// On a loopback Identify runs until stopped: Close must stop it, wait, and put the port back.
TEST_F(PortTestDialog, CloseDuringIdentifyEndsItAndTheDialog) {
    const std::string loopback = LoopbackPort();
    const std::string port = loopback.empty() ? "COM98" : loopback;
    OpenTestOver(port);
    Click(IDC_IDENTIFY);
    char text[16] = "";
    GetDlgItemTextA(test_, IDC_IDENTIFY, text, sizeof text);
    EXPECT_STREQ("&Stop", text);
    EXPECT_FALSE(Enabled(test_, IDC_START));
    Sleep(1500);
    DWORD closing = GetTickCount();
    Click(IDCANCEL);
    EXPECT_GT(2000u, GetTickCount() - closing);
    EXPECT_FALSE(IsWindowVisible(test_));
    HANDLE handle = CreateFileA(("\\\\.\\" + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(!loopback.empty(), handle != INVALID_HANDLE_VALUE) << "the port is free again";
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}

}  // namespace
