// tests/cmdline/argument_file_test.cpp: @FILE: files too long alone or together, unclosed
// quotes, and a line that may have been cut, each a bad line that keeps the rest in bounds.
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"

namespace {

struct ArgumentFile {
    const char* name;
    std::string text;
};

// Writes the files into a scratch folder that relative names are taken from, and takes them
// away again.
class ArgumentFiles : public ::testing::Test {
  protected:
    void Write(const std::vector<ArgumentFile>& files) {
        for (const ArgumentFile& file : files) {
            FILE* out = fopen((folder_ + file.name).c_str(), "wb");
            ASSERT_NE(nullptr, out);
            fwrite(file.text.data(), 1, file.text.size(), out);
            fclose(out);
            written_.push_back(folder_ + file.name);
        }
    }
    void SetUp() override { ASSERT_TRUE(FilesSetCurrentDirectory(folder_.c_str())); }
    void TearDown() override {
        for (const std::string& name : written_)
            remove(name.c_str());
        char here[4096];
        FilesSetCurrentDirectory(getcwd(here, sizeof here));
    }

    std::string folder_ = ::testing::TempDir();
    std::vector<std::string> written_;
};

std::string Repeated(const std::string& word, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += word;
    return text;
}

const char kTooLong[] = "@%s: over 4096 bytes of @FILE words";

std::string TooLong(const char* name) {
    std::string text = kTooLong;
    return text.replace(text.find("%s"), 2, name);
}

// The limit holds to the byte, for one file and for all of them together; a bad file gives
// none of its words, so the line's own /log still takes the message. A list file that filled
// the expansion, then many empty ones, each used to write its blank and terminator one byte
// further past the buffer, over the return address.
TEST_F(ArgumentFiles, LimitHoldsExactlyWithinTheBufferAndABadFileGivesNoWords) {
    Write({{"full", std::string(4096, ' ')},
           {"over", std::string(4097, ' ')},
           {"half", std::string(2048, ' ')},
           {"b", Repeated("/remove 3C2B1A ", 347).substr(0, 5200)},
           {"e", ""},
           {"logs", "/log C:\\CONFIG.SYS" + std::string(4090, ' ')},
           {"quote", "/rename COM1=COM2\n/log \"C:\\K.LOG\n/ok\n"},
           {"closed", "/rename \"COM1=COM 2\"\n"},
           {"spans", "/remove \"3C2B1A\r\n\"\r\n"}});
    const struct {
        std::string line;
        std::string error;
        const char* logPath;
    } cases[] = {
        {"@full /log -", "", "-"},
        {"@over /log -", TooLong("over"), "-"},
        {"@half @half /log -", "", "-"},
        {"/log - @half @half @half", TooLong("half"), "-"},
        {"@b" + Repeated(" @e", 35), TooLong("b"), ""},  // 107 characters: not cut on DOS
        {"@logs", TooLong("logs"), ""},
        {"@quote /log -", "@quote: quote not closed on line 2", "-"},
        {"@spans /log -", "@spans: quote not closed on line 1", "-"},
        {"@closed",
         "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side "
         "and no blanks in NEW: COM1=COM 2",
         ""},
        {"@missing /log -", "Cannot read @missing", "-"},
    };
    for (const auto& c : cases) {
        for (int dosLimited = 0; dosLimited <= 1; ++dosLimited) {
            SCOPED_TRACE(c.line + (dosLimited ? " (DOS)" : ""));
            CommandLine parsed;
            ParseCommandLine(c.line.c_str(), &parsed, dosLimited);
            EXPECT_EQ(!c.error.empty(), parsed.bad != 0);
            EXPECT_EQ(c.error, parsed.errorText);
            EXPECT_STREQ(c.logPath, parsed.logPath);
            EXPECT_EQ(0, parsed.changeCount);
            EXPECT_FALSE(parsed.commit) << "a bad file's words are taken";
        }
    }
}

// The cut end of a line may name a file that is not the one meant: nothing on it is read.
TEST_F(ArgumentFiles, LineThatMayHaveBeenCutReadsNoFile) {
    Write({{"a", "/log C:\\K.LOG /ok"}});
    std::string line = "@a /rename COM12=COM2";
    line += std::string(kDosCutArguments - line.size(), ' ');
    CommandLine parsed;
    ParseCommandLine(line.c_str(), &parsed, 1);
    EXPECT_TRUE(parsed.bad);
    EXPECT_FALSE(parsed.logPath[0] || parsed.commit || parsed.changeCount);
    EXPECT_EQ(kRunBadCommandBox, CommandRunOf(parsed));
}

}  // namespace
