// tests/app/entry_test.cpp: WinMain and the About box.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "portlist/portlist.h"
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

// A batch file on Windows 95 never sees the exit code: without a log that takes it, every bad
// or refused command line tells the user in a box of its own, and a log that cannot be written
// is named there.
TEST_F(Entry, EveryBadOrRefusedLineWithoutALogShowsItsMessage) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    HINSTANCE self = GetModuleHandleA(nullptr);
    const struct {
        const char* line;
        int code;
        const char* text;
    } cases[] = {
        {"/list", 1, "/list needs a value"},
        {"/rename COM21=COM40 /preview", 1, "/preview needs a value"},
        {"/rename COM21==COM40 /ok", 1, "/rename COM21==COM40: a port name cannot hold the "
                                        "character ="},
        {"/list - /log C:\\nodir\\k.log", 1, "Cannot write to the log C:\\nodir\\k.log\n"
                                              "Listed 6 boards, 26 ports"},
        {"/ok /log C:\\nodir\\k.log", 1, "Cannot write to the log C:\\nodir\\k.log\n"
                                          "Nothing was changed: /ok makes no change without its "
                                          "log"},
        {"/rename COM99=COM5 /ok", 2, "No port is named [COM99]"},
        {"/rename COM7=COM1 /single /preview NUL", 2, "COM Port=[COM1] is already being used!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ActivationSpy spy(IDOK);
        EXPECT_EQ(c.code, WinMain(self, nullptr, const_cast<char*>(c.line), SW_SHOWNORMAL));
        ASSERT_EQ(1u, spy.seen().size());
        EXPECT_EQ(c.text, spy.seen()[0].text);
        EXPECT_EQ(nullptr, spy.seen()[0].owner);
    }
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
