// tests/app/entry_test.cpp: WinMain and the About box.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/main_dialog.h"
#include "app/resource.h"
#include "cmdline/command_texts.h"
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

const char kLogHint[] = "\n\n(/log FILE takes this without a box)";

// A batch file on Windows 95 never sees the exit code: without a log that takes it, every bad
// or refused command line tells the user in a box of its own (a bad one saying how a log would
// have taken it), and a log that cannot be written is named there.
TEST_F(Entry, EveryBadOrRefusedLineWithoutALogShowsItsMessage) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    HINSTANCE self = GetModuleHandleA(nullptr);
    const struct {
        const char* line;
        int code;
        std::string text;
    } cases[] = {
        {"/list", 1, std::string("/list needs a value") + kLogHint},
        {"/rename COM21=COM40 /preview", 1, std::string("/preview needs a value") + kLogHint},
        {"/rename COM21==COM40 /ok", 1,
         std::string("/rename COM21==COM40: a port name cannot hold the character =") + kLogHint},
        {"/bogus /log", 1, "Unknown option: /bogus"},
        {"/list - /log C:\\nodir\\k.log", 1,
         "Cannot write to the log C:\\nodir\\k.log\n"
         "Listed 6 boards, 26 ports"},
        {"/ok /log C:\\nodir\\k.log", 1,
         "Cannot write to the log C:\\nodir\\k.log\n"
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

TEST_F(Entry, UsageIsShownInABox) {
    ActivationSpy spy(IDOK);
    EXPECT_EQ(0, WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>("/?"), 0));
    ASSERT_EQ(1u, spy.seen().size());
    EXPECT_EQ(std::string(kUsageText).substr(0, spy.seen()[0].text.size()), spy.seen()[0].text);
    EXPECT_GT(spy.seen()[0].text.size(), 100u);
}

// The log is emptied before anything else: an old "Result: done" never passes for a run that
// opened the dialog, or that a box stopped because the log could not be named.
TEST_F(Entry, AnOldLogNeverSurvivesTheRun) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string log = std::string(temp) + "korvalin-old.log";
    for (const char* line : {"/rename COM21=COM40 /log ", "/log "}) {
        SCOPED_TRACE(line);
        HANDLE file =
            CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "Result: done\r\n", 14, &written, nullptr);
        CloseHandle(file);
        ActivationSpy spy(IDCANCEL);
        std::string arguments = line + log;
        EXPECT_EQ(0, WinMain(GetModuleHandleA(nullptr), nullptr, &arguments[0], 0));
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExA(log.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(0u, data.nFileSizeLow);
        EXPECT_FALSE(TakeQuitMessage());
    }
    DeleteFileA(log.c_str());
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
