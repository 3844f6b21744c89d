// tests/app/entry_test.cpp: WinMain and the About box.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "listview/listview.h"
#include "tests/app/dialog_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

bool g_watchdogFired;

void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
    g_watchdogFired = true;
    PostQuitMessage(0);
}

using Entry = MainDialogTest;

TEST_F(Entry, WithAPreviousInstanceReturnsAtOnce) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    g_moduleInstance = nullptr;
    ActivationSpy spy(IDCANCEL);
    EXPECT_EQ(0, WinMain(self, self, const_cast<char*>(""), SW_SHOWNORMAL));
    EXPECT_TRUE(spy.seen().empty());
    EXPECT_EQ(nullptr, g_moduleInstance);
}

TEST_F(Entry, RunsTheDialogAndReturnsOnceCancelled) {
    ASSERT_TRUE(LoadFixtureText("REGEDIT4\n\n"));
    HINSTANCE self = GetModuleHandleA(nullptr);
    ActivationSpy spy(IDCANCEL);
    EXPECT_EQ(0, WinMain(self, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));

    ASSERT_EQ(1u, spy.seen().size());
    EXPECT_EQ("Marrowlink M1/M2 & Varnak TessalineBoard Adapters", spy.seen()[0].caption);
    EXPECT_EQ(nullptr, spy.seen()[0].owner);
    EXPECT_FALSE(TakeQuitMessage());  // the entry's own loop took it
}

// Without its template the dialog posts no quit message; the entry must not wait for one.
TEST_F(Entry, ReturnsWhenTheDialogCannotBeCreated) {
    HINSTANCE withoutTemplates = GetModuleHandleA("msvcrt.dll");
    ASSERT_TRUE(withoutTemplates != nullptr);
    g_watchdogFired = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, Watchdog);
    EXPECT_EQ(0, WinMain(withoutTemplates, nullptr, const_cast<char*>(""), SW_SHOWNORMAL));
    KillTimer(nullptr, timer);
    EXPECT_FALSE(g_watchdogFired);
}

TEST(AboutBox, OnlyOkClosesIt) {
    HWND about = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                    AboutDialogProc, 0);
    ASSERT_TRUE(about != nullptr);
    ShowWindow(about, SW_SHOWNORMAL);

    MSG escape = {GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
    IsDialogMessageA(about, &escape);
    EXPECT_TRUE(IsWindowVisible(about)) << "Esc";
    SendMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindowVisible(about)) << "close box";
    SendMessageA(about, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(about)) << "IDCANCEL";

    SendMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindowVisible(about));
    DestroyWindow(about);
}

}  // namespace
