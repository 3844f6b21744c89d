// tests/e2e/e2e_bad_line_test.cpp: the real korvalin.exe given a bad command line: with a log,
// the message and the result line go to it, replacing an old one, and no box waits; without
// one, a box says why; @FILE lists of any length stay within the program's buffers.
#include <string>

#include "tests/e2e/e2e_command_line.h"

namespace {

class EndToEndBadLine : public EndToEndCommandLine {
  protected:
    void SetUp() override {
        EndToEndCommandLine::SetUp();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        directory_ = std::string(temp) + "korvalin-bad-line";
        CreateDirectoryA(directory_.c_str(), nullptr);
        Write("b", std::string(5200, ' ').replace(0, 15, "/remove 3C2B1A "));
        Write("e", "");
        Write("quote.txt", "/rename COM21=COM40\r\n/log \"C:\\K.LOG\r\n/ok\r\n");
    }
    void TearDown() override {
        for (const char* name : {"b", "e", "quote.txt", "k.log"})
            DeleteFileA((directory_ + "\\" + name).c_str());
        RemoveDirectoryA(directory_.c_str());
        EndToEndCommandLine::TearDown();
    }
    void Write(const char* name, const std::string& text) {
        HANDLE file = CreateFileA((directory_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string Read(const char* name) {
        std::string text;
        HANDLE file = CreateFileA((directory_ + "\\" + name).c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        char buffer[512];
        DWORD got = 0;
        while (file != INVALID_HANDLE_VALUE &&
               ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
            text.append(buffer, got);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return text;
    }
    void EndRun() {
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
    }
};

const char kTooLong[] = "@b: over 4096 bytes of @FILE words";

std::string Repeated(const std::string& word, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += word;
    return text;
}

// Every way a line can be bad, with the log the line names: a batch file finds why in it, never
// the last run's result, and nothing waits for a click.
TEST_F(EndToEndBadLine, EveryBadLineWithALogGoesToItAndShowsNoBox) {
    const struct {
        const char* arguments;
        std::string message;
    } cases[] = {
        {"/lst C:\\L.TXT", "Unknown option: /lst"},
        {"/plug full", "/plug needs /test"},
        {"/rename COM21=COM40 /restart", "/restart needs /ok"},
        {"/single /ok", "/single needs /rename"},
        {"/test COM5 COM5", "Port COM5 is named twice"},
        {"@missing.txt /ok", "Cannot read @missing.txt"},
        {"@quote.txt /ok", "@quote.txt: quote not closed on line 2"},
        {"@b @e @e /ok", kTooLong},
        {"/rename COM21==COM40 /ok",
         "/rename COM21==COM40: a port name cannot hold the character ="},
        {"COM1 /ok", "Unexpected argument: COM1"},
        {"/ok /OK", "/OK is given twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Write("k.log", "Result: done\r\n");
        EXPECT_EQ(1u, RunClosingBoxes(std::string(c.arguments) + " /log k.log"));
        EXPECT_TRUE(boxes_.empty()) << boxes_[0];
        EXPECT_EQ(c.message + "\r\nResult: bad command line\r\n", Read("k.log"));
        EndRun();
    }
    EXPECT_EQ(before_, ExportTestRegistry());
}

// A list file that filled the expansion, then many empty ones, once overwrote the program's
// return address: now a box says the files are too long, and how a log would take it.
TEST_F(EndToEndBadLine, LongListThenManyEmptyFilesIsABadLineInABox) {
    const std::string line = "@b" + Repeated(" @e", 35);
    ASSERT_EQ(107u, line.size()) << "within what a cut line leaves";
    EXPECT_EQ(1u, RunClosingBoxes(line));
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ(std::string(kTooLong) + "\n\n(/log FILE takes this without a box)", boxes_[0]);
    EXPECT_EQ(before_, ExportTestRegistry());
}

}  // namespace
