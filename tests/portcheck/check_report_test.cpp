// tests/portcheck/check_report_test.cpp: the saved report: its name beside the undo folders, its
// CR LF lines and their wrapping at 80 columns, and a folder it cannot be written in.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/host/files_native.h"
#include "portcheck/check_report.h"

namespace fs = std::filesystem;

namespace {

class TestReportFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvalin-report-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        windows_ = pattern;
        FilesNativeSetDirectories(windows_.c_str(), windows_.c_str());
    }
    void TearDown() override {
        FilesNativeSetDirectories(nullptr, nullptr);
        fs::remove_all(windows_);
    }
    std::string Own() const { return windows_ + "/KORVALIN"; }
    // Saves `lines`; the report's path as it names it.
    std::string Save(const std::vector<std::string>& lines) {
        TestReport report;
        EXPECT_EQ(1, OpenTestReport(&report));
        for (const std::string& line : lines)
            WriteTestReportLine(&report, line.c_str());
        EXPECT_EQ(1, CloseTestReport(&report));
        return report.path;
    }
    std::string Read(std::string path) const {
        for (char& c : path)
            c = c == '\\' ? '/' : c;
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::string windows_;
};

// Each TESTnnnn.TXT takes the number after the highest, from 0001, whatever the undo folders use;
// never one in a gap, so the newest is always the highest.
TEST_F(TestReportFile, TakesTheNumberAfterTheHighestBesideTheUndoFolders) {
    struct Case {
        std::vector<std::string> there;  // in KORVALIN before the save ("" for none at all)
        const char* named;
    };
    const Case cases[] = {
        {{}, "TEST0001.TXT"},
        {{"UNDO0001", "UNDO0002"}, "TEST0001.TXT"},
        {{"TEST0001.TXT", "TEST0002.TXT"}, "TEST0003.TXT"},
        {{"TEST0001.TXT", "TEST0003.TXT"}, "TEST0004.TXT"},
        {{"TEST0002.TXT", "test0007.txt", "TEST0009.BAK", "TEST00010.TXT"}, "TEST0008.TXT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        fs::remove_all(Own());
        if (!c.there.empty())
            fs::create_directory(Own());
        for (const std::string& name : c.there)
            std::ofstream(Own() + "/" + name) << "x";
        EXPECT_EQ(windows_ + "\\KORVALIN\\" + c.named, Save({"COM5 open: free"}));
        EXPECT_EQ("COM5 open: free\r\n", Read(Own() + "/" + c.named));
    }
}

// Lines go out as they are up to 80 columns; a longer one breaks at its last space that fits,
// or at 80 without one, and goes on two spaces in.
TEST_F(TestReportFile, WrapsLinesLongerThanEightyColumns) {
    const std::string eighty(80, 'a'), seventy(70, 'b');
    struct Case {
        const char* what;
        std::string line;
        std::string written;
    };
    const Case cases[] = {
        {"empty", "", "\r\n"},
        {"exactly 80", eighty, eighty + "\r\n"},
        {"leading spaces kept", "  Passed", "  Passed\r\n"},
        {"81 without a space", eighty + "c", eighty + "\r\n  c\r\n"},
        {"a space at column 81", eighty + " tail", eighty + "\r\n  tail\r\n"},
        {"breaks at the last space", seventy + " one two three four",
         seventy + " one two\r\n  three four\r\n"},
        {"spaces at the break dropped", seventy + " nine12345   next",
         seventy + " nine12345\r\n  next\r\n"},
        {"three pieces", std::string(200, 'x'),
         std::string(80, 'x') + "\r\n  " + std::string(78, 'x') + "\r\n  " + std::string(42, 'x') +
             "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.written, Read(Save({c.line})));
    }
}

TEST_F(TestReportFile, SaysWhatCouldNotBeMade) {
    std::ofstream(Own()) << "a file where the folder must go";
    TestReport report;
    EXPECT_EQ(0, OpenTestReport(&report));
    EXPECT_EQ(windows_ + "\\KORVALIN\\TEST0001.TXT", report.path);
    EXPECT_NE(0u, FilesLastError());

    FilesNativeSetDirectories(nullptr, nullptr);
    EXPECT_EQ(0, OpenTestReport(&report));
    EXPECT_STREQ("", report.path);
}

}  // namespace
