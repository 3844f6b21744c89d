// tests/commit/restart_deletions_test.cpp: WININIT.INI is appended to where the new line can go
// at its end, rewritten only where another section follows [rename], and left as it was when a
// write fails (natively, where a full disk can be had).
#include <string.h>

#include <string>

#include "commit/restart_deletions.h"
#include "gtest/gtest.h"
#include "platform/files.h"
#include "tests/commit/commit_test_support.h"

#ifndef _WIN32
#include "platform/host/files_native.h"
#endif

namespace {

const char kShortPath[] = "C:\\WINDOWS\\SYSTEM\\QUORVANE.DLL";

TEST(RestartDeletions, AppendsUnlessAnotherSectionOrMoreThanAFinalCtrlZFollows) {
    const struct {
        const char* text;
        size_t place;
        int rewrite;
    } cases[] = {
        {"", 0, 0},
        {"[boot]\r\nk=v\r\n", 13, 0},
        {"[boot]\r\n[rename]\r\nA=B\r\n", 23, 0},
        {"[rename]\r\nA=B\r\n\x1a", 15, 0},
        {"[rename]\r\nA=B\r\n\x1a\r\n", 15, 1},
        {"[rename]\r\nA=B\r\n[boot]\r\n", 10, 1},
        {"[rename]\r\nA=B\r\n  [boot]\r\n", 10, 1},
        {"[rename]\r\n[rename]\r\n", 10, 1},
        {"[rename]\r\nA=B\r\n\x1a[boot]\r\n", 15, 1},  // WININIT.EXE never sees [boot]
        {"x=[boot]\r\n[RENAME]\nA=[b]\n", 25, 0},
        {"[boot]\x1a[rename]\r\n", 6, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WininitEdit edit;
        PlanRestartDeletion(c.text, strlen(c.text), kShortPath, &edit);
        EXPECT_EQ(c.place, edit.place);
        EXPECT_EQ(c.rewrite, edit.rewrite);
    }
}

#ifndef _WIN32
std::string ReadWhole(const std::string& path) {
    std::string text;
    if (PlatformFile* file = FilesOpenForReading(path.c_str())) {
        char buffer[4096];
        for (long got; (got = FilesRead(file, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(got));
        FilesClose(file);
    }
    return text;
}

// A full disk at any point of the write: the file keeps its bytes, and its length. A disk that
// fails even where the file's bytes were cannot have it put back, and says so.
TEST(RestartDeletions, AWriteThatFailsLeavesTheFileAsItWas) {
    std::string others;
    for (int i = 0; others.size() < 9000; ++i)
        others += "C:\\PROGRA~1\\VARNAK\\T" + std::to_string(i) + ".DLL=C:\\VARNAK\\T.NEW\r\n";
    const std::string rewritten = "[rename]\r\n" + others + "[boot]\r\nshell=x\r\n";
    const std::string appended = "[boot]\r\nshell=x\r\n[rename]\r\n" + others + "\x1a";
    const long entry = static_cast<long>(sizeof "NUL=\r\n" - 1 + sizeof kShortPath - 1);
    const struct {
        const std::string& before;
        long room;  // bytes past the old length the disk takes; negative: fewer than it held
        int result;
    } cases[] = {
        {rewritten, 0, kRestartDeletionNotAdded},
        {rewritten, 1, kRestartDeletionNotAdded},
        {rewritten, entry - 1, kRestartDeletionNotAdded},
        {rewritten, entry, kRestartDeletionAdded},
        {appended, -1, kRestartDeletionNotPutBack},
        {appended, 0, kRestartDeletionNotAdded},
        {appended, entry / 2, kRestartDeletionNotAdded},
        {appended, entry - 2, kRestartDeletionNotAdded},  // the Ctrl+Z's byte is written over
        {appended, entry - 1, kRestartDeletionAdded},
        {rewritten, -4096, kRestartDeletionNotPutBack},
    };
    ScratchDirectories dirs;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before.size() << " bytes, room " << c.room);
        const std::string wininit = dirs.Write(dirs.windows, kWininitFile, c.before);
        FilesNativeSetFileSizeLimit(static_cast<long>(c.before.size()) + c.room);
        int result = AddRestartDeletion(kShortPath);
        FilesNativeSetFileSizeLimit(-1);
        EXPECT_EQ(c.result, result);
        std::string after = ReadWhole(wininit);
        if (result == kRestartDeletionNotAdded)
            EXPECT_EQ(c.before, after);
        else if (result == kRestartDeletionAdded)
            EXPECT_NE(std::string::npos, after.find("NUL=" + std::string(kShortPath) + "\r\n"));
        else
            EXPECT_LE(after.size(), c.before.size());
    }
}

// A file another program holds without sharing cannot be read: it is not written either.
TEST(RestartDeletions, AHeldFileIsNotWritten) {
    ScratchDirectories dirs;
    const std::string wininit = dirs.Write(dirs.windows, kWininitFile, "[rename]\r\n");
    FilesNativeSetInUse(wininit.c_str(), kFileHeldWithoutSharing);
    EXPECT_EQ(kRestartDeletionNotAdded, AddRestartDeletion(kShortPath));
    FilesNativeSetInUse(wininit.c_str(), 0);
    EXPECT_EQ("[rename]\r\n", ReadWhole(wininit));
}
#endif

}  // namespace
