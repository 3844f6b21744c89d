// tests/e2e/e2e_command_line.h: starts the real korvalin.exe with a command line over the test
// machine's registry, and reads back its standard output, its exit code and the boxes it shows.
#ifndef KORVALIN_TESTS_E2E_E2E_COMMAND_LINE_H
#define KORVALIN_TESTS_E2E_E2E_COMMAND_LINE_H

#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/fixture_registry.h"

namespace {

const DWORD kPatience = 20000;
const char kDialogCaption[] = "Marrowlink M1/M2 & Varnak TessalineBoard Adapters";
const char kBoxCaption[] = "Varnak TessalineBoard Information";

class EndToEndCommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadFixtureFile("machine.reg"));
        before_ = ExportTestRegistry();
    }
    void TearDown() override {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                ADD_FAILURE() << "korvalin.exe was still running";
                TerminateProcess(process_.hProcess, 1);
            }
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        ClearTestRegistry();
    }

    // Starts korvalin.exe (or the program at `program`) with `arguments`, its standard output
    // a pipe read into output_.
    void Start(const std::string& arguments, HANDLE* readEnd, std::string program = "") {
        if (program.empty()) {
            program = std::string("Z:") + KORVALIN_EXE;
            for (char& c : program)
                c = c == '/' ? '\\' : c;
        }
        std::string command = "\"" + program + "\" " + arguments;
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE writeEnd;
        ASSERT_TRUE(CreatePipe(readEnd, &writeEnd, &inherit, 0));
        SetHandleInformation(*readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup = {sizeof startup};
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                   directory_.empty() ? nullptr : directory_.c_str(), &startup,
                                   &process_))
            << command;
        CloseHandle(writeEnd);
    }
    // Runs to the end; returns the exit code, with standard output in output_ ("\r\n" as "\n")
    // and, as it came, in raw_.
    DWORD Run(const std::string& arguments, const std::string& program = "") {
        HANDLE readEnd = nullptr;
        Start(arguments, &readEnd, program);
        output_.clear();
        char buffer[512];
        DWORD got;
        while (readEnd != nullptr && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) &&
               got > 0)
            output_.append(buffer, got);
        CloseHandle(readEnd);
        raw_ = output_;
        for (size_t at; (at = output_.find("\r\n")) != std::string::npos;)
            output_.erase(at, 1);
        return ExitCode();
    }
    DWORD ExitCode() {
        DWORD code = 99;
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, kPatience));
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    // The top-level window with `caption` once it is shown, or null. A window exists before its
    // controls and its initialisation; it is shown after them.
    static HWND WaitUntilShown(const char* caption) {
        for (DWORD waited = 0; waited < kPatience; waited += 50) {
            Sleep(50);
            HWND window = FindWindowA(nullptr, caption);
            if (window != nullptr && IsWindowVisible(window))
                return window;
        }
        return nullptr;
    }
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam = 0) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(
            SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &result));
        return static_cast<LRESULT>(result);
    }

    // Runs to the end without reading standard output, closing every message box it shows;
    // returns the exit code, with the text of each box shown in boxes_.
    DWORD RunClosingBoxes(const std::string& arguments) {
        HANDLE readEnd = nullptr;
        Start(arguments, &readEnd);
        CloseHandle(readEnd);
        boxes_.clear();
        HWND answered = nullptr;
        for (DWORD waited = 0; waited < kPatience; waited += 20) {
            if (WaitForSingleObject(process_.hProcess, 20) != WAIT_TIMEOUT)
                break;
            HWND box = FindWindowA(nullptr, kBoxCaption);
            if (box != nullptr && box != answered && IsWindowVisible(box)) {
                answered = box;
                char text[512] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                boxes_.push_back(text);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
        return ExitCode();
    }

    std::string before_, output_, raw_, directory_;
    std::vector<std::string> boxes_;
    PROCESS_INFORMATION process_ = {};
};

}  // namespace

#endif
