// tests/platform/text_streams_test.cpp: the text builder at its edges, and text files as the
// utility writes and reads them: CR LF line ends on the disk, text mode's reading of CR LF and
// Ctrl+Z. On the build's own files: the host's natively, KERNEL32's under Wine.
#include <stdio.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/files.h"
#include "platform/streams.h"
#include "platform/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

TEST(TextBuilder, CutsToFitAndTakesPercentInAPieceAsText) {
    char text[8] = "ab";
    AppendText(text, sizeof text, "cdefghij");
    EXPECT_STREQ("abcdefg", text);
    AppendNumber(text, sizeof text, 5);
    EXPECT_STREQ("abcdefg", text) << "a full text takes nothing more";

    char one[1] = "";
    AppendText(one, sizeof one, "y");
    EXPECT_STREQ("", one);

    char number[24] = "";
    AppendNumber(number, sizeof number, 4294967295ul);
    AppendNumber(number, sizeof number, 0);
    EXPECT_STREQ("42949672950", number);

    char message[40];
    FormatText(message, sizeof message, "COM Port=[%s] is in use", "%s%d");
    EXPECT_STREQ("COM Port=[%s%d] is in use", message);
    FormatText(message, 6, "COM Port=[%s]", "COM1");
    EXPECT_STREQ("COM P", message);
    FormatText(message, sizeof message, "no mark", "COM1");
    EXPECT_STREQ("no mark", message);
}

class TextFiles : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        char directory[MAX_PATH], name[MAX_PATH];
        GetTempPathA(sizeof directory, directory);
        ASSERT_NE(0u, GetTempFileNameA(directory, "kvt", 0, name));
        path_ = name;
#else
        char name[] = "/tmp/korvalin-text-XXXXXX";
        close(mkstemp(name));
        path_ = name;
#endif
    }
    void TearDown() override {
        remove(path_.c_str());
    }

    std::string Bytes() const {
        std::string bytes;
        PlatformFile* file = FilesOpenForReading(path_.c_str());
        char buffer[300];  // smaller than the stream's buffer, to read in several pieces
        long got;
        while (file != nullptr && (got = FilesRead(file, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, static_cast<size_t>(got));
        if (file != nullptr)
            FilesClose(file);
        return bytes;
    }
    void WriteBytes(const std::string& bytes) {
        PlatformFile* file = FilesCreate(path_.c_str());
        ASSERT_NE(nullptr, file);
        ASSERT_TRUE(FilesWrite(file, bytes.data(), static_cast<unsigned long>(bytes.size())));
        ASSERT_TRUE(FilesClose(file));
    }
    std::string ReadBack() {
        TextReader reader;
        EXPECT_TRUE(OpenTextReader(&reader, path_.c_str()));
        std::string text;
        for (int c; (c = ReadTextCharacter(&reader)) >= 0;)
            text += static_cast<char>(c);
        EXPECT_EQ(-1, ReadTextCharacter(&reader)) << "the end stays the end";
        CloseTextReader(&reader);
        return text;
    }

    std::string path_;
};

// Lines long enough that their CR LF pairs straddle the writer's and the reader's buffers.
TEST_F(TextFiles, LinesEndInCrLfOnTheDiskAndReadBackAsWritten) {
    std::string text, expected;
    for (int i = 0; i < 200; ++i) {
        std::string line = std::string(static_cast<size_t>(i % 7), 'x') + "\n";
        text += line;
        expected += line.substr(0, line.size() - 1) + "\r\n";
    }
    TextWriter writer;
    ASSERT_TRUE(OpenTextWriter(&writer, path_.c_str()));
    WriteText(&writer, text.c_str());
    ASSERT_TRUE(CloseTextWriterOnDisk(&writer));
    EXPECT_EQ(expected, Bytes());
    EXPECT_EQ(text, ReadBack());
}

TEST_F(TextFiles, ReadAsTextModeReadsIt) {
    const struct {
        const char* name;
        std::string bytes, text;
    } cases[] = {
        {"CR LF and a lone LF end lines", "a\r\nb\nc", "a\nb\nc"},
        {"a lone CR stays", "a\rb\r", "a\rb\r"},
        {"Ctrl+Z ends the text", std::string("a b\x1A[Manufacturer]\n", 20), "a b"},
        {"a NUL is a character", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"CR LF across the buffer", std::string(511, 'x') + "\r\ny", std::string(511, 'x') + "\ny"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(c.bytes);
        EXPECT_EQ(c.text, ReadBack());
    }
}

TEST_F(TextFiles, MissingFileDoesNotOpen) {
    remove(path_.c_str());
    TextReader reader;
    EXPECT_FALSE(OpenTextReader(&reader, path_.c_str()));
    EXPECT_EQ(-1, ReadTextCharacter(&reader));
    CloseTextReader(&reader);
}

}  // namespace
