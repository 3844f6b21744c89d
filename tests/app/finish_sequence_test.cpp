// tests/app/finish_sequence_test.cpp: OK in the real main dialog under Wine: the pending
// name, the commit, the file clean-up and the restart prompt.
//
// ExitWindowsEx is swapped in this program's import table, so Yes records the request here.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "app/resource.h"
#include "tests/app/dialog_test_support.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

// The import slot every call to ExitWindowsEx in this program goes through; 32-bit names carry
// the stdcall decoration, 64-bit ones do not.
#ifdef _WIN64
#define EXIT_WINDOWS_EX_IMPORT "__imp_ExitWindowsEx"
#else
#define EXIT_WINDOWS_EX_IMPORT "__imp__ExitWindowsEx@8"
#endif
extern "C" BOOL(WINAPI* g_exitWindowsExImport)(UINT, DWORD) asm(EXIT_WINDOWS_EX_IMPORT);

namespace {

std::vector<UINT> g_restartRequests;  // the flags of each request

BOOL WINAPI RecordRestartRequest(UINT flags, DWORD reserved) {
    g_restartRequests.push_back(reserved == 0 ? flags : ~0u);
    return TRUE;
}

void SwapExitWindowsEx(BOOL(WINAPI* replacement)(UINT, DWORD)) {
    DWORD protection;
    VirtualProtect(&g_exitWindowsExImport, sizeof g_exitWindowsExImport, PAGE_READWRITE,
                   &protection);
    g_exitWindowsExImport = replacement;
    VirtualProtect(&g_exitWindowsExImport, sizeof g_exitWindowsExImport, protection, &protection);
}

// Rows: 0 Standard COM Port board, 1 COM1; 2 Marrowlink PnP board, 3 COM5, 4 COM6;
// 5 Tessaline 4/8 board, 6 COM7.
const char kBoards[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"DeviceDesc"="Communications Port"
"PORTNAME"="COM1"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50000\1A2B3C4D]
"PORTNAME"="COM5"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50001\1A2B3C4D]
"PORTNAME"="COM6"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX2B41001\5E6F7081]
"PORTNAME"="COM7"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class]
)";
const char kStandardPortOnly[] =
    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\0D]\n\"PORTNAME\"=\"COM1\"\n";

class FinishSequence : public MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        g_restartRequests.clear();
        SwapExitWindowsEx(RecordRestartRequest);
    }
    void TearDown() override {
        SwapExitWindowsEx(ExitWindowsEx);
        MainDialogTest::TearDown();
    }
    // As a user removes boards one after the other: a Remove within the double-click time of
    // the last one would be taken for a double-click's second click, and ignored.
    void Remove(LRESULT row) {
        Sleep(GetDoubleClickTime() + 50);
        SelectRow(row);
        SendMessageA(Item(IDC_REMOVE), BM_CLICK, 0, 0);
    }
    // OK with every window that comes up answered `answer`; the dialog must close.
    std::vector<ActivatedWindow> PressOk(UINT answer) {
        ActivationSpy spy(answer, dialog_);
        SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowVisible(dialog_));
        EXPECT_TRUE(TakeQuitMessage());
        // The spy also notes activation passing to no window once the dialog is hidden; every
        // window the finish sequence shows is owned by the dialog.
        std::vector<ActivatedWindow> seen;
        for (const ActivatedWindow& window : spy.seen())
            if (window.owner == dialog_)
                seen.push_back(window);
        return seen;
    }
};

// The rename question about the COM5 row: what follows "is renamed ".
std::string Question(const std::string& renamed) {
    return " Port named COM5 is renamed " + renamed + "\n Do you wish to apply this change?\t";
}

