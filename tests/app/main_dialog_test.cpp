// tests/app/main_dialog_test.cpp: the main dialog over fixture registries: opening, selection,
// Remove (once per click), double-click and Cancel.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "inventory/inventory.h"
#include "tests/app/dialog_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {

// Rows: 0 Standard COM Port board, 1 its COM1; 2 Marrowlink PnP board, 3 COM5, 4 COM6;
// 5 Tessaline 4/8 board, 6 COM7.
const char kThreeBoards[] =
    "REGEDIT4\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\0D]\n"
    "\"DeviceDesc\"=\"Communications Port\"\n\"PORTNAME\"=\"COM1\"\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D]\n\"PORTNAME\"=\"COM5\"\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50001\\1A2B3C4D]\n\"PORTNAME\"=\"COM6\"\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX2B41001\\5E6F7081]\n\"PORTNAME\"=\"COM7\"\n\n";

const char kOneBoard[] =
    "REGEDIT4\n\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D]\n\"PORTNAME\"=\"COM5\"\n\n";

const char kNoBoard[] = "REGEDIT4\n\n";

const int kNamingControls[] = {IDC_NAMING_GROUP, IDC_PORT_NAME, IDC_PORT_NAME_LABEL, IDC_APPLY,
                               IDC_AUTO_ENUMERATE};

int32_t KindOf(void* itemData) {
    return *static_cast<int32_t*>(itemData);
}

class MainDialog : public MainDialogTest {
  protected:
    void ExpectNamingControlsEnabled(bool enabled) {
        for (int id : kNamingControls) {
            SCOPED_TRACE(id);
            EXPECT_EQ(enabled, IsWindowEnabled(Item(id)) != 0);
        }
    }
    bool RemoveEnabled() const { return IsWindowEnabled(Item(IDC_REMOVE)) != 0; }
    LRESULT CurrentRow() const { return SendMessageA(List(), LB_GETCURSEL, 0, 0); }
    // The board whose row the list has selected, or null: the one Remove acts on.
    BoardRecord* SelectedBoard() const {
        LRESULT row = CurrentRow();
        void* data = row == LB_ERR ? nullptr : RowData(row);
        return data != nullptr && KindOf(data) == 0 ? static_cast<BoardRecord*>(data) : nullptr;
    }
};

TEST_F(MainDialog, OpensWithTheFirstBoardSelectedAndNamingDisabled) {
    struct Case {
        const char* name;
        const char* fixture;
        LRESULT selectedRow;  // LB_ERR: nothing
        bool removeEnabled;
    };
    const Case cases[] = {
        {"standard port first", kThreeBoards, 0, false},
        {"maker's board first", kOneBoard, 0, true},
        {"no board", kNoBoard, LB_ERR, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        OpenOver(c.fixture);
        EXPECT_EQ(c.selectedRow, CurrentRow());
        EXPECT_EQ(c.selectedRow == 0 ? &g_inventory.boards[0] : nullptr, SelectedBoard());
        EXPECT_EQ(nullptr, selectedPort);
        EXPECT_EQ(c.removeEnabled, RemoveEnabled());
        EXPECT_EQ(UINT{BST_CHECKED}, IsDlgButtonChecked(dialog_, IDC_AUTO_ENUMERATE));
        ExpectNamingControlsEnabled(false);
        EXPECT_EQ(20, SendMessageA(Item(IDC_PORT_NAME), EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(PortNameEditProc),
                  GetWindowLongPtrA(Item(IDC_PORT_NAME), GWLP_WNDPROC));
        TearDown();
    }
}

// A class key that the walk lists but cannot open stops the initialisation after the boards
// were read: the dialog must still open, with an empty list and the template's controls.
TEST_F(MainDialog, StoppedInitialisationOpensWithEmptyListAndTemplateStates) {
    ASSERT_TRUE(LoadFixtureText(kThreeBoards));
    // The ANSI name of this key has '?' for the ideograph, so opening it by that name fails.
    const wchar_t kUnopenable[] = L"System\\CurrentControlSet\\Services\\Class\\Ports\\00\x4E00";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, kUnopenable, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);

    dialog_ = CreateDialogParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                 MainDialogProc, 0);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUnopenable);
    ASSERT_TRUE(dialog_ != nullptr);

    EXPECT_EQ(3, g_inventory.boardCount);  // what the walks found stays
    EXPECT_EQ(0, RowCount());
    EXPECT_EQ(LB_ERR, CurrentRow());
    EXPECT_EQ(nullptr, SelectedBoard());
    EXPECT_EQ(nullptr, selectedPort);
    EXPECT_FALSE(RemoveEnabled());
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_APPLY)));
    for (int id : {IDC_NAMING_GROUP, IDC_PORT_NAME, IDC_PORT_NAME_LABEL, IDC_AUTO_ENUMERATE}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(IsWindowEnabled(Item(id)));
    }
    EXPECT_EQ(UINT{BST_UNCHECKED}, IsDlgButtonChecked(dialog_, IDC_AUTO_ENUMERATE));
    EXPECT_NE(20, SendMessageA(Item(IDC_PORT_NAME), EM_GETLIMITTEXT, 0, 0));
    EXPECT_NE(reinterpret_cast<LONG_PTR>(PortNameEditProc),
              GetWindowLongPtrA(Item(IDC_PORT_NAME), GWLP_WNDPROC));  // the field not subclassed
}

