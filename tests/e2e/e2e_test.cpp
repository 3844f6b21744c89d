// tests/e2e/e2e_test.cpp: the real korvalin.exe over the test machine's registry, driven from
// outside as a user would, then the registry and the maker's files checked.
//
// This program is the driver: it starts korvalin.exe and works its windows with SendMessage
// and PostMessage only.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "app/texts.h"
#include "commit/undo_folder.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

const char kMakersInf[] = "[Manufacturer]\r\n%Prov%=VarnakTessalineBoard\r\n";
const DWORD kPatience = 20000;  // Wine in a virtual display can take seconds per window

// Rows of the test machine, every board expanded: 4 the Marrowlink M1/M2, then the other
// three of the maker's boards; 15 the Tessaline 16's direct port COM11, its child ports below.
const LRESULT kFirstMakersBoardRow = 4;
const LRESULT kTessaline16PortRow = 15;

struct Search {
    DWORD processId;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    Search* search = reinterpret_cast<Search*>(lParam);
    DWORD processId = 0;
    char caption[128] = "";
    GetWindowThreadProcessId(window, &processId);
    GetWindowTextA(window, caption, sizeof caption);
    if (processId == search->processId && IsWindowVisible(window) &&
        strcmp(caption, search->caption) == 0)
        search->found = window;
    return search->found == nullptr;
}

class EndToEnd : public ::testing::Test {
  protected:
    virtual const char* Fixture() const { return "machine.reg"; }
    void SetUp() override {
        ASSERT_TRUE(LoadFixtureFile(Fixture()));
        before_ = ExportTestRegistry();
        files_ = {dirs_.Write(dirs_.inf, "oem990.inf", kMakersInf),
                  dirs_.Write(dirs_.other, "tessal16.inf", kMakersInf)};
        for (const char* name :
             {"quorvane.vxd", "quorvane.dll", "quorvane.hlp", "brisquel.vxd", "halvetor.dll"})
            files_.push_back(dirs_.Write(dirs_.system, name, "x"));
        othersFiles_ = {dirs_.Write(dirs_.inf, "oem991.inf", "[Manufacturer]\r\n%M%=Others\r\n"),
                        dirs_.Write(dirs_.system, "korvalin-serial.vxd", "x")};

        std::string command = KORVALIN_EXE;
        command = "\"Z:" + command + "\"";
        for (char& c : command)
            c = c == '/' ? '\\' : c;
        STARTUPINFOA startup = {sizeof startup};
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process_))
            << command;
        dialog_ = WaitForWindow("Marrowlink M1/M2 & Varnak TessalineBoard Adapters");
        ASSERT_TRUE(dialog_ != nullptr);
    }
    void TearDown() override {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            ADD_FAILURE() << "korvalin.exe was still running";
            TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        ClearTestRegistry();
    }

    HWND WaitForWindow(const char* caption) {
        Search search = {process_.dwProcessId, caption, nullptr};
        for (DWORD waited = 0; !search.found && waited < kPatience; waited += 50) {
            Sleep(50);
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        }
        EXPECT_TRUE(search.found != nullptr) << "no window \"" << caption << "\"";
        return search.found;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(
            SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &result));
        return static_cast<LRESULT>(result);
    }
    void ClickRow(LRESULT row) {
        Send(Item(IDC_PORT_LIST), LB_SETCURSEL, row);
        Send(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PORT_LIST, LBN_SELCHANGE),
             reinterpret_cast<LPARAM>(Item(IDC_PORT_LIST)));
    }
    std::string NameText() {
        char text[32] = "";
        Send(Item(IDC_PORT_NAME), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void TypeNameAndEnter(const char* name) {
        Send(Item(IDC_PORT_NAME), EM_SETSEL, 0, -1);
        for (const char* c = name; *c; ++c)
            Send(Item(IDC_PORT_NAME), WM_CHAR, static_cast<unsigned char>(*c), 1);
        Send(Item(IDC_PORT_NAME), WM_KEYDOWN, VK_RETURN, 1);
    }
    void RemoveTheMakersBoards() {
        for (int board = 0; board < 4; ++board) {
            // A Remove within the double-click time of the last one is taken for the second
            // click of a double-click, and ignored: a user's next Remove comes later.
            if (board > 0)
                Sleep(GetDoubleClickTime() + 50);
            ClickRow(kFirstMakersBoardRow);  // each removed board's successor moves up here
            Send(Item(IDC_REMOVE), BM_CLICK, 0);
        }
        EXPECT_EQ(4, Send(Item(IDC_PORT_LIST), LB_GETCOUNT, 0));
    }
    // OK (or Cancel), then the restart prompt answered when `restartAnswer` is not 0; the
    // utility must end with exit code 0.
    void Close(int button, int restartAnswer) {
        PostMessageA(Item(button), BM_CLICK, 0, 0);
        if (restartAnswer) {
            HWND prompt = WaitForWindow("System Settings Change");
            PostMessageA(GetDlgItem(prompt, restartAnswer), BM_CLICK, 0, 0);
        }
        DWORD exitCode = 99;
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, kPatience));
        GetExitCodeProcess(process_.hProcess, &exitCode);
        EXPECT_EQ(0u, exitCode);
    }
    void ExpectMakersFilesDeleted(bool deleted) {
        for (const std::string& file : files_)
            EXPECT_EQ(deleted, !dirs_.Exists(file)) << file;
        for (const std::string& file : othersFiles_)
            EXPECT_TRUE(dirs_.Exists(file)) << file;
    }

    ScratchDirectories dirs_;
    std::vector<std::string> files_, othersFiles_;
    std::string before_;
    PROCESS_INFORMATION process_ = {};
    HWND dialog_ = nullptr;
};

