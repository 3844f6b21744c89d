// tests/app/port_check_dialog_test.cpp: the main dialog's Test button and the Port Test dialog
// (its tab order, Start, Repeat, Identify, Watch lines, Save and Close), run on a port that does
// not exist and, where KORVALIN_LOOPBACK_PORT names one, a loopback.
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <set>
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
    bool PumpUntil(Done done, DWORD limitMs = 30000) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < limitMs; Sleep(10)) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
            if (done())
                return true;
        }
        return false;
    }
    // Until Save is enabled again: the run has ended.
    bool WaitForRunEnd() {
        return PumpUntil([this] { return Enabled(test_, IDC_SAVE); });
    }
    std::string Text(int id) const {
        char text[256] = "";
        GetDlgItemTextA(test_, id, text, sizeof text);
        return text;
    }
    void Choose(int id, WPARAM choice) { SendDlgItemMessageA(test_, id, CB_SETCURSEL, choice, 0); }
    void Check(int id, bool on) {
        SendDlgItemMessageA(test_, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    LRESULT State(int id) const { return SendDlgItemMessageA(test_, id, BM_GETCHECK, 0, 0); }
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
        Choose(IDC_PLUG, 1);  // the data-only plug: a loopback plug sends data back
        size_t firstRunRows = 0;
        for (int run = 0; run < 2; ++run) {  // the second Start clears the first one's rows
            Click(IDC_START);
            EXPECT_EQ("&Stop", Text(IDC_START));
            for (int id : {IDC_IDENTIFY, IDC_PLUG, IDC_SPEEDS, IDC_REPEAT, IDC_WATCH, IDC_SAVE})
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
            EXPECT_EQ("&Start", Text(IDC_START));
            EXPECT_EQ(run == 0 ? rows.size() : firstRunRows, rows.size());
            firstRunRows = rows.size();
        }
        TearDown();
    }
}

// The plug, speeds and Repeat are chosen first, so they come first; then the buttons top to
// bottom, then the results. DTR and RTS join only while the lines are watched.
TEST_F(PortTestDialog, TabFollowsTheScreenFromThePlugToTheResults) {
    OpenTestOver("COM98");
    HWND at = GetNextDlgTabItem(test_, nullptr, FALSE);
    for (int id : {IDC_PLUG, IDC_SPEEDS, IDC_REPEAT, IDC_START, IDC_IDENTIFY, IDC_WATCH, IDC_SAVE,
                   IDCANCEL, IDC_TEST_RESULTS, IDC_PLUG}) {
        EXPECT_EQ(GetDlgItem(test_, id), at) << id;
        at = GetNextDlgTabItem(test_, at, FALSE);
    }
    EXPECT_EQ("9600 and fastest", Text(IDC_SPEEDS));
}

// Each letter underlined once: Alt and it reaches one control.
TEST_F(PortTestDialog, EveryAcceleratorIsItsOwn) {
    OpenTestOver("COM98");
    std::set<char> seen;
    for (HWND child = GetWindow(test_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[128] = "";
        GetWindowTextA(child, text, sizeof text);
        const char* amp = strchr(text, '&');
        if (amp && (GetWindowLongA(child, GWL_STYLE) & SS_NOPREFIX) == 0)
            EXPECT_TRUE(seen.insert(static_cast<char>(toupper(amp[1]))).second) << text;
    }
    EXPECT_LE(8u, seen.size());
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
         {IDC_TEST_PORT_NAME, IDC_PLUG, IDC_SPEEDS, IDC_REPEAT, IDC_START, IDC_IDENTIFY, IDC_WATCH,
          IDC_SAVE, IDCANCEL, IDC_CTS_LIGHT, IDC_RTS, IDC_TEST_COUNTS, IDC_TEST_RESULTS}) {
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
        ASSERT_TRUE(PumpUntil([this] { return Rows().size() >= 2 || Enabled(test_, IDC_SAVE); }));
        if (!Enabled(test_, IDC_SAVE))
            Click(IDC_IDENTIFY);  // Stop
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(c.rows, Rows());
        TearDown();
    }
}

