// tests/e2e/e2e_test.cpp: the real korvalin.exe over the demo registry, driven from outside
// the way a user would, then the registry and the maker's files checked.
//
// This program is the driver: it starts korvalin.exe, finds its windows with EnumWindows and
// works them with SendMessage and PostMessage only.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

const char kMainCaption[] = "Marrowlink M1/M2 & Varnak TessalineBoard Adapters";
const char kRestartCaption[] = "System Settings Change";
const char kMakersInf[] = "[Manufacturer]\r\n%Prov%=VarnakTessalineBoard\r\n";
const char kOthersInf[] = "[Manufacturer]\r\n%Mfg%=Others\r\n";
const char* const kDriverFiles[] = {"quorvane.vxd", "quorvane.dll", "quorvane.hlp", "brisquel.vxd",
                                    "halvetor.dll"};
const DWORD kWindowWait = 20000;  // Wine under a virtual display can take seconds per window

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    return path;
}

std::string ReadFixture(const char* name) {
    std::string text;
    FILE* file = fopen(FixturePath(name).c_str(), "rb");
    EXPECT_NE(nullptr, file) << name;
    if (file == nullptr)
        return text;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    fclose(file);
    std::string unix;
    for (char c : text)
        if (c != '\r')
            unix += c;
    return unix;
}

struct FoundWindow {
    DWORD processId;
    const char* caption;
    HWND except;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    FoundWindow* search = reinterpret_cast<FoundWindow*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (processId == search->processId && window != search->except && IsWindowVisible(window) &&
        strcmp(caption, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// korvalin.exe as a user sees it.
class Korvalin {
  public:
    ~Korvalin() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                ADD_FAILURE() << "korvalin.exe was still running";
                TerminateProcess(process_.hProcess, 1);
                WaitForSingleObject(process_.hProcess, 5000);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }

    bool Start() {
        std::string command = "\"" + WindowsPath(KORVALIN_EXE) + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_)) {
            ADD_FAILURE() << "cannot start " << command << ": error " << GetLastError();
            return false;
        }
        dialog_ = WaitForWindow(kMainCaption, nullptr);
        return dialog_ != nullptr;
    }

    HWND WaitForWindow(const char* caption, HWND except) {
        for (DWORD waited = 0; waited < kWindowWait; waited += 50) {
            FoundWindow search = {process_.dwProcessId, caption, except, nullptr};
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            if (search.found)
                return search.found;
            Sleep(50);
        }
        ADD_FAILURE() << "no window \"" << caption << "\" came up";
        return nullptr;
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }

    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(
            SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result))
            << "korvalin.exe did not answer message " << message;
        return static_cast<LRESULT>(result);
    }

    // A click on a row.
    void SelectRow(LRESULT row) {
        HWND list = Item(IDC_PORT_LIST);
        Send(list, LB_SETCURSEL, row, 0);
        Send(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PORT_LIST, LBN_SELCHANGE),
             reinterpret_cast<LPARAM>(list));
    }

    std::string NameText() {
        char text[64] = "";
        Send(Item(IDC_PORT_NAME), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Types over the whole field, then presses Enter in it.
    void TypeNameAndEnter(const char* name) {
        HWND edit = Item(IDC_PORT_NAME);
        Send(edit, EM_SETSEL, 0, -1);
        for (const char* c = name; *c; ++c)
            Send(edit, WM_CHAR, static_cast<unsigned char>(*c), 1);
        Send(edit, WM_KEYDOWN, VK_RETURN, 1);
    }

    void Click(int id) { Send(Item(id), BM_CLICK, 0, 0); }
    // For buttons that open modal windows: the click must not wait for them.
    void ClickLater(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }
    void PressOk() { ClickLater(Item(IDOK)); }
    void AnswerRestart(int button) {
        HWND prompt = WaitForWindow(kRestartCaption, dialog_);
        ASSERT_TRUE(prompt != nullptr);
        ClickLater(GetDlgItem(prompt, button));
    }

    bool Ended(DWORD* exitCode) {
        if (WaitForSingleObject(process_.hProcess, kWindowWait) != WAIT_OBJECT_0)
            return false;
        GetExitCodeProcess(process_.hProcess, exitCode);
        return true;
    }

    HWND dialog() const { return dialog_; }

  private:
    PROCESS_INFORMATION process_ = {};
    HWND dialog_ = nullptr;
};

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dirs_.ok());
        std::string error;
        ASSERT_TRUE(LoadFixtureFile("demo.reg", &error)) << error;
        before_ = ExportTestRegistry();
        makersInf_ = dirs_.Write(dirs_.inf, "oem990.inf", kMakersInf);
        othersInf_ = dirs_.Write(dirs_.inf, "oem991.inf", kOthersInf);
        makersOtherInf_ = dirs_.Write(dirs_.other, "tessal16.inf", kMakersInf);
        for (const char* name : kDriverFiles)
            drivers_.push_back(dirs_.Write(dirs_.system, name, "driver"));
        serial_ = dirs_.Write(dirs_.system, "korvalin-serial.vxd", "driver");
        ASSERT_TRUE(app_.Start());
    }
    void TearDown() override { ClearTestRegistry(); }

    void ExpectMakersFilesDeleted(bool deleted) {
        EXPECT_EQ(deleted, !dirs_.Exists(makersInf_));
        EXPECT_EQ(deleted, !dirs_.Exists(makersOtherInf_));
        for (const std::string& driver : drivers_)
            EXPECT_EQ(deleted, !dirs_.Exists(driver)) << driver;
        EXPECT_TRUE(dirs_.Exists(othersInf_));
        EXPECT_TRUE(dirs_.Exists(serial_));
    }

    ScratchDirectories dirs_;
    std::string before_;
    std::string makersInf_, othersInf_, makersOtherInf_, serial_;
    std::vector<std::string> drivers_;
    Korvalin app_;
};