TEST_F(EndToEnd, RenameEnumeratesAcrossDirectAndChildPorts) {
    ClickRow(kTessaline16PortRow);
    ASSERT_EQ("COM11", NameText());
    TypeNameAndEnter("COM40");
    Close(IDOK, IDNO);
    EXPECT_EQ(ReadFixtureText("machine_renamed_tessaline16.expected.reg"), ExportTestRegistry());
    ExpectMakersFilesDeleted(false);
}

TEST_F(EndToEnd, RemovingTheMakersLastBoardTakesItsFilesAndOffersTheRestart) {
    RemoveTheMakersBoards();
    Close(IDOK, IDNO);
    EXPECT_EQ(ReadFixtureText("machine_makers_boards_removed.expected.reg"), ExportTestRegistry());
    ExpectMakersFilesDeleted(true);
}

TEST_F(EndToEnd, CancelAfterChangesWritesAndDeletesNothing) {
    ClickRow(kTessaline16PortRow);
    TypeNameAndEnter("COM40");
    RemoveTheMakersBoards();
    Close(IDCANCEL, 0);
    EXPECT_EQ(before_, ExportTestRegistry());
    ExpectMakersFilesDeleted(false);
}

// The demo machine, whose PC Card modem holds COM14: renaming port 3 of the Tessaline 16 Port
// to COM5 gives it COM13, then passes over the modem's COM14 and the legacy board's COM16.
class EndToEndDemo : public EndToEnd {
  protected:
    const char* Fixture() const override { return "demo.reg"; }
};

TEST_F(EndToEndDemo, ApplyPassesOverAnotherDevicesName) {
    const LRESULT port3Row = 17;
    ClickRow(port3Row);
    ASSERT_EQ("COM21", NameText());
    TypeNameAndEnter("COM5");
    const char* const expected[] = {"COM13", "COM15", "COM17", "COM18"};
    for (LRESULT i = 0; i < 4; ++i) {
        ClickRow(port3Row + i);
        EXPECT_EQ(expected[i], NameText()) << "port " << 3 + i;
    }
    Close(IDOK, IDNO);
    EXPECT_EQ(std::string("COM15") + '\0',
              PortNameBytes("Enum\\MF\\CHILD0002\\ISAPNP&QVX3C63002&9F8E7D6C"));
    EXPECT_EQ(std::string("COM14") + '\0', PortNameBytes("Enum\\PCMCIA\\BRIGHTWELL-DF288-4C1A\\1"));
}

// Runs a command line in `directory` and waits for it; its exit code.
DWORD RunIn(const std::string& directory, std::string command) {
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    DWORD exitCode = 99;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &process))
        return exitCode;
    WaitForSingleObject(process.hProcess, kPatience);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return exitCode;
}