// The field is read and the rename worked out as Apply would: the question names the names
// Apply gives, and a name Apply refuses is refused as Apply refuses it, with no question.
TEST_F(FinishSequence, PendingNameIsAskedAboutAsApplyWouldRenameIt) {
    const std::string tooLong = "COMX5678901234567890";  // 20 characters, the field's limit
    const struct {
        std::string typed;
        bool single;
        LRESULT removeRow;  // -1: none
        UINT answer;        // to every box and to the restart prompt
        std::string box;    // "": nothing asked or said
        bool restartOffered;
        const char* com5;
        const char* com6;
    } cases[] = {
        {"", false, -1, IDYES, "", false, "COM5", "COM6"},
        {"COM5", false, -1, IDYES, "", false, "COM5", "COM6"},
        {"COM05", false, -1, IDYES, "", false, "COM5", "COM6"},  // Apply gives the same name
        {"com5", false, -1, IDNO, Question("com5\t\n Port 2 follows as com6.\t\n"), false, "COM5",
         "COM6"},
        {"COMXABCDEFGHIJKLM12", false, -1, IDNO,  // the longest name, and the next one
         Question("COMXABCDEFGHIJKLM12\t\n Port 2 follows as COMXABCDEFGHIJKLM13.\t\n"), false,
         "COM5", "COM6"},
        {"COM9", false, -1, IDYES, Question("COM9\t\n Port 2 follows as COM10.\t\n"), true, "COM9",
         "COM10"},
        {"COM9", true, -1, IDYES, Question("COM9\t\n"), true, "COM9", "COM6"},
        // No drops the name; the removal is still committed.
        {"COM9", false, 5, IDNO, Question("COM9\t\n Port 2 follows as COM10.\t\n"), true, "COM5",
         "COM6"},
        // Refused as Apply refuses; OK goes on with the other changes.
        {"COM1", true, 5, IDNO, "COM Port=[COM1] is already being used!", true, "COM5", "COM6"},
        {"com1", true, -1, IDNO,
         "COM Port=[com1] is already being used! (as COM1; Windows ignores letter case)", false,
         "COM5", "COM6"},
        {tooLong, false, -1, IDNO, "COM Port name [" + tooLong + "] is too long!", false, "COM5",
         "COM6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed + (c.single ? " single" : "") + (c.answer == IDYES ? " Yes" : " No"));
        SetUp();
        OpenOver(kBoards);
        if (c.removeRow >= 0)
            Remove(c.removeRow);
        SelectRow(3);
        if (c.single)
            SendMessageA(Item(IDC_AUTO_ENUMERATE), BM_SETCHECK, BST_UNCHECKED, 0);
        SetDlgItemTextA(dialog_, IDC_PORT_NAME, c.typed.c_str());
        std::vector<ActivatedWindow> seen = PressOk(c.answer);

        ASSERT_EQ(!c.box.empty() + c.restartOffered, static_cast<int>(seen.size()));
        if (!c.box.empty()) {
            EXPECT_EQ("Varnak TessalineBoard Information", seen[0].caption);
            EXPECT_EQ(c.box, seen[0].text);
        }
        if (c.restartOffered) {
            EXPECT_EQ("System Settings Change", seen.back().caption);
        }
        EXPECT_EQ(c.restartOffered && c.answer == IDYES ? std::vector<UINT>{EWX_REBOOT}
                                                        : std::vector<UINT>{},
                  g_restartRequests);
        EXPECT_EQ(std::string(c.com5) + '\0', PortNameBytes("Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D"));
        EXPECT_EQ(std::string(c.com6) + '\0', PortNameBytes("Enum\\ISAPNP\\QVX1A50001\\1A2B3C4D"));
        EXPECT_EQ(c.removeRow < 0, KeyExists("Enum\\ISAPNP\\QVX2B41001\\5E6F7081"));
        TearDown();
    }
}

// A 20-character entry whose first 19 characters are the port's own 19-character name is not the
// same name cut short: it is refused whole, as Apply refuses it, and OK goes on with nothing to
// change.
TEST_F(FinishSequence, TwentyCharacterEntryIsRefusedWholeNotCutToThePortsName) {
    const std::string name = "COMXABCDEFGHIJKLM12";  // 19 characters, the longest name
    std::string boards = kBoards;
    boards.replace(boards.find("\"COM5\""), 6, "\"" + name + "\"");
    OpenOver(boards.c_str());
    SelectRow(3);
    SetDlgItemTextA(dialog_, IDC_PORT_NAME, (name + "3").c_str());
    std::vector<ActivatedWindow> seen = PressOk(IDYES);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("COM Port name [" + name + "3] is too long!", seen[0].text);
    EXPECT_EQ(name + '\0', PortNameBytes("Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D"));
    EXPECT_TRUE(g_restartRequests.empty());
}

// On the demo machine port 3 of the Tessaline 16 Port (COM21) typed COM5 gets COM13, as COM5 to
// COM12 are taken, and the ports after it pass over the modem's COM14 and the legacy board's
// COM16: the question says so, and Yes writes just that.
TEST_F(FinishSequence, YesGivesTheNamesTheQuestionNamed) {
    OpenOver(ReadFixtureText("demo.reg").c_str());
    // Selecting a port row puts its name in the field.
    LRESULT row = 0;
    for (; row < RowCount() && NameText() != "COM21"; ++row)
        SelectRow(row);
    ASSERT_EQ("COM21", NameText());
    SetDlgItemTextA(dialog_, IDC_PORT_NAME, "COM5");
    std::vector<ActivatedWindow> seen = PressOk(IDYES);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(
        " Port named COM21 is renamed COM13\t\n Ports 4 to 16 follow from COM15.\t\n\n"
        " Do you wish to apply this change?\t",
        seen[0].text);
    EXPECT_EQ("System Settings Change", seen[1].caption);
    const char* const written[][2] = {
        {"Enum\\MF\\CHILD0001\\ISAPNP&QVX3C63002&9F8E7D6C", "COM13"},
        {"Enum\\MF\\CHILD0002\\ISAPNP&QVX3C63002&9F8E7D6C", "COM15"},
        {"Enum\\MF\\CHILD0000\\ISAPNP&QVX3C63003&9F8E7D6C", "COM17"},
        {"Enum\\MF\\CHILD0003\\ISAPNP&QVX3C63005&9F8E7D6C", "COM28"},
    };
    for (const auto& port : written)
        EXPECT_EQ(std::string(port[1]) + '\0', PortNameBytes(port[0])) << port[0];
}

TEST_F(FinishSequence, MakersFilesGoOnlyWhenNoneOfItsBoardsIsLeft) {
    const struct {
        const char* fixture;
        std::vector<LRESULT> removeRows;
        bool filesDeleted, restartOffered;
    } cases[] = {
        {kBoards, {}, false, false},       {kBoards, {5}, false, true},
        {kBoards, {5, 2}, true, true},     {kStandardPortOnly, {}, true, false},
        {"REGEDIT4\n\n", {}, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fixture << " removing " << c.removeRows.size());
        SetUp();
        ScratchDirectories dirs;
        std::string inf = dirs.Write(dirs.inf, "oem970.inf", "[Manufacturer] %Prov%=Marrowlink");
        std::string driver = dirs.Write(dirs.system, "quorvane.vxd", "x");
        OpenOver(c.fixture);
        for (LRESULT row : c.removeRows)
            Remove(row);
        EXPECT_EQ(c.restartOffered ? 1u : 0u, PressOk(IDNO).size());
        EXPECT_EQ(c.filesDeleted, !dirs.Exists(inf));
        EXPECT_EQ(c.filesDeleted, !dirs.Exists(driver));
        TearDown();
    }
}

TEST_F(FinishSequence, RestartPromptClosesOnlyOnYesOrNo) {
    for (UINT answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer);
        g_restartRequests.clear();
        HWND prompt = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RESTART),
                                         nullptr, RestartDialogProc, 0);
        ASSERT_TRUE(prompt != nullptr);
        ShowWindow(prompt, SW_SHOWNORMAL);
        // Esc and the close box arrive as IDCANCEL.
        SendMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
        SendMessageA(prompt, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(IsWindowVisible(prompt));
        EXPECT_FALSE(TakeQuitMessage());
        SendMessageA(prompt, WM_COMMAND, answer, 0);
        EXPECT_FALSE(IsWindowVisible(prompt));
        EXPECT_TRUE(TakeQuitMessage());
        EXPECT_EQ(answer == IDYES ? std::vector<UINT>{EWX_REBOOT} : std::vector<UINT>{},
                  g_restartRequests);
        DestroyWindow(prompt);
    }
}

}  // namespace