// Rows of the demo registry, every board expanded: 0 COM1's board, 2 COM2's, 4 the Marrowlink
// M1/M2, 6 the Marrowlink PnP (7 COM5, 8 COM6), 9 the Tessaline 4/8 (10..13), 14 the
// Tessaline 16 with 15 COM11 and its sixteen child ports below.
const LRESULT kTessaline16DirectPortRow = 15;
const LRESULT kFirstMakersBoardRow = 4;

TEST_F(EndToEnd, RenameEnumeratesAcrossDirectAndChildPorts) {
    app_.SelectRow(kTessaline16DirectPortRow);
    ASSERT_EQ("COM11", app_.NameText());
    app_.TypeNameAndEnter("COM40");
    EXPECT_EQ("COM40", app_.NameText());
    app_.PressOk();
    app_.AnswerRestart(IDNO);
    DWORD exitCode = 99;
    ASSERT_TRUE(app_.Ended(&exitCode));
    EXPECT_EQ(0u, exitCode);

    EXPECT_EQ(ReadFixture("demo_renamed_tessaline16.expected.reg"), ExportTestRegistry());
    ExpectMakersFilesDeleted(false);
}

TEST_F(EndToEnd, RemovingTheLastOfTheMakersBoardsTakesItsFilesAndOffersTheRestart) {
    // Each removal lands the selection elsewhere; the next of the maker's boards then sits
    // where the removed one was.
    for (int board = 0; board < 4; ++board) {
        SCOPED_TRACE(board);
        app_.SelectRow(kFirstMakersBoardRow);
        ASSERT_TRUE(IsWindowEnabled(app_.Item(IDC_REMOVE)));
        app_.Click(IDC_REMOVE);
    }
    EXPECT_EQ(4, app_.Send(app_.Item(IDC_PORT_LIST), LB_GETCOUNT, 0, 0));
    app_.PressOk();
    app_.AnswerRestart(IDNO);
    DWORD exitCode = 99;
    ASSERT_TRUE(app_.Ended(&exitCode));
    EXPECT_EQ(0u, exitCode);

    EXPECT_EQ(ReadFixture("demo_makers_boards_removed.expected.reg"), ExportTestRegistry());
    ExpectMakersFilesDeleted(true);
}

TEST_F(EndToEnd, CancelAfterChangesWritesAndDeletesNothing) {
    app_.SelectRow(kTessaline16DirectPortRow);
    app_.TypeNameAndEnter("COM40");
    for (int board = 0; board < 4; ++board) {
        app_.SelectRow(kFirstMakersBoardRow);
        app_.Click(IDC_REMOVE);
    }
    app_.ClickLater(app_.Item(IDCANCEL));
    DWORD exitCode = 99;
    ASSERT_TRUE(app_.Ended(&exitCode));
    EXPECT_EQ(0u, exitCode);

    EXPECT_EQ(before_, ExportTestRegistry());
    ExpectMakersFilesDeleted(false);
}

}  // namespace

namespace {

// Yes makes a real restart request: run only in a Wine prefix of its own, which the request
// may end (see CMakeLists.txt). A window of this program notes the session-end query that
// Wine sends for it, and refuses it, so the rest of the prefix's programs go on.
bool g_sessionEndQueried;

LRESULT CALLBACK SessionWatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        g_sessionEndQueried = true;
        return FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI SessionWatcher(void* ready) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SessionWatcherProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KorvalinSessionWatcher";
    RegisterClassA(&windowClass);
    CreateWindowA("KorvalinSessionWatcher", "session watcher", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                  nullptr, windowClass.hInstance, nullptr);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

using EndToEndRestart = EndToEnd;

TEST_F(EndToEndRestart, YesRequestsTheRestartAndEndsTheUtility) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE watcher = CreateThread(nullptr, 0, SessionWatcher, ready, 0, nullptr);
    WaitForSingleObject(ready, 5000);

    app_.SelectRow(kFirstMakersBoardRow);
    app_.Click(IDC_REMOVE);
    app_.PressOk();
    app_.AnswerRestart(IDYES);
    DWORD exitCode = 99;
    ASSERT_TRUE(app_.Ended(&exitCode));
    for (int waited = 0; waited < 200 && !g_sessionEndQueried; ++waited)
        Sleep(50);
    EXPECT_TRUE(g_sessionEndQueried);
    EXPECT_FALSE(KeyExists("Enum\\Root\\Ports\\0000"));
    CloseHandle(watcher);
    CloseHandle(ready);
}

}  // namespace
