// tests/commit/finish_sequence_test.cpp: OK in the real main dialog under Wine: the pending
// name, the commit, the file clean-up and the restart prompt.
//
// ExitWindowsEx is replaced in this program's import table, so answering Yes here records the
// request instead of making it.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialog_state.h"
#include "app/resource.h"
#include "commit/finish.h"
#include "inventory/inventory.h"
#include "tests/app/dialog_test_support.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

// The import slot every call to ExitWindowsEx in this program goes through.
extern "C" BOOL(WINAPI* g_exitWindowsExImport)(UINT, DWORD) asm("__imp__ExitWindowsEx@8");

namespace {

const char kCaption[] = "Varnak TessalineBoard Information";
const char kRestartCaption[] = "System Settings Change";

// Rows: 0 Standard COM Port board, 1 COM1; 2 Marrowlink PnP board, 3 COM5, 4 COM6;
// 5 Tessaline 4/8 board, 6 COM7.
const char kTwoMakersBoards[] = R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"DeviceDesc"="Communications Port"
"Driver"="Ports\\0000"
"PORTNAME"="COM1"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50000\1A2B3C4D]
"Driver"="Ports\\0003"
"PORTNAME"="COM5"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50001\1A2B3C4D]
"Driver"="Ports\\0004"
"PORTNAME"="COM6"

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX2B41001\5E6F7081]
"Driver"="Ports\\0005"
"PORTNAME"="COM7"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0000]
"PortDriver"="serial.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0003]
"PortDriver"="quorvane.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0004]
"PortDriver"="quorvane.vxd"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\Ports\0005]
"PortDriver"="brisquel.vxd"
)";
const char kCom5Key[] = "Enum\\ISAPNP\\QVX1A50000\\1A2B3C4D";
const char kCom6Key[] = "Enum\\ISAPNP\\QVX1A50001\\1A2B3C4D";
const char kCom7Key[] = "Enum\\ISAPNP\\QVX2B41001\\5E6F7081";

std::string Question(const char* from, const char* to) {
    return std::string(" Port named ") + from + " is renamed " + to +
           "\t\n\n Do you wish to apply this change?\t";
}

std::string Sz(const char* text) {
    return std::string(text) + '\0';
}

// How one window that comes up is answered: `before` are posted first (Esc, the close box),
// then, once those are handled, whether the window is still there is noted and `command` closes
// it.
struct Answer {
    UINT command;
    std::vector<MSG> before;
};

struct SeenWindow {
    std::string caption, text;
    HWND owner;
    bool upAfterBefore;
};

