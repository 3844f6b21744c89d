// tests/e2e/e2e_readme_test.cpp: the README's command-line examples, run as a technician would
// run them on the demo registry, their output held against the text the README quotes.
//
// An example is an indented block whose first line starts with the prompt "C:\>". Each prompt
// line is "start /w korvalin ARGUMENTS" (the real korvalin.exe, waited for), "type FILE" (the
// file's lines must follow it exactly, up to the next prompt or the block's end), a batch file
// (run by cmd /c, as a technician types its path), or "rem next machine: FIXTURE.reg" (the
// registry becomes that fixture's, with no undo folder: the machine a saved setup is carried
// to). Every block starts again from the demo registry, with no undo folder and none of the
// files it types. A setup file's "written on" time is the run's, so its digits are not compared.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/fixture_registry.h"

namespace {

const char kPrompt[] = "C:\\>";
const char kStart[] = "start /w korvalin ";
const char kType[] = "type ";
const char kNextMachine[] = "rem next machine: ";
const char kWrittenOn[] = "; Written by korvalin on ";
const DWORD kPatience = 20000;

std::string ReadWhole(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    char buffer[4096];
    DWORD got = 0;
    while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) &&
           got > 0)
        text.append(buffer, got);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == '\r')));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// The README's examples: each block's lines, without the indent, with its line number.
struct Example {
    int line;
    std::vector<std::string> lines;
};

std::vector<Example> Examples() {
    std::vector<Example> examples;
    std::vector<std::string> readme = Lines(ReadWhole(KORVALIN_README));
    for (size_t i = 0; i < readme.size(); ++i) {
        if (readme[i].rfind(std::string("    ") + kPrompt, 0) != 0 ||
            (i > 0 && readme[i - 1].rfind("    ", 0) == 0))
            continue;
        Example example = {static_cast<int>(i + 1), {}};
        for (; i < readme.size() && readme[i].rfind("    ", 0) == 0; ++i)
            example.lines.push_back(readme[i].substr(4));
        examples.push_back(example);
    }
    return examples;
}

// The line with the digits of a setup's written-on time masked.
std::string WithoutTime(std::string line) {
    if (line.rfind(kWrittenOn, 0) == 0)
        for (char& c : line)
            c = c >= '0' && c <= '9' ? '#' : c;
    return line;
}

DWORD RunCommand(std::string command) {
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    DWORD code = 99;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\",
                        &startup, &process)) {
        ADD_FAILURE() << "could not start " << command << ": error " << GetLastError();
        return code;
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, kPatience)) << command;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

DWORD RunKorvalin(const std::string& arguments) {
    std::string program = std::string("Z:") + KORVALIN_EXE;
    for (char& c : program)
        c = c == '/' ? '\\' : c;
    return RunCommand("\"" + program + "\" " + arguments);
}

int EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, text.c_str() + text.size() -
                              end.size(), -1, end.c_str(), -1) == CSTR_EQUAL;
}

// Wine's Windows directory, where the undo folders go.
void RemoveUndoFolders() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    RunCommand(std::string("cmd /c rmdir /s /q ") + windows + "\\KORVALIN");
}

TEST(ReadmeExamples, QuotedOutputIsWhatTheDemoGives) {
    const std::vector<Example> examples = Examples();
    ASSERT_GE(examples.size(), 3u) << "the README's examples were not found";
    for (const Example& example : examples) {
        SCOPED_TRACE("README.md line " + std::to_string(example.line));
        ClearTestRegistry();
        ASSERT_TRUE(LoadFixtureFile("demo.reg"));
        RemoveUndoFolders();
        for (const std::string& line : example.lines) {
            if (line.rfind(kPrompt, 0) == 0 && line.find(kType) == sizeof kPrompt - 1)
                DeleteFileA(line.substr(sizeof kPrompt - 1 + sizeof kType - 1).c_str());
        }

        std::vector<std::string> expected, got;
        auto compare = [&] {
            EXPECT_EQ(expected, got);
            expected.clear();
            got.clear();
        };
        for (const std::string& line : example.lines) {
            if (line.rfind(kPrompt, 0) != 0) {
                expected.push_back(WithoutTime(line));
                continue;
            }
            compare();
            const std::string command = line.substr(sizeof kPrompt - 1);
            if (command.rfind(kStart, 0) == 0) {
                RunKorvalin(command.substr(sizeof kStart - 1));
            } else if (command.rfind(kType, 0) == 0) {
                for (const std::string& typed : Lines(ReadWhole(command.substr(sizeof kType - 1))))
                    got.push_back(WithoutTime(typed));
            } else if (command.rfind(kNextMachine, 0) == 0) {
                ClearTestRegistry();
                ASSERT_TRUE(LoadFixtureFile(command.substr(sizeof kNextMachine - 1).c_str()));
                RemoveUndoFolders();
            } else if (EndsWith(command, ".BAT")) {
                RunCommand("cmd /c " + command);
            } else
                ADD_FAILURE() << "an example may only start korvalin or type a file: " << line;
        }
        compare();
    }
    ClearTestRegistry();
    RemoveUndoFolders();
}

}  // namespace
