// tests/rename/rename_dialog_test.cpp: renaming through the real main dialog under Wine.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "cmdline/command_line.h"
#include "inventory/inventory.h"
#include "portlist/portlist.h"
#include "portlist/tree_rows.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {

// Rows: 0 Standard COM Port board, 1 its COM1; 2 Marrowlink PnP board, 3 COM5, 4 COM6.
const char kTwoBoards[] =
    "REGEDIT4\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\0D]\n"
    "\"DeviceDesc\"=\"Communications Port\"\n\"PORTNAME\"=\"COM1\"\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D]\n\"PORTNAME\"=\"COM5\"\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50001\\1A2B3C4D]\n\"PORTNAME\"=\"COM6\"\n\n";

// "caption|text" of each message box, answered with OK; a box without the dialog as its
// owner is marked in its caption.
std::vector<std::string> g_boxes;
HHOOK g_hook;
HWND g_dialog;  // the dialog under test: it has static texts with the id a box's text has

LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && box != g_dialog && GetDlgItem(box, 0xFFFF) != nullptr) {
        char caption[128] = "", text[256] = "";
        GetWindowTextA(box, caption, sizeof caption);
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        const char* owner = GetWindow(box, GW_OWNER) == g_dialog ? "" : " (not the dialog's)";
        g_boxes.push_back(std::string(caption) + owner + "|" + text);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

int g_listPaints;
WNDPROC g_listProc;

LRESULT CALLBACK CountListPaints(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        ++g_listPaints;
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

class RenameInMainDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
        ResetDialogState();
        ResetPortListState();
        g_moduleInstance = GetModuleHandleA(nullptr);
        ASSERT_EQ(1,
                  LoadImageStrip(g_moduleInstance, IDB_TREE_IMAGES, 4, 3, 1, &g_portListState, 1));
        ASSERT_TRUE(LoadFixtureText(kTwoBoards));
        dialog_ = CreateDialogParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     MainDialogProc, 0);
        ASSERT_NE(nullptr, dialog_);
        g_dialog = dialog_;
        list_ = GetDlgItem(dialog_, IDC_PORT_LIST);
        edit_ = GetDlgItem(dialog_, IDC_PORT_NAME);
        g_listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountListPaints)));
        g_boxes.clear();
        g_hook = SetWindowsHookExA(WH_CBT, AnswerMessageBoxes, nullptr, GetCurrentThreadId());

        // Select COM5's row as a click does and type into the field.
        SendMessageA(list_, LB_SETCURSEL, 3, 0);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PORT_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list_));
        ASSERT_EQ(&g_inventory.boards[1].ports[0], selectedPort);
        SetFocus(edit_);
        Pump();
    }
    void TearDown() override {
        UnhookWindowsHookEx(g_hook);
        if (dialog_)
            DestroyWindow(dialog_);
        MSG quit;
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        ClearTestRegistry();
        ResetPortListState();
    }

    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dialog_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
    }
    void Press(UINT key) {
        HWND focus = GetFocus();
        UINT scan = MapVirtualKeyA(key, 0);
        PostMessageA(focus, WM_KEYDOWN, key, 1 | (scan << 16));
        PostMessageA(focus, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
        Pump();
    }
    std::string RowText(int row) {
        char text[kRowTextSize];
        FormatPortRowText(
            reinterpret_cast<PortRecord*>(SendMessageA(list_, LB_GETITEMDATA, row, 0)), text);
        return text;
    }
    std::string FieldText() {
        char text[64] = "";
        GetWindowTextA(edit_, text, sizeof text);
        return text;
    }
    bool DialogStillOpen() {
        MSG quit;
        return IsWindowVisible(dialog_) &&
               !PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
    }

    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
    HWND edit_ = nullptr;
};