// Answers the windows activated on this thread in turn from a script, from a WH_CBT hook.
class ScriptedAnswers {
  public:
    ScriptedAnswers(HWND ignore, std::vector<Answer> script)
        : ignore_(ignore), script_(std::move(script)) {
        current_ = this;
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = HelperProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KorvalinScriptedAnswers";
        RegisterClassA(&windowClass);
        helper_ = CreateWindowA("KorvalinScriptedAnswers", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
        hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    }
    ~ScriptedAnswers() {
        UnhookWindowsHookEx(hook_);
        DestroyWindow(helper_);
        current_ = nullptr;
    }
    const std::vector<SeenWindow>& seen() const { return seen_; }

  private:
    static const UINT kFinishAnswer = WM_APP + 7;

    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
        ScriptedAnswers* self = current_;
        HWND window = reinterpret_cast<HWND>(wParam);
        // Activation can also pass to no window at all, when a box over a hidden dialog closes.
        if (code == HCBT_ACTIVATE && self && window != nullptr && window != self->ignore_) {
            bool known = false;
            for (HWND answered : self->answered_)
                known = known || answered == window;
            if (!known) {
                self->answered_.push_back(window);
                self->Respond(window);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Respond(HWND window) {
        SeenWindow record;
        char buffer[512] = "";
        GetWindowTextA(window, buffer, sizeof buffer);
        record.caption = buffer;
        buffer[0] = 0;
        GetDlgItemTextA(window, 0xFFFF, buffer, sizeof buffer);  // a message box's text
        record.text = buffer;
        record.owner = GetWindow(window, GW_OWNER);
        record.upAfterBefore = false;
        seen_.push_back(record);
        size_t index = seen_.size() - 1;
        if (index >= script_.size()) {
            ADD_FAILURE() << "unexpected window \"" << record.caption << "\"";
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(window, WM_COMMAND, IDNO, 0);
            return;
        }
        for (const MSG& message : script_[index].before)
            PostMessageA(window, message.message, message.wParam, message.lParam);
        PostMessageA(helper_, kFinishAnswer, index, reinterpret_cast<LPARAM>(window));
    }

    static LRESULT CALLBACK HelperProc(HWND helper, UINT message, WPARAM wParam, LPARAM lParam) {
        ScriptedAnswers* self = current_;
        if (message == kFinishAnswer && self) {
            HWND window = reinterpret_cast<HWND>(lParam);
            // A dialog that was ended is destroyed before this message is seen.
            self->seen_[wParam].upAfterBefore = IsWindow(window) != 0;
            PostMessageA(window, WM_COMMAND, self->script_[wParam].command, 0);
            return 0;
        }
        return DefWindowProcA(helper, message, wParam, lParam);
    }

    static ScriptedAnswers* current_;
    HHOOK hook_;
    HWND helper_;
    HWND ignore_;
    std::vector<Answer> script_;
    std::vector<HWND> answered_;
    std::vector<SeenWindow> seen_;
};

ScriptedAnswers* ScriptedAnswers::current_;

// Stands in for ExitWindowsEx while a test runs.
struct RestartRequests {
    RestartRequests() {
        calls_.clear();
        Swap(Record);
    }
    ~RestartRequests() { Swap(saved_); }
    struct Call {
        UINT flags;
        DWORD reserved;
    };
    static const std::vector<Call>& calls() { return calls_; }

  private:
    static BOOL WINAPI Record(UINT flags, DWORD reserved) {
        calls_.push_back({flags, reserved});
        return TRUE;
    }
    void Swap(BOOL(WINAPI* replacement)(UINT, DWORD)) {
        DWORD protection;
        VirtualProtect(&g_exitWindowsExImport, sizeof g_exitWindowsExImport, PAGE_READWRITE,
                       &protection);
        if (replacement == Record)
            saved_ = g_exitWindowsExImport;
        g_exitWindowsExImport = replacement;
        VirtualProtect(&g_exitWindowsExImport, sizeof g_exitWindowsExImport, protection,
                       &protection);
    }
    BOOL(WINAPI* saved_)(UINT, DWORD) = nullptr;
    static std::vector<Call> calls_;
};

std::vector<RestartRequests::Call> RestartRequests::calls_;

MSG Posted(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    MSG m = {};
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

class FinishSequence : public MainDialogTest {
  protected:
    void TypeName(const char* text) { SetDlgItemTextA(dialog_, IDC_PORT_NAME, text); }
    void ClickRemove(LRESULT row) {
        SelectRow(row);
        SendMessageA(Item(IDC_REMOVE), BM_CLICK, 0, 0);
    }
    // OK, and the dialog closes with the quit message posted.
    void PressOk() {
        SendMessageA(Item(IDOK), BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowVisible(dialog_));
        EXPECT_TRUE(TakeQuitMessage());
    }
    RestartRequests restartRequests_;
};

TEST_F(FinishSequence, PendingNameIsOfferedOnlyWhenItDiffersFromThePortName) {
    struct Case {
        const char* typed;
        UINT answer;  // 0: no question expected
        const char* com5;
        const char* com6;
        bool restartOffered;
    } cases[] = {
        {"", 0, "COM5", "COM6", false},
        {"COM5", 0, "COM5", "COM6", false},
        {"com5", IDNO, "COM5", "COM6", false},
        {"COM9", IDNO, "COM5", "COM6", false},
        // Yes applies as Apply does: with automatic enumeration the next port follows.
        {"COM9", IDYES, "COM9", "COM10", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
        SetUp();
        OpenOver(kTwoMakersBoards);
        SelectRow(3);
        TypeName(c.typed);
        std::vector<Answer> script;
        if (c.answer)
            script.push_back({c.answer, {}});
        if (c.restartOffered)
            script.push_back({IDNO, {}});
        {
            ScriptedAnswers answers(dialog_, script);
            PressOk();
            ASSERT_EQ(script.size(), answers.seen().size());
            if (c.answer) {
                EXPECT_EQ(kCaption, answers.seen()[0].caption);
                EXPECT_EQ(Question("COM5", c.typed), answers.seen()[0].text);
                EXPECT_EQ(dialog_, answers.seen()[0].owner);
            }
            if (c.restartOffered)
                EXPECT_EQ(kRestartCaption, answers.seen().back().caption);
        }
        EXPECT_EQ(Sz(c.com5), ValueBytes(kCom5Key, "PORTNAME"));
        EXPECT_EQ(Sz(c.com6), ValueBytes(kCom6Key, "PORTNAME"));
        EXPECT_TRUE(RestartRequests::calls().empty());
        TearDown();
    }
}

TEST_F(FinishSequence, NoDropsTheTypedNameAndStillCommitsTheRemoval) {
    OpenOver(kTwoMakersBoards);
    ClickRemove(5);
    SelectRow(3);
    TypeName("COM9");
    ScriptedAnswers answers(dialog_, {{IDNO, {}}, {IDNO, {}}});
    PressOk();

    ASSERT_EQ(2u, answers.seen().size());
    EXPECT_EQ(Question("COM5", "COM9"), answers.seen()[0].text);
    EXPECT_EQ(kRestartCaption, answers.seen()[1].caption);
    EXPECT_EQ(dialog_, answers.seen()[1].owner);
    EXPECT_EQ(Sz("COM5"), ValueBytes(kCom5Key, "PORTNAME"));
    EXPECT_FALSE(KeyExists(kCom7Key));
}

TEST_F(FinishSequence, QuestionHoldsTwoNamesOfNineteenCharacters) {
    OpenOver(R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\ISAPNP\QVX1A50000\1A2B3C4D]
"PORTNAME"="PORT567890123456789"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class]
)");
    SelectRow(1);
    TypeName("COMX567890123456789");
    ScriptedAnswers answers(dialog_, {{IDNO, {}}});
    PressOk();

    ASSERT_EQ(1u, answers.seen().size());
    EXPECT_EQ(Question("PORT567890123456789", "COMX567890123456789"), answers.seen()[0].text);
}

TEST_F(FinishSequence, MakersFilesGoOnlyWhenNoneOfItsBoardsIsLeft) {
    struct Case {
        const char* name;
        const char* fixture;
        std::vector<LRESULT> removeRows;
        bool filesDeleted;
        bool restartOffered;
    } cases[] = {
        {"a maker's board is left", kTwoMakersBoards, {5}, false, true},
        {"nothing changed, a maker's board is there", kTwoMakersBoards, {}, false, false},
        {"the last of the maker's boards removed", kTwoMakersBoards, {5, 2}, true, true},
        {"only standard ports",
         R"(REGEDIT4

[HKEY_LOCAL_MACHINE\Enum\BIOS\*PNP0501\0D]
"DeviceDesc"="Communications Port"
"PORTNAME"="COM1"
)",
         {},
         true,
         false},
        {"no board at all", "REGEDIT4\n\n", {}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ScratchDirectories dirs;
        ASSERT_TRUE(dirs.ok());
        std::string inf =
            dirs.Write(dirs.inf, "oem970.inf", "[Manufacturer]\r\n%Prov%=Marrowlink\r\n");
        std::string driver = dirs.Write(dirs.system, "quorvane.vxd", "driver");
        OpenOver(c.fixture);
        for (LRESULT row : c.removeRows)
            ClickRemove(row);
        std::vector<Answer> script;
        if (c.restartOffered)
            script.push_back({IDNO, {}});
        {
            ScriptedAnswers answers(dialog_, script);
            PressOk();
            EXPECT_EQ(script.size(), answers.seen().size());
        }
        EXPECT_EQ(c.filesDeleted, !dirs.Exists(inf));
        EXPECT_EQ(c.filesDeleted, !dirs.Exists(driver));
        TearDown();
    }
}

TEST_F(FinishSequence, YesInTheRestartPromptRequestsTheRestartAndCloses) {
    OpenOver(kTwoMakersBoards);
    ClickRemove(5);
    ScriptedAnswers answers(dialog_, {{IDYES, {}}});
    PressOk();

    ASSERT_EQ(1u, answers.seen().size());
    EXPECT_EQ(kRestartCaption, answers.seen()[0].caption);
    ASSERT_EQ(1u, RestartRequests::calls().size());
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), RestartRequests::calls()[0].flags);
    EXPECT_EQ(0u, RestartRequests::calls()[0].reserved);
    EXPECT_FALSE(KeyExists(kCom7Key));
}

TEST(RestartPrompt, OnlyYesOrNoClosesIt) {
    struct Case {
        const char* name;
        std::vector<MSG> before;
        UINT command;
        INT_PTR result;
        size_t restartRequests;
    } cases[] = {
        {"No", {}, IDNO, 0, 0},
        {"Yes", {}, IDYES, 1, 1},
        {"Esc, the close box and Cancel, then No",
         {Posted(WM_KEYDOWN, VK_ESCAPE), Posted(WM_SYSCOMMAND, SC_CLOSE),
          Posted(WM_COMMAND, IDCANCEL), Posted(WM_COMMAND, IDOK)},
         IDNO,
         0,
         0},
    };
    RestartRequests restartRequests;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t requestsBefore = RestartRequests::calls().size();
        ScriptedAnswers answers(nullptr, {{c.command, c.before}});
        INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RESTART),
                                         nullptr, RestartDialogProc, 0);
        EXPECT_EQ(c.result, result);
        ASSERT_EQ(1u, answers.seen().size());
        EXPECT_TRUE(answers.seen()[0].upAfterBefore);
        EXPECT_EQ(c.restartRequests, RestartRequests::calls().size() - requestsBefore);
        EXPECT_TRUE(TakeQuitMessage());
    }
}

}  // namespace
