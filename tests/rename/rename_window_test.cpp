// tests/rename/rename_window_test.cpp: Apply and the name field in a dialog under Wine.
//
// The dialog is built in memory with the main dialog's naming controls, ids and tab order, and
// a procedure that turns IDC_APPLY into ApplyPortRename as the main dialog does; keys are
// posted and pumped through IsDialogMessage, so the dialog manager sees them as typed keys.
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/resource.h"
#include "rename/rename.h"

namespace {

// --- an in-memory template
class TemplateBuilder {
  public:
    TemplateBuilder() {
        DLGTEMPLATE header = {};
        header.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_MODALFRAME;
        header.cx = 261;
        header.cy = 235;
        Append(&header, sizeof header);
        countAt_ = offsetof(DLGTEMPLATE, cdit) / sizeof(WORD);
        Words({0, 0});  // no menu, default class
        Text("Rename test");
        Words({8});
        Text("MS Sans Serif");
    }
    void Control(WORD id, WORD atomClass, DWORD style, short x, short y, short cx, short cy,
                 const char* text = "") {
        while (words_.size() % 2 != 0)
            words_.push_back(0);
        DLGITEMTEMPLATE item = {};
        item.style = WS_CHILD | WS_VISIBLE | style;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Append(&item, sizeof item);
        Words({0xFFFF, atomClass});
        Text(text);
        Words({0});
        ++words_[countAt_];
    }
    const DLGTEMPLATE* Get() {
        while (words_.size() % 2 != 0)
            words_.push_back(0);
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

  private:
    void Append(const void* data, size_t size) {
        const WORD* w = static_cast<const WORD*>(data);
        words_.insert(words_.end(), w, w + size / sizeof(WORD));
    }
    void Words(std::initializer_list<WORD> w) { words_.insert(words_.end(), w); }
    void Text(const char* text) {
        while (*text)
            words_.push_back(static_cast<unsigned char>(*text++));
        words_.push_back(0);
    }
    std::vector<WORD> words_;
    size_t countAt_;
};

enum { kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83 };

int g_okCount, g_cancelCount, g_applyCount, g_listPaintCount;
WNDPROC g_listProc;

LRESULT CALLBACK CountListPaints(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        ++g_listPaintCount;
    return CallWindowProcA(g_listProc, list, message, wParam, lParam);
}

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK:
            ++g_okCount;
            break;
        case IDCANCEL:
            ++g_cancelCount;
            break;
        case IDC_APPLY:
            ++g_applyCount;
            ApplyPortRename(dialog, selectedPort);
            break;
    }
    return TRUE;
}

// --- message boxes, read and closed from a CBT hook
struct ShownBox {
    HWND owner;
    std::string caption;
    std::string text;
};
std::vector<ShownBox> g_boxes;
HHOOK g_hook;
HWND g_dialog;  // never answered: only the boxes above it are

LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[32] = "", caption[128] = "", text[256] = "";
        GetClassNameA(box, className, sizeof className);
        if (box != g_dialog && strcmp(className, "#32770") == 0 &&
            GetDlgItem(box, 0xFFFF) != nullptr) {
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            g_boxes.push_back({GetWindow(box, GW_OWNER), caption, text});
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

// --- the inventory under test: a board with four ports, and another board holding COM7
class RenameWindowTest : public ::testing::Test {
  protected:
    // One dialog for the whole suite: without a window manager Wine takes a moment to destroy
    // each top-level window.
    static void SetUpTestSuite() {
        ResetDialogState();
        TemplateBuilder t;
        t.Control(IDOK, kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 194, 24, 50, 14, "OK");
        t.Control(IDCANCEL, kButton, BS_PUSHBUTTON | WS_TABSTOP, 194, 56, 50, 14, "Cancel");
        t.Control(IDC_REMOVE, kButton, BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 194, 88, 50, 14,
                  "&Remove");
        t.Control(IDC_ABOUT, kButton, BS_PUSHBUTTON | WS_TABSTOP, 194, 120, 50, 14, "&About ...");
        t.Control(IDC_PORT_NAME, kEdit, ES_AUTOHSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP, 118,
                  193, 39, 12);
        t.Control(IDC_PORT_NAME_LABEL, kStatic, SS_LEFT | WS_GROUP, 13, 194, 101, 9, "Name:");
        t.Control(IDC_APPLY, kButton, BS_PUSHBUTTON | WS_TABSTOP, 182, 193, 49, 14, "A&pply");
        t.Control(IDC_NAMING_GROUP, kButton, BS_GROUPBOX, 9, 175, 241, 55, "Port Naming");
        t.Control(IDC_AUTO_ENUMERATE, kButton, BS_AUTOCHECKBOX | WS_TABSTOP, 14, 212, 138, 10,
                  "Enumerate");
        t.Control(IDC_PORT_LIST, kListBox,
                  LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP, 16, 22, 142, 139);
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr,
                                             TestDialogProc, 0);
        g_dialog = dialog_;
        edit_ = GetDlgItem(dialog_, IDC_PORT_NAME);
        list_ = GetDlgItem(dialog_, IDC_PORT_LIST);
        g_listProc = reinterpret_cast<WNDPROC>(
            SetWindowLongA(list_, GWL_WNDPROC, reinterpret_cast<LONG>(CountListPaints)));
        InstallPortNameEditProc(dialog_);
        g_hook = SetWindowsHookExA(WH_CBT, CloseMessageBoxes, nullptr, GetCurrentThreadId());
    }
    static void TearDownTestSuite() {
        UnhookWindowsHookEx(g_hook);
        DestroyWindow(dialog_);
        ResetInventory();
        ResetDialogState();
    }

    void SetUp() override {
        ASSERT_NE(nullptr, dialog_);
        ResetInventory();
        g_okCount = g_cancelCount = g_applyCount = 0;
        g_boxes.clear();
        board_ = AddBoard({"COM1", "COM2", "COM3", "COM4"});
        other_ = AddBoard({"COM7"});
        selectedPort = &board_->ports[1];
        EnableWindow(GetDlgItem(dialog_, IDC_APPLY), TRUE);
        EnableWindow(GetDlgItem(dialog_, IDC_ABOUT), TRUE);
        CheckDlgButton(dialog_, IDC_AUTO_ENUMERATE, BST_CHECKED);
        Type("");
        SetFocus(edit_);
        Pump();
    }
    void TearDown() override {
        selectedPort = nullptr;
        ResetInventory();
    }

    BoardRecord* AddBoard(const std::vector<const char*>& names) {
        BoardRecord* board = &g_inventory.boards[g_inventory.boardCount++];
        for (size_t i = 0; i < names.size(); ++i) {
            PortRecord& port = board->ports[i];
            port.itemKind = 1;
            port.portNumber = static_cast<uint16_t>(i + 1);
            port.owningBoard = board;
            strcpy(port.portName, names[i]);
        }
        return board;
    }
    std::vector<std::string> Names(const BoardRecord* board) {
        std::vector<std::string> names;
        for (const PortRecord& port : board->ports)
            if (port.itemKind == 1)
                names.push_back(port.portName);
        return names;
    }
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageA(dialog_, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
    }
    // A key typed into the focused control, as the dialog's message loop would see it.
    void Press(UINT key) {
        HWND focus = GetFocus();
        UINT scan = MapVirtualKeyA(key, 0);
        PostMessageA(focus, WM_KEYDOWN, key, 1 | (scan << 16));
        PostMessageA(focus, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
        Pump();
    }
    static void Type(const char* text) {
        SendMessageA(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    std::string FieldText() {
        char text[64] = "";
        GetWindowTextA(edit_, text, sizeof text);
        return text;
    }
    // Paints the list now, then counts its paints from here on.
    void StartCountingListPaints() {
        UpdateWindow(list_);
        g_listPaintCount = 0;
    }

    BoardRecord* board_;
    BoardRecord* other_;
    static HWND dialog_, edit_, list_;
};
HWND RenameWindowTest::dialog_;
HWND RenameWindowTest::edit_;
HWND RenameWindowTest::list_;

TEST_F(RenameWindowTest, EnterInTheFieldRenamesAsApplyDoesAndDoesNotPressOk) {
    struct {
        const char* label;
        int viaEnter;
        int autoEnumerate;
        std::vector<std::string> after;
    } cases[] = {
        {"Enter, automatic", 1, 1, {"COM1", "COM5", "COM6", "COM8"}},
        {"Apply, automatic", 0, 1, {"COM1", "COM5", "COM6", "COM8"}},
        {"Enter, single", 1, 0, {"COM1", "COM5", "COM3", "COM4"}},
        {"Apply, single", 0, 0, {"COM1", "COM5", "COM3", "COM4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ResetInventory();
        board_ = AddBoard({"COM1", "COM2", "COM3", "COM4"});
        other_ = AddBoard({"COM7"});
        g_okCount = g_applyCount = 0;
        CheckDlgButton(dialog_, IDC_AUTO_ENUMERATE, c.autoEnumerate ? BST_CHECKED : 0);
        Type("COM5");
        SetFocus(edit_);
        StartCountingListPaints();

        if (c.viaEnter)
            Press(VK_RETURN);
        else
            SendDlgItemMessageA(dialog_, IDC_APPLY, BM_CLICK, 0, 0);
        Pump();

        EXPECT_EQ(c.after, Names(board_));
        EXPECT_EQ(1, board_->modified);
        EXPECT_EQ(0, other_->modified);
        EXPECT_EQ(1, g_applyCount);
        EXPECT_EQ(0, g_okCount);
        EXPECT_EQ(1, g_listPaintCount);
        EXPECT_EQ("COM5", FieldText());  // Enter's character never reaches the text
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST_F(RenameWindowTest, RefusalsShowTheirMessageOwnedByTheDialogAndChangeNothing) {
    struct {
        const char* label;
        int autoEnumerate;
        const char* typed;
        const char* text;
    } cases[] = {
        {"a name in use", 0, "COM7", "COM Port=[COM7] is already being used!"},
        {"20 characters typed", 0, "ABCDEFGHIJKLMNOPQR12",
         "COM Port name [ABCDEFGHIJKLMNOPQR12] is too long!"},
        {"a number beyond the counter", 1, "COM99999999999",
         "COM Port number in [COM99999999999] is too large!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        g_boxes.clear();
        CheckDlgButton(dialog_, IDC_AUTO_ENUMERATE, c.autoEnumerate ? BST_CHECKED : 0);
        Type(c.typed);

        EXPECT_EQ(0, ApplyPortRename(dialog_, selectedPort));

        ASSERT_EQ(1u, g_boxes.size());
        EXPECT_EQ(dialog_, g_boxes[0].owner);
        EXPECT_EQ("Varnak TessalineBoard Information", g_boxes[0].caption);
        EXPECT_EQ(c.text, g_boxes[0].text);
        EXPECT_EQ((std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}), Names(board_));
        EXPECT_EQ(0, board_->modified);
        EXPECT_EQ(c.typed, FieldText());
    }
}

TEST_F(RenameWindowTest, NothingHappensWithoutTextOrWithoutAPort) {
    Type("");
    StartCountingListPaints();
    EXPECT_EQ(0, ApplyPortRename(dialog_, selectedPort));
    Type("COM9");
    EXPECT_EQ(0, ApplyPortRename(dialog_, nullptr));
    EXPECT_EQ((std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}), Names(board_));
    EXPECT_EQ(0, board_->modified);
    Pump();
    EXPECT_EQ(0, g_listPaintCount);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(RenameWindowTest, NameWithoutNumberIsStoredWithOneAndTheFieldKeepsItsText) {
    Type("MODEM");
    EXPECT_EQ(1, ApplyPortRename(dialog_, selectedPort));
    EXPECT_EQ((std::vector<std::string>{"COM1", "MODEM1", "MODEM2", "MODEM3"}), Names(board_));
    EXPECT_EQ("MODEM", FieldText());
}

TEST_F(RenameWindowTest, TabAndShiftTabMovePastDisabledControls) {
    EnableWindow(GetDlgItem(dialog_, IDC_APPLY), FALSE);
    EnableWindow(GetDlgItem(dialog_, IDC_ABOUT), FALSE);
    Type("COM5");
    Press(VK_TAB);
    EXPECT_EQ(GetDlgItem(dialog_, IDC_AUTO_ENUMERATE), GetFocus());

    SetFocus(edit_);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Press(VK_TAB);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(GetDlgItem(dialog_, IDCANCEL), GetFocus());

    EXPECT_EQ("COM5", FieldText());  // the Tab characters are not typed
    EXPECT_EQ(0, g_applyCount);
}

TEST_F(RenameWindowTest, SpaceAndEscapeDoNothingInTheField) {
    Type("COM5");
    SendMessageA(edit_, EM_SETSEL, 4, 4);
    Press(VK_SPACE);
    EXPECT_EQ("COM5", FieldText());
    Press(VK_ESCAPE);
    EXPECT_EQ(0, g_cancelCount);
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(edit_, GetFocus());
    EXPECT_EQ(0, g_applyCount);
}

TEST_F(RenameWindowTest, TheFieldTakesTwentyCharactersAndNoMore) {
    EXPECT_EQ(20, SendMessageA(edit_, EM_GETLIMITTEXT, 0, 0));
    Type("ABCDEFGHIJKLMNOPQRS");
    SendMessageA(edit_, EM_SETSEL, 19, 19);
    Press('T');
    Press('U');
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSt", FieldText());
}

}  // namespace
