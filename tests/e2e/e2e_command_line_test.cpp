// tests/e2e/e2e_command_line_test.cpp: the real korvalin.exe started with a command line over
// the test machine's registry: its standard output, its exit code, the registry after it, and the
// dialog it opens with the changes already made.
#include <stdlib.h>

#include <algorithm>

#include "app/resource.h"
#include "tests/commit/commit_test_support.h"
#include "tests/e2e/e2e_command_line.h"

namespace {

TEST_F(EndToEndCommandLine, ListGoesToStandardOutput) {
    EXPECT_EQ(0u, Run("/list -"));
    EXPECT_EQ(ReadFixtureText("machine.list.txt"), output_);
}

// The program's own start-up takes its name off the command line, quoted and holding blanks,
// and every line it writes ends in CR LF.
TEST_F(EndToEndCommandLine, ProgramInAFolderWithBlanksReadsItsArgumentsAndWritesCrLf) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "korvalin with blanks";
    const std::string program = folder + "\\korvalin.exe";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string built = std::string("Z:") + KORVALIN_EXE;
    ASSERT_TRUE(CopyFileA(built.c_str(), program.c_str(), FALSE)) << program;
    EXPECT_EQ(0u, Run("  /list -  ", program));
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
    std::string expected;
    for (char c : ReadFixtureText("machine.list.txt"))
        expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(expected, raw_);
}

TEST_F(EndToEndCommandLine, RefusedRenameChangesNothingAndEndsWithTwo) {
    EXPECT_EQ(2u, Run("/rename COM11=COM40 COM7=COM1 /single /ok /log -"));
    EXPECT_EQ("COM Port=[COM1] is already being used!\nResult: refused\n", output_);
    EXPECT_EQ(before_, ExportTestRegistry());
}

TEST_F(EndToEndCommandLine, BadCommandLineEndsWithOneAndSaysWhy) {
    EXPECT_EQ(1u, Run("/ok /single /log -"));
    EXPECT_EQ("/single needs /rename\nResult: bad command line\n", output_);
    EXPECT_EQ(before_, ExportTestRegistry());
}

// The list holds records, not texts: selecting a port row shows its name in the name field,
// as it does for a user.
TEST_F(EndToEndCommandLine, RenameAloneOpensTheDialogWithTheChangesMade) {
    HANDLE readEnd = nullptr;
    Start("/rename COM11=COM40 /remove 3C2B1A", &readEnd);
    CloseHandle(readEnd);
    HWND dialog = WaitUntilShown(kDialogCaption);
    ASSERT_TRUE(dialog != nullptr);
    HWND list = GetDlgItem(dialog, IDC_PORT_LIST);
    // The test machine's 32 rows less the Marrowlink PnP M1/M2 and its two ports.
    EXPECT_EQ(29, Send(list, LB_GETCOUNT, 0));
    const struct {
        LRESULT row;
        const char* name;
    } rows[] = {{7, "COM7"}, {12, "COM40"}, {13, "COM41"}, {28, "COM56"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        Send(list, LB_SETCURSEL, r.row);
        Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_PORT_LIST, LBN_SELCHANGE),
             reinterpret_cast<LPARAM>(list));
        char text[32] = "";
        Send(GetDlgItem(dialog, IDC_PORT_NAME), WM_GETTEXT, sizeof text,
             reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(r.name, text);
    }
    PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(0u, ExitCode());
    EXPECT_EQ(before_, ExportTestRegistry());
}

// Refused before the list is filled: the dialog is never shown, only the refusal.
TEST_F(EndToEndCommandLine, RefusedRenameAloneShowsWhyAndOpensNothing) {
    HANDLE readEnd = nullptr;
    Start("/rename COM7=COM1 /single", &readEnd);
    CloseHandle(readEnd);
    HWND box = WaitUntilShown(kBoxCaption);
    ASSERT_TRUE(box != nullptr);
    char text[128] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_STREQ("COM Port=[COM1] is already being used!", text);
    HWND dialog = FindWindowA(nullptr, kDialogCaption);
    EXPECT_TRUE(dialog == nullptr || !IsWindowVisible(dialog));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(2u, ExitCode());
    EXPECT_EQ(before_, ExportTestRegistry());
}

// /test without /log: however many ports ALL finds, a box of a line per port that fits a
// 640x480 screen, then how many more, the result, and where every check's line is to be had.
TEST_F(EndToEndCommandLine, TestWithoutALogShowsALinePerPortInABoxThatFitsTheScreen) {
    HANDLE readEnd = nullptr;
    Start("/test ALL", &readEnd);
    CloseHandle(readEnd);
    HWND box = WaitUntilShown(kBoxCaption);
    ASSERT_TRUE(box != nullptr);
    char text[2048] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    RECT rect = {};
    GetWindowRect(box, &rect);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(7u, ExitCode());
    const std::string shown = text;
    EXPECT_EQ(0u, shown.find("COM1: not present\nCOM2: not present\n")) << shown;
    const std::string end =
        "\nand 2 more ports\nResult: a port is not present\n/log FILE writes every check's line.";
    ASSERT_GE(shown.size(), end.size());
    EXPECT_EQ(end, shown.substr(shown.size() - end.size())) << shown;
    EXPECT_EQ(26, std::count(shown.begin(), shown.end(), '\n')) << shown;
    EXPECT_LE(rect.right - rect.left, 640);
    EXPECT_LE(rect.bottom - rect.top, 480);
    EXPECT_EQ(before_, ExportTestRegistry());
}

}  // namespace