TEST_F(RenameInMainDialog, EnterRenamesTheBoardsPortsAndTheListRepaintsThem) {
    SetWindowTextA(edit_, "COM1");
    char refusal[kChangeRefusalSize];
    EXPECT_EQ(0, ApplyPortRename(dialog_, g_inventory, nullptr, refusal));
    EXPECT_EQ("Port 1 -> COM5", RowText(3));
    UpdateWindow(list_);
    g_listPaints = 0;

    Press(VK_RETURN);

    EXPECT_EQ("Port 1 -> COM2", RowText(3));  // COM1 is the standard port's
    EXPECT_EQ("Port 2 -> COM3", RowText(4));
    EXPECT_EQ("Port Name -> COM1", RowText(1));
    EXPECT_EQ(1, g_inventory.boards[1].modified);
    EXPECT_EQ(0, g_inventory.boards[0].modified);
    EXPECT_GE(g_listPaints, 1);
    EXPECT_TRUE(DialogStillOpen());  // OK was not pressed
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(RenameInMainDialog, RefusalsAreShownOverTheDialogAndChangeNothing) {
    struct {
        int autoEnumerate;
        const char* typed;
        const char* shown;
    } cases[] = {
        {0, "COM6", "COM Port=[COM6] is already being used!"},
        {0, "ABCDEFGHIJKLMNOPQR12", "COM Port name [ABCDEFGHIJKLMNOPQR12] is too long!"},
        {1, "COM99999999999", "COM Port number in [COM99999999999] is too large!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        g_boxes.clear();
        if ((IsDlgButtonChecked(dialog_, IDC_AUTO_ENUMERATE) != 0) != (c.autoEnumerate != 0))
            SendDlgItemMessageA(dialog_, IDC_AUTO_ENUMERATE, BM_CLICK, 0, 0);
        SetWindowTextA(edit_, c.typed);
        SetFocus(edit_);

        Press(VK_RETURN);

        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(std::string("Varnak TessalineBoard Information|") + c.shown, g_boxes[0]);
        EXPECT_EQ("Port 1 -> COM5", RowText(3));
        EXPECT_EQ(0, g_inventory.boards[1].modified);
        EXPECT_EQ(c.typed, FieldText());
        EXPECT_TRUE(DialogStillOpen());
    }
}

// A name a device outside the list holds is refused by Apply and by /rename alike, each reading
// the other devices' names itself at its first rename: the test sets nothing up for either.
TEST_F(RenameInMainDialog, NameAnotherDeviceHoldsIsRefusedByApplyAndTheCommandLine) {
    ASSERT_TRUE(LoadFixtureText(std::string(kTwoBoards) +
                                "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\MODEM\\1]\n"
                                "\"PORTNAME\"=\"COM7\"\n\n"));
    const char refusal[] = "COM Port=[COM7] is already being used!";

    static PortInventory commandLines;  // the command line keeps its own
    ResetInventory(commandLines);
    ASSERT_EQ(1, BuildPortInventory(commandLines));
    CommandLine parsed;
    ParseCommandLine("/rename COM5=COM7 /single", &parsed);
    char message[kCommandMessageSize];
    EXPECT_EQ(kExitRefused, ApplyCommandChanges(parsed, commandLines, message, sizeof message));
    EXPECT_STREQ(refusal, message);

    SendDlgItemMessageA(dialog_, IDC_AUTO_ENUMERATE, BM_SETCHECK, BST_UNCHECKED, 0);
    SetWindowTextA(edit_, "COM7");
    SetFocus(edit_);
    Press(VK_RETURN);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(std::string("Varnak TessalineBoard Information|") + refusal, g_boxes[0]);
    EXPECT_EQ(0, g_inventory.boards[1].modified);
}

TEST_F(RenameInMainDialog, EscapeAndSpaceDoNothingAndA21stCharacterIsNotTaken) {
    SetWindowTextA(edit_, "COM9");
    SendMessageA(edit_, EM_SETSEL, 4, 4);
    Press(VK_ESCAPE);
    Press(VK_SPACE);
    EXPECT_TRUE(DialogStillOpen());
    EXPECT_EQ("COM9", FieldText());
    EXPECT_EQ("Port 1 -> COM5", RowText(3));

    SetWindowTextA(edit_, "ABCDEFGHIJKLMNOPQRS");
    SendMessageA(edit_, EM_SETSEL, 19, 19);
    Press('T');
    Press('U');
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSt", FieldText());
}

TEST_F(RenameInMainDialog, TabAndShiftTabMoveAlongTheTabOrderPastDisabledControls) {
    struct {
        int disabled;  // 0: none
        int shift;
        int focus;
    } cases[] = {
        {0, 0, IDC_APPLY},
        {IDC_APPLY, 0, IDC_AUTO_ENUMERATE},
        {0, 1, IDC_TEST},  // Test ..., enabled on a port, follows About
        {IDC_TEST, 1, IDC_ABOUT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focus);
        if (c.disabled)
            EnableWindow(GetDlgItem(dialog_, c.disabled), FALSE);
        SetFocus(edit_);
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = c.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        Press(VK_TAB);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(GetDlgItem(dialog_, c.focus), GetFocus());
        if (c.disabled)
            EnableWindow(GetDlgItem(dialog_, c.disabled), TRUE);
    }
    EXPECT_EQ("COM5", FieldText());  // no Tab character was typed
}

}  // namespace
