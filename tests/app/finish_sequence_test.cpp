// tests/app/finish_sequence_test.cpp: OK in the real main dialog under Wine: the pending
// name, the commit, the file clean-up and the restart prompt.
//
// ExitWindowsEx is swapped in this program's import table, so Yes records the request here.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "app/main_dialog.h"
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
    void Remove(LRESULT row) {
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

TEST_F(FinishSequence, PendingNameIsAskedAboutOnlyWhenItDiffers) {
    const struct {
        const char* typed;
        LRESULT removeRow;  // -1: none
        UINT answer;        // to the question and to the restart prompt
        bool asked, restartOffered;
        const char* com5;
        const char* com6;
    } cases[] = {
        {"", -1, IDYES, false, false, "COM5", "COM6"},
        {"COM5", -1, IDYES, false, false, "COM5", "COM6"},
        {"com5", -1, IDNO, true, false, "COM5", "COM6"},
        {"COMX567890123456789", -1, IDNO, true, false, "COM5", "COM6"},  // the longest name
        // Yes applies as Apply does: with automatic enumeration the next port follows.
        {"COM9", -1, IDYES, true, true, "COM9", "COM10"},
        // No drops the name; the removal is still committed.
        {"COM9", 5, IDNO, true, true, "COM5", "COM6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.answer == IDYES ? " Yes" : " No"));
        SetUp();
        OpenOver(kBoards);
        if (c.removeRow >= 0)
            Remove(c.removeRow);
        SelectRow(3);
        SetDlgItemTextA(dialog_, IDC_PORT_NAME, c.typed);
        std::vector<ActivatedWindow> seen = PressOk(c.answer);

        ASSERT_EQ(c.asked + c.restartOffered, static_cast<int>(seen.size()));
        if (c.asked) {
            EXPECT_EQ("Varnak TessalineBoard Information", seen[0].caption);
            EXPECT_EQ(std::string(" Port named COM5 is renamed ") + c.typed +
                          "\t\n\n Do you wish to apply this change?\t",
                      seen[0].text);
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