// Repeat runs the checks until Stop, with the counts shown as they change; a port that is not
// there ends it at once.
TEST_F(PortTestDialog, RepeatRunsUntilStopShowingTheCounts) {
    struct Case {
        std::string port;
        bool runsOn;
        const char* lastRow;
    };
    std::vector<Case> cases = {{"COM98", false, "Not present"}};
    const std::string loopback = LoopbackPort();
    if (!loopback.empty())
        cases.push_back({loopback, true, "Stopped"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        SetUp();
        OpenTestOver(c.port);
        Choose(IDC_PLUG, 1);
        Check(IDC_REPEAT, true);
        Click(IDC_START);
        if (c.runsOn) {
            std::string first;
            ASSERT_TRUE(PumpUntil([&] { return !(first = Text(IDC_TEST_COUNTS)).empty(); }));
            EXPECT_NE(std::string::npos, first.find("runs")) << first;
            // The counts move on, and the run with them.
            ASSERT_TRUE(PumpUntil([&] { return Text(IDC_TEST_COUNTS) != first; }));
            EXPECT_EQ("&Stop", Text(IDC_START));
            EXPECT_FALSE(Enabled(test_, IDC_SAVE));
            DWORD stopping = GetTickCount();
            Click(IDC_START);
            ASSERT_TRUE(WaitForRunEnd());
            EXPECT_GT(1000u, GetTickCount() - stopping);
        }
        ASSERT_TRUE(WaitForRunEnd());
        EXPECT_EQ(c.lastRow, Rows().back());
        TearDown();
    }
}

// Watch lines: DTR and RTS can be set while it runs, the lights follow the port, and Stop puts
// it back. A pseudo-terminal has no modem lines: its lights read greyed, as they could not be
// read. Given modem lines (KORVALIN_WIRING, the stand-in wired CTS and RI to RTS, DSR and DCD to
// DTR), each box reaches the port and the lights show it.
TEST_F(PortTestDialog, WatchLinesLightsTheInputsAndSetsTheOutputs) {
    const std::string loopback = LoopbackPort();
    if (loopback.empty())
        GTEST_SKIP() << "no loopback port";
    const bool wired = getenv("KORVALIN_WIRING") != nullptr;
    OpenTestOver(loopback);
    EXPECT_FALSE(Enabled(test_, IDC_DTR));
    Click(IDC_WATCH);
    EXPECT_EQ("&Stop", Text(IDC_WATCH));
    for (int id : {IDC_START, IDC_IDENTIFY, IDC_SAVE})
        EXPECT_FALSE(Enabled(test_, id)) << id;
    for (int id : {IDC_DTR, IDC_RTS}) {
        EXPECT_TRUE(Enabled(test_, id)) << id;
        EXPECT_EQ(BST_CHECKED, State(id)) << id;  // on, as the open leaves them
    }
    struct Step {
        bool dtr, rts;
    };
    const Step steps[] = {{true, true}, {false, true}, {false, false}, {true, false}};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.dtr) + std::to_string(step.rts));
        if ((State(IDC_DTR) == BST_CHECKED) != step.dtr)
            Click(IDC_DTR);
        if ((State(IDC_RTS) == BST_CHECKED) != step.rts)
            Click(IDC_RTS);
        // CTS, DSR, DCD, RI
        const bool on[] = {step.rts, step.dtr, step.dtr, step.rts};
        auto lit = [&] {
            for (int light = 0; light < 4; ++light) {
                LRESULT want = !wired ? BST_INDETERMINATE : on[light] ? BST_CHECKED : BST_UNCHECKED;
                if (State(IDC_CTS_LIGHT + light) != want)
                    return false;
            }
            return true;
        };
        EXPECT_TRUE(PumpUntil(lit, 3000));
    }
    Click(IDC_WATCH);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ("Stopped", Rows().back());
    EXPECT_EQ("&Watch lines", Text(IDC_WATCH));
    EXPECT_FALSE(Enabled(test_, IDC_RTS));
    for (int id = IDC_CTS_LIGHT; id <= IDC_RI_LIGHT; ++id)
        EXPECT_EQ(BST_UNCHECKED, State(id)) << id;
}

// Save writes the port line and the list's rows to the next TESTnnnn.TXT in CR LF, each line
// within 80 columns, and says where in a box the dialog owns.
TEST_F(PortTestDialog, SaveWritesTheListAndSaysWhere) {
    const std::string loopback = LoopbackPort();
    OpenTestOver(loopback.empty() ? "COM98" : loopback);
    Choose(IDC_PLUG, 2);  // the full plug: its signal lines are the longest
    Click(IDC_START);
    ASSERT_TRUE(WaitForRunEnd());
    std::vector<std::string> shown = Rows();
    shown.insert(shown.begin(), Text(IDC_TEST_PORT_NAME));
    std::vector<std::string> paths;
    for (int save = 0; save < 2; ++save) {
        ActivationSpy spy(IDOK, test_);
        Click(IDC_SAVE);
        ASSERT_EQ(1u, spy.seen().size());
        EXPECT_EQ(test_, spy.seen()[0].owner);
        const std::string text = spy.seen()[0].text;
        const size_t in = text.find(" in "), end = text.rfind('.');
        ASSERT_TRUE(text.find("saved") != std::string::npos && in < end) << text;
        paths.push_back(text.substr(in + 4, end - in - 4));
    }
    ASSERT_EQ(paths[0].size(), paths[1].size());
    EXPECT_EQ("TXT", paths[0].substr(paths[0].size() - 3));
    EXPECT_NE(paths[0], paths[1]) << "each Save takes the next number";
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        std::ifstream file(path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            ASSERT_EQ('\r', line.empty() ? 0 : line.back()) << line;
            line.pop_back();
            EXPECT_GE(80u, line.size()) << line;
            if (line.compare(0, 2, "  ") == 0 && !lines.empty())
                lines.back() += " " + line.substr(2);  // a wrapped line goes on two spaces in
            else
                lines.push_back(line);
        }
        EXPECT_EQ(shown, lines);
        file.close();
        DeleteFileA(path.c_str());
    }
}

// On a loopback Identify and a repeated test run until stopped: Close must stop either within a
// second, and put the port back.
TEST_F(PortTestDialog, CloseDuringARunEndsItAndTheDialog) {
    const std::string loopback = LoopbackPort();
    const std::string port = loopback.empty() ? "COM98" : loopback;
    for (int button : {IDC_IDENTIFY, IDC_START}) {
        SCOPED_TRACE(button);
        SetUp();
        OpenTestOver(port);
        Choose(IDC_PLUG, 1);
        Check(IDC_REPEAT, true);
        Click(button);
        EXPECT_EQ("&Stop", Text(button));
        EXPECT_FALSE(Enabled(test_, button == IDC_START ? IDC_IDENTIFY : IDC_START));
        PumpUntil([] { return false; }, 1500);
        DWORD closing = GetTickCount();
        Click(IDCANCEL);
        EXPECT_GT(1000u, GetTickCount() - closing);
        EXPECT_FALSE(IsWindowVisible(test_));
        HANDLE handle = CreateFileA(("\\\\.\\" + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(!loopback.empty(), handle != INVALID_HANDLE_VALUE) << "the port is free again";
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
        TearDown();
    }
}

}  // namespace