// The undo folders live in the prefix's Windows directory; each case starts without any.
class EndToEndUndo : public EndToEnd {
  protected:
    void SetUp() override {
        parent_ = dirs_.windows + "\\" + kUndoParentFolder;
        RunIn(dirs_.windows, "cmd /c rmdir /s /q " + parent_);
        DeleteFileA(parent_.c_str());
        EndToEnd::SetUp();
    }
    void TearDown() override {
        EndToEnd::TearDown();
        RunIn(dirs_.windows, "cmd /c rmdir /s /q " + parent_);
        DeleteFileA(parent_.c_str());
    }
    // What the user does to go back: UNDO.BAT, from any folder, copies the files back and
    // imports UNDO.REG with Wine's own regedit.
    void Undo() {
        const std::string folder = parent_ + "\\UNDO0001";
        ASSERT_TRUE(dirs_.Exists(folder + "\\" + kUndoRegistryFile)) << folder;
        // Its twin for real-mode DOS, written with Windows' own short names: lines DOS takes
        // whole, without quotes, ending in the import.
        std::string dos;
        char buffer[4096];
        DWORD got = 0;
        HANDLE file = CreateFileA((folder + "\\" + kUndoDosBatchFile).c_str(), GENERIC_READ, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        while (file != INVALID_HANDLE_VALUE &&
               ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            dos.append(buffer, got);
        CloseHandle(file);
        EXPECT_EQ(std::string::npos, dos.find('"')) << dos;
        EXPECT_NE(std::string::npos, dos.find("\r\nREGEDIT /L:")) << dos;
        for (size_t start = 0, end; (end = dos.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            EXPECT_LE(end - start, 127u) << dos;
        // Started from elsewhere by its full path, it finds its files all the same.
        EXPECT_EQ(0u, RunIn(dirs_.windows, "cmd /c " + folder + "\\" + kUndoBatchFile));
        EXPECT_EQ(before_, ExportTestRegistry());
        ExpectMakersFilesDeleted(false);
    }
    std::string parent_;
};

TEST_F(EndToEndUndo, UndoFolderPutsBackRenamedPorts) {
    ClickRow(kTessaline16PortRow);
    TypeNameAndEnter("COM40");
    Close(IDOK, IDNO);
    EXPECT_NE(before_, ExportTestRegistry());
    Undo();
}

TEST_F(EndToEndUndo, UndoFolderPutsBackRemovedBoardsAndTheirFiles) {
    RemoveTheMakersBoards();
    Close(IDOK, IDNO);
    ExpectMakersFilesDeleted(true);
    Undo();
}

TEST_F(EndToEndUndo, UndoFolderThatCannotBeWrittenChangesNothingAndKeepsTheDialog) {
    dirs_.Write(dirs_.windows, kUndoParentFolder, "a file where the folder must go");
    RemoveTheMakersBoards();
    PostMessageA(Item(IDOK), BM_CLICK, 0, 0);
    HWND box = WaitForWindow(kMessageCaption);
    ASSERT_TRUE(box != nullptr);
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text control
    EXPECT_NE(nullptr, strstr(text, (parent_ + "\\UNDO0001").c_str())) << text;
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    for (DWORD waited = 0; IsWindow(box) && waited < kPatience; waited += 50)
        Sleep(50);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(before_, ExportTestRegistry());
    ExpectMakersFilesDeleted(false);
    Close(IDCANCEL, 0);
    EXPECT_EQ(before_, ExportTestRegistry());
}

// A driver file another program holds with no sharing: OK says which file and why, leaves no
// undo folder and keeps the dialog; once the holder lets go, OK again goes through.
TEST_F(EndToEndUndo, HeldDriverFileIsNamedAndOkGoesThroughOnceItIsClosed) {
    RemoveTheMakersBoards();
    {
        HeldFile holder(dirs_.system + "\\quorvane.vxd", true);
        PostMessageA(Item(IDOK), BM_CLICK, 0, 0);
        HWND box = WaitForWindow(kMessageCaption);
        ASSERT_TRUE(box != nullptr);
        char text[512] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_NE(nullptr, strstr(text,
                                  "quorvane.vxd could not be copied: another program holds "
                                  "it open (error 32), so nothing has been changed.\n\n"
                                  "Close it and press OK again, or press Cancel."))
            << text;
        PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        for (DWORD waited = 0; IsWindow(box) && waited < kPatience; waited += 50)
            Sleep(50);
    }
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_FALSE(dirs_.Exists(parent_));
    EXPECT_EQ(before_, ExportTestRegistry());
    ExpectMakersFilesDeleted(false);
    Close(IDOK, IDNO);
    ExpectMakersFilesDeleted(true);
    Undo();
}

// Yes makes a real restart request, so this runs only in a Wine prefix of its own (see
// CMakeLists.txt). A window of this program notes the session-end query Wine sends for the
// request, and refuses it, so nothing else in the prefix is ended either.
bool g_sessionEndQueried;

LRESULT CALLBACK SessionWatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        g_sessionEndQueried = true;
        return FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI SessionWatcher(void*) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SessionWatcherProc;
    windowClass.lpszClassName = "KorvalinSessionWatcher";
    RegisterClassA(&windowClass);
    CreateWindowA(windowClass.lpszClassName, "", WS_OVERLAPPED, 0, 0, 9, 9, nullptr, nullptr,
                  nullptr, nullptr);
    for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;)
        DispatchMessageA(&message);
    return 0;
}

using EndToEndRestart = EndToEnd;

TEST_F(EndToEndRestart, YesRequestsTheRestart) {
    CloseHandle(CreateThread(nullptr, 0, SessionWatcher, nullptr, 0, nullptr));
    RemoveTheMakersBoards();
    Close(IDOK, IDYES);
    for (int waited = 0; !g_sessionEndQueried && waited < 200; ++waited)
        Sleep(50);
    EXPECT_TRUE(g_sessionEndQueried);
    EXPECT_EQ(ReadFixtureText("machine_makers_boards_removed.expected.reg"), ExportTestRegistry());
}

// /restart only asks: Windows sends the session-end query after ExitWindowsEx has returned, and
// a program may refuse it, as the watcher here does. The log says what is known.
TEST(EndToEndRestartCommandLine, RestartLineSaysWindowsWasAskedEvenWhenAProgramRefuses) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    ScratchDirectories dirs;
    g_sessionEndQueried = false;
    CloseHandle(CreateThread(nullptr, 0, SessionWatcher, nullptr, 0, nullptr));
    std::string program = std::string("Z:") + KORVALIN_EXE;
    for (char& c : program)
        c = c == '/' ? '\\' : c;
    const std::string log = dirs.windows + "\\KVRESTRT.LOG";
    EXPECT_EQ(0u, RunIn(dirs.windows, "\"" + program + "\" /remove ALL /ok /restart /log " + log));
    for (int waited = 0; !g_sessionEndQueried && waited < 200; ++waited)
        Sleep(50);
    EXPECT_TRUE(g_sessionEndQueried);
    std::string text;
    HANDLE file =
        CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    for (DWORD got = 0; ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0;)
        text.append(buffer, got);
    CloseHandle(file);
    EXPECT_NE(std::string::npos, text.find("\r\nResult: done, Windows was asked to restart\r\n"))
        << text;
    EXPECT_EQ(ReadFixtureText("machine_makers_boards_removed.expected.reg"), ExportTestRegistry());
    DeleteFileA(log.c_str());
    RunIn(dirs.windows, "cmd /c rmdir /s /q " + dirs.windows + "\\" + kUndoParentFolder);
    ClearTestRegistry();
}

// At the restart WININIT.EXE (wineboot -r under Wine, which carries out WININIT.INI alike:
// each NUL= line deletes its file, and the file becomes WININIT.BAK) deletes what /ok left
// there, once the program that held it has let go, and the entries already there with it.
TEST(EndToEndRestartWininit, HeldFileIsDeletedAtTheRestart) {
    ASSERT_TRUE(LoadFixtureText("REGEDIT4\n"));  // no board of the maker's: its files go
    ScratchDirectories dirs;
    const std::string held = dirs.Write(dirs.system, "quorvane.dll", "in use");
    const std::string theirs = dirs.Write(dirs.windows, "kvtheirs.tmp", "x");
    char theirsShort[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameA(theirs.c_str(), theirsShort, sizeof theirsShort));
    const std::string wininit = dirs.windows + "\\WININIT.INI";
    dirs.Write(dirs.windows, "WININIT.INI", std::string("[rename]\r\nNUL=") + theirsShort + "\r\n");
    std::string program = std::string("Z:") + KORVALIN_EXE;
    for (char& c : program)
        c = c == '/' ? '\\' : c;
    {
        HeldFile holder(held);
        EXPECT_EQ(4u, RunIn(dirs.windows,
                            "\"" + program + "\" /ok /log " + dirs.windows + "\\KVTEST.LOG"));
        EXPECT_TRUE(dirs.Exists(held));
    }
    EXPECT_TRUE(dirs.Exists(held)) << "deleted before the restart";
    EXPECT_EQ(0u, RunIn(dirs.windows, "wineboot.exe -r"));
    EXPECT_FALSE(dirs.Exists(held));
    EXPECT_FALSE(dirs.Exists(theirs));
    EXPECT_FALSE(dirs.Exists(wininit));
    EXPECT_TRUE(dirs.Exists(dirs.windows + "\\WININIT.BAK"));
    DeleteFileA((dirs.windows + "\\WININIT.BAK").c_str());
    DeleteFileA((dirs.windows + "\\KVTEST.LOG").c_str());
    RunIn(dirs.windows, "cmd /c rmdir /s /q " + dirs.windows + "\\" + kUndoParentFolder);
    ClearTestRegistry();
}

}  // namespace