TEST_F(MainDialog, SelectionSwitchesBetweenNamingAndRemove) {
    struct Case {
        LRESULT row;
        bool isPort;
        bool removeEnabled;
        const char* name;
    };
    // In this order: each step also checks what the previous selection left behind.
    const Case cases[] = {
        {2, false, true, ""},      // the maker's board
        {1, true, false, "COM1"},  // a Standard COM Port's port
        {0, false, false, ""},     // a Standard COM Port board: never removable
        {4, true, false, "COM6"},  // the maker's port
        {5, false, true, ""},      // a board after a port empties the name field
    };
    OpenOver(kThreeBoards);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        SelectRow(c.row);
        void* record = RowData(c.row);
        EXPECT_EQ(c.isPort ? record : nullptr, static_cast<void*>(selectedPort));
        EXPECT_EQ(c.isPort ? nullptr : record, static_cast<void*>(SelectedBoard()));
        ExpectNamingControlsEnabled(c.isPort);
        EXPECT_EQ(c.removeEnabled, RemoveEnabled());
        EXPECT_EQ(c.name, NameText());
    }
}

TEST_F(MainDialog, RemoveTakesTheBoardRowsAndLandsOnTheNeighbouringRow) {
    struct Case {
        const char* name;
        const char* fixture;
        LRESULT collapseRow;  // -1: nothing collapsed first
        LRESULT removeRow;
        LRESULT rowsLeft;
        LRESULT landingRow;  // LB_ERR: the list is empty
        bool landsOnPort;
        bool removeEnabled;
        const char* nameText;
    };
    const Case cases[] = {
        {"middle board", kThreeBoards, -1, 2, 4, 2, false, true, ""},
        {"last board, previous expanded", kThreeBoards, -1, 5, 5, 4, true, false, "COM6"},
        {"last board, previous collapsed", kThreeBoards, 2, 3, 3, 2, false, true, ""},
        {"only board", kOneBoard, -1, 0, 0, LB_ERR, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        OpenOver(c.fixture);
        if (c.collapseRow >= 0) {
            SelectRow(c.collapseRow);
            Command(IDC_PORT_LIST, LBN_DBLCLK);
        }
        SelectRow(c.removeRow);
        BoardRecord* board = static_cast<BoardRecord*>(RowData(c.removeRow));
        ASSERT_TRUE(RemoveEnabled());
        SetFocus(Item(IDC_REMOVE));  // as after a click or Alt+R
        SendMessageA(Item(IDC_REMOVE), BM_CLICK, 0, 0);

        EXPECT_EQ(1, board->removed);
        EXPECT_EQ(c.rowsLeft, RowCount());
        for (LRESULT row = 0; row < RowCount(); ++row) {
            void* data = RowData(row);
            EXPECT_NE(board, KindOf(data) == 0 ? data : static_cast<PortRecord*>(data)->owningBoard)
                << "row " << row;
        }
        EXPECT_EQ(c.landingRow, CurrentRow());
        if (c.landingRow == LB_ERR) {
            EXPECT_EQ(nullptr, selectedPort);  // nothing to select instead: left as it was
        } else {
            void* landing = RowData(c.landingRow);
            EXPECT_EQ(c.landsOnPort, KindOf(landing) == 1);
            EXPECT_EQ(c.landsOnPort ? landing : nullptr, static_cast<void*>(selectedPort));
            EXPECT_EQ(c.landsOnPort ? nullptr : landing, static_cast<void*>(SelectedBoard()));
        }
        ExpectNamingControlsEnabled(c.landsOnPort);
        EXPECT_EQ(c.removeEnabled, RemoveEnabled());
        // A disabled Remove must not keep the keyboard focus.
        EXPECT_EQ(c.removeEnabled ? Item(IDC_REMOVE) : List(), GetFocus());
        EXPECT_EQ(c.nameText, NameText());
        TearDown();
    }
}

// After Remove the next board is selected and Remove keeps the focus, so the second click of a
// double-click lands on Remove again: it must take no second board.
TEST_F(MainDialog, RemoveTakesOneBoardPerDoubleClickTime) {
    struct Case {
        const char* name;
        DWORD pauseMs;     // between the two clicks
        UINT secondPress;  // what the second press brings the button
        int boardsRemoved;
        LRESULT rowsLeft;
    };
    const Case cases[] = {
        {"double-click", 0, WM_LBUTTONDBLCLK, 1, 4},
        {"two clicks apart", GetDoubleClickTime() + 100, WM_LBUTTONDOWN, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        OpenOver(kThreeBoards);
        SelectRow(2);
        HWND remove = Item(IDC_REMOVE);
        const UINT presses[] = {WM_LBUTTONDOWN, c.secondPress};
        for (int click = 0; click < 2; ++click) {
            Sleep(click == 0 ? 0 : c.pauseMs);
            SendMessageA(remove, presses[click], MK_LBUTTON, MAKELPARAM(4, 4));
            SendMessageA(remove, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        }
        int removed = 0;
        for (int i = 0; i < g_inventory.boardCount; ++i)
            removed += g_inventory.boards[i].removed;
        EXPECT_EQ(c.boardsRemoved, removed);
        EXPECT_EQ(c.rowsLeft, RowCount());
        TearDown();
    }
}

// The button is disabled on these rows, but the command can still arrive.
TEST_F(MainDialog, RemoveOnAStandardPortOrAPortRowRemovesNothing) {
    struct Case {
        LRESULT row;
        const char* boxText;  // null: no message box
    };
    const Case cases[] = {
        {0, "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports"},
        {3, nullptr},
    };
    OpenOver(kThreeBoards);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        SelectRow(c.row);
        ActivationSpy spy(IDOK, dialog_);
        Command(IDC_REMOVE);

        ASSERT_EQ(c.boxText ? 1u : 0u, spy.seen().size());
        if (c.boxText) {
            EXPECT_EQ("Varnak TessalineBoard Information", spy.seen()[0].caption);
            EXPECT_EQ(c.boxText, spy.seen()[0].text);
            EXPECT_EQ(dialog_, spy.seen()[0].owner);
        }
        EXPECT_EQ(7, RowCount());
        EXPECT_EQ(c.row, CurrentRow());
        for (int i = 0; i < g_inventory.boardCount; ++i)
            EXPECT_EQ(0, g_inventory.boards[i].removed) << "board " << i;
    }
}

TEST_F(MainDialog, DoubleClickTogglesBoardsAndIgnoresPorts) {
    OpenOver(kThreeBoards);
    SelectRow(3);
    Command(IDC_PORT_LIST, LBN_DBLCLK);
    EXPECT_EQ(7, RowCount());
    EXPECT_EQ(RowData(3), static_cast<void*>(selectedPort));

    SelectRow(2);
    Command(IDC_PORT_LIST, LBN_DBLCLK);
    EXPECT_EQ(5, RowCount());
    Command(IDC_PORT_LIST, LBN_DBLCLK);
    EXPECT_EQ(7, RowCount());
}

TEST_F(MainDialog, CancelEndsTheDialogAndWritesNothing) {
    OpenOver(kThreeBoards);
    const std::string before = ExportTestRegistry();
    SelectRow(2);
    SendMessageA(Item(IDC_REMOVE), BM_CLICK, 0, 0);
    SendMessageA(Item(IDCANCEL), BM_CLICK, 0, 0);

    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_EQ(before, ExportTestRegistry());
}

TEST_F(MainDialog, AboutButtonShowsTheAboutBoxOverTheDialog) {
    OpenOver(kThreeBoards);
    ActivationSpy spy(IDOK, dialog_);
    SendMessageA(Item(IDC_ABOUT), BM_CLICK, 0, 0);

    ASSERT_EQ(1u, spy.seen().size());
    EXPECT_EQ("Varnak TessalineBoard About", spy.seen()[0].caption);
    EXPECT_EQ(dialog_, spy.seen()[0].owner);
}

}  // namespace
