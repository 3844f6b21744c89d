// tests/app/dialog_test_support.cpp: opening the real main dialog over a fixture, and
// answering the windows it brings up.
#include "tests/app/dialog_test_support.h"

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "inventory/inventory.h"
#include "portlist/portlist.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {
ActivationSpy* g_spy;
}

ActivationSpy::ActivationSpy(UINT command, HWND ignore, int textItem)
    : command_(command), ignore_(ignore), textItem_(textItem) {
    g_spy = this;
    hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

ActivationSpy::~ActivationSpy() {
    UnhookWindowsHookEx(hook_);
    g_spy = nullptr;
}

LRESULT CALLBACK ActivationSpy::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    ActivationSpy* spy = g_spy;
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && spy && window != spy->ignore_) {
        bool known = false;
        for (HWND seen : spy->answered_)
            known = known || seen == window;
        if (!known) {
            spy->answered_.push_back(window);
            ActivatedWindow record;
            char buffer[512] = "";
            GetWindowTextA(window, buffer, sizeof buffer);
            record.caption = buffer;
            buffer[0] = 0;
            GetDlgItemTextA(window, spy->textItem_, buffer, sizeof buffer);
            record.text = buffer;
            record.owner = GetWindow(window, GW_OWNER);
            spy->seen_.push_back(record);
            PostMessageA(window, WM_COMMAND, spy->command_, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool TakeQuitMessage() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

void MainDialogTest::SetUp() {
    ResetInventory();
    ResetDialogState();
    ResetPortListState();
    g_moduleInstance = GetModuleHandleA(nullptr);
    ASSERT_EQ(1, LoadImageStrip(g_moduleInstance, IDB_TREE_IMAGES, 4, 3, 1, &g_portListState, 1));
}

void MainDialogTest::TearDown() {
    if (dialog_)
        DestroyWindow(dialog_);
    dialog_ = nullptr;
    TakeQuitMessage();
    ClearTestRegistry();
    ResetPortListState();
}

HWND MainDialogTest::OpenOver(const char* fixture) {
    EXPECT_TRUE(LoadFixtureText(fixture));
    dialog_ = CreateDialogParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                 MainDialogProc, 0);
    EXPECT_TRUE(dialog_ != nullptr);
    return dialog_;
}

LRESULT MainDialogTest::RowCount() const {
    return SendMessageA(List(), LB_GETCOUNT, 0, 0);
}

void* MainDialogTest::RowData(LRESULT row) const {
    return reinterpret_cast<void*>(SendMessageA(List(), LB_GETITEMDATA, row, 0));
}

void MainDialogTest::SelectRow(LRESULT row) {
    SendMessageA(List(), LB_SETCURSEL, row, 0);
    Command(IDC_PORT_LIST, LBN_SELCHANGE);
}

void MainDialogTest::Command(int id, int notification) {
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, notification),
                 reinterpret_cast<LPARAM>(Item(id)));
}

std::string MainDialogTest::NameText() const {
    char text[64] = "";
    GetDlgItemTextA(dialog_, IDC_PORT_NAME, text, sizeof text);
    return text;
}