// The preview lists the changes and changes nothing; /ok then makes them, leaves its undo folder
// and ends with 4 when Windows must restart, 0 when it need not.
TEST_F(EndToEndCommandLine, PreviewThenOkEndWithTheirCodes) {
    EXPECT_EQ(0u, Run("/rename COM21=COM5 /preview - /log -"));
    EXPECT_NE(std::string::npos,
              output_.find("write PORTNAME in HKEY_LOCAL_MACHINE\\Enum\\MF\\CHILD0001\\"
                           "ISAPNP&QVX3C63002&9F8E7D6C: COM21 -> COM13\n"))
        << output_;
    const std::string summary =
        "15 values changed (2 rewritten unchanged), 1 key deleted, 0 files deleted";
    EXPECT_NE(std::string::npos, output_.find("Preview: " + summary + "; restart needed\n"));
    EXPECT_EQ(before_, ExportTestRegistry());
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
    process_ = {};

    const struct {
        const char* arguments;
        DWORD code;
        std::string done;
    } runs[] = {
        {"/rename COM21=COM5 /ok /log -", 4, "Done: " + summary + "; restart needed\n"},
        // Only the sweep is left: nothing that needs a restart.
        {"/ok /log -", 0, "Done: nothing to change\n"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.arguments);
        EXPECT_EQ(r.code, Run(r.arguments));
        EXPECT_EQ(0u, output_.find(r.done)) << output_;
        EXPECT_NE(std::string::npos,
                  output_.find(r.code == 4 ? "\nResult: restart needed, changes done\n"
                                           : "\nResult: done\n"))
            << output_;
        size_t folder = output_.find("Undo folder: ");
        if (folder != std::string::npos) {
            std::string path =
                output_.substr(folder + 13, output_.find('\n', folder) - folder - 13);
            EXPECT_EQ(0u, system(("cmd /c rmdir /s /q \"" + path + "\"").c_str()));
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
    }
    EXPECT_NE(std::string::npos, ExportTestRegistry().find("\"PORTNAME\"=\"COM13\""));
}

// A maker's driver file another program holds with no sharing stops /ok before anything changes:
// the log names the file and the holder, and no undo folder is left half-made.
TEST_F(EndToEndCommandLine, OkWithADriverFileHeldWithoutSharingLeavesNoUndoFolder) {
    ScratchDirectories dirs;
    const std::string driver = dirs.Write(dirs.system, "quorvane.vxd", "driver");
    auto undoFolders = [&dirs] {
        std::string names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dirs.windows + "\\KORVALIN\\UNDO*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
            names += std::string(found.cFileName) + " ";
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        return names;
    };
    const std::string foldersBefore = undoFolders();
    {
        HeldFile holder(driver, true);
        EXPECT_EQ(3u, Run("/remove ALL /ok /log -"));
    }
    EXPECT_NE(std::string::npos,
              output_.find("quorvane.vxd could not be copied: another program holds it open "
                           "(error 32); nothing was changed\nResult: not completed\n"))
        << output_;
    EXPECT_EQ(before_, ExportTestRegistry());
    EXPECT_EQ(foldersBefore, undoFolders());
    EXPECT_TRUE(dirs.Exists(driver));
}

// A saved setup carried to the test machine: a board it lacks refuses the whole apply unless
// /partial skips it, a bad file or a refused name is said with its line, and nothing changes
// until every check passes.
TEST_F(EndToEndCommandLine, ApplyRefusesABoardNotHereUnlessPartialAndNamesTheLine) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string setup = std::string(temp) + "korvalin-setup.txt";
    // The machine has one Tessaline 16 Port: the first saved one takes it by order.
    const std::string head =
        "KORVALIN-SETUP=1\r\nBOARD=Tessaline 16 Port, ID# 010203\r\nPORT=1 COM40\r\n"
        "BOARD=Tessaline 16 Port, ID# 040506\r\nPORT=1 COM41\r\n"
        "BOARD=Tessaline 4/8 Port, ID# 706F5E\r\n";
    const struct {
        const char* ports;
        const char* options;
        DWORD code;
        const char* said;
    } runs[] = {
        {"PORT=1 COM8\r\nPORT=2 COM7\r\n", "/ok", 2,
         "line 4: Tessaline 16 Port, ID# 040506: no such board here\n"},
        {"PORT=1 COM8\r\nPORT=1 COM7\r\n", "/partial /ok", 1, ": line 8: port 1 is given twice"},
        {"PORT=2 COM1\r\n", "/partial /ok", 2, "line 7: COM Port=[COM1] is already being used!"},
        {"PORT=1 COM8\r\nPORT=2 COM7\r\n", "/partial /ok", 4,
         "line 4: Tessaline 16 Port, ID# 040506: no such board here, skipped\n"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.ports);
        const std::string text = head + r.ports;
        HANDLE file =
            CreateFileA(setup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD wrote = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
        CloseHandle(file);
        EXPECT_EQ(r.code, Run("/apply \"" + setup + "\" " + r.options + " /log -"));
        EXPECT_NE(std::string::npos, output_.find(r.said)) << output_;
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
        if (r.code != 4)
            EXPECT_EQ(before_, ExportTestRegistry());
    }
    // COM11 became COM40, and the Tessaline 4/8 Port's first two names swapped.
    EXPECT_NE(std::string::npos, output_.find("Setup: 3 names changed\n")) << output_;
    size_t folder = output_.find("Undo folder: ");
    ASSERT_NE(std::string::npos, folder) << output_;
    std::string path = output_.substr(folder + 13, output_.find('\n', folder) - folder - 13);
    EXPECT_EQ(0u, system(("cmd /c rmdir /s /q \"" + path + "\"").c_str()));
    DeleteFileA(setup.c_str());
}
