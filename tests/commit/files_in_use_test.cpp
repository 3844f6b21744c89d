// tests/commit/files_in_use_test.cpp: a driver or INF file another program holds open is never
// deleted while Windows runs (Windows 95 would delete it from under that program): it goes into
// WININIT.INI's [rename] section, for WININIT.EXE to delete at the restart.
//
// Both builds: under Wine a helper process holds the file open without write sharing; natively
// the file layer is told the file is held, which the host cannot show.
#include <string>
#include <utility>
#include <vector>

#include "commit/ok_changes.h"
#include "commit/restart_deletions.h"
#include "gtest/gtest.h"
#include "platform/files.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"

namespace {

const char kMakersInf[] = "[Manufacturer]\r\n%Prov%=VarnakTessalineBoard\r\n";

typedef std::vector<std::pair<int, std::string>> Changes;

void NoteFileChange(void* context, const OkChange& change) {
    if (change.kind == kOkFileDeleted || change.kind == kOkFileDeletedAtRestart)
        static_cast<Changes*>(context)->push_back({change.kind, change.path});
}

std::string ShortPath(const std::string& path) {
    char buffer[260];
    EXPECT_NE(0u, FilesGetShortPath(path.c_str(), buffer, sizeof buffer)) << path;
    return buffer;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    if (PlatformFile* file = FilesOpenForReading(path.c_str())) {
        char buffer[512];
        for (long got; (got = FilesRead(file, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(got));
        FilesClose(file);
    }
    return text;
}

// The entry goes into the first [rename] section, every other byte kept: appended when the
// section is last or absent (over a final Ctrl+Z, after an unended last line), else first in it.
TEST(RestartDeletions, AddsTheEntryToWininitKeepingEveryOtherByte) {
    const char kEntry[] = "NUL=C:\\WINDOWS\\SYSTEM\\QUORVANE.DLL\r\n";
    const struct {
        bool exists;
        std::string before, after;
    } cases[] = {
        {false, "", std::string("[rename]\r\n") + kEntry},
        {true, "", std::string("[rename]\r\n") + kEntry},
        {true, "[Rename]\r\nNUL=C:\\OLD.TMP\r\n",
         std::string("[Rename]\r\nNUL=C:\\OLD.TMP\r\n") + kEntry},
        {true, "[rename]\r\nNUL=C:\\OLD.TMP",
         std::string("[rename]\r\nNUL=C:\\OLD.TMP\r\n") + kEntry},
        {true, "[rename]", std::string("[rename]\r\n") + kEntry},
        {true, "[rename]\r\nA=B\r\n\x1a", std::string("[rename]\r\nA=B\r\n") + kEntry},
        {true, "[rename]\r\n\x1a\x1a", std::string("[rename]\r\n") + kEntry + "\x1a\x1a"},
        {true, "[rename]\r\nA=B\r\n[boot]\r\n",
         std::string("[rename]\r\n") + kEntry + "A=B\r\n[boot]\r\n"},
        {true, "[boot]\r\nk=v\x1a", std::string("[boot]\r\nk=v\r\n[rename]\r\n") + kEntry},
        {true, "[boot]\r\nx=[rename]\r\n  [RENAME] ; theirs\nA=B\n\n[other]\r\nk=v",
         std::string("[boot]\r\nx=[rename]\r\n  [RENAME] ; theirs\n") + kEntry +
             "A=B\n\n[other]\r\nk=v"},
        {true, "[boot]\r\nk=v", std::string("[boot]\r\nk=v\r\n[rename]\r\n") + kEntry},
        {true, "[renamed]\r\n\x1a", std::string("[renamed]\r\n[rename]\r\n") + kEntry},
        {true, "[boot]\r\n\x1a[rename]\r\n",
         std::string("[boot]\r\n[rename]\r\n") + kEntry + "\x1a[rename]\r\n"},
    };
    ScratchDirectories dirs;
    const std::string wininit = dirs.windows + "/" + kWininitFile;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        FilesDelete(wininit.c_str());
        if (c.exists)
            dirs.Write(dirs.windows, kWininitFile, c.before);
        ASSERT_EQ(kRestartDeletionAdded, AddRestartDeletion("C:\\WINDOWS\\SYSTEM\\QUORVANE.DLL"));
        EXPECT_EQ(c.after, ReadAll(wininit));
    }
    FilesDelete(wininit.c_str());
}

class FilesInUse : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadFixtureText("REGEDIT4\n"));  // no board: OK removes the maker's files
        inf_ = dirs_.Write(dirs_.inf, "oem70.inf", kMakersInf);
        held_ = dirs_.Write(dirs_.system, "quorvane.dll", "in use");
        free_ = dirs_.Write(dirs_.system, "brisquel.vxd", "x");
        wininit_ = dirs_.Write(dirs_.windows, kWininitFile, kTheirWininit);
    }
    void TearDown() override { ClearTestRegistry(); }
    static constexpr const char* kTheirWininit =
        "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TMP\r\nC:\\A.DLL=C:\\A.NEW\r\n\r\n[o]\r\nk=v\r\n";
    ScratchDirectories dirs_;
    PortInventory none_ = {};
    std::string inf_, held_, free_, wininit_;
};

TEST_F(FilesInUse, HeldFileIsLeftForTheRestartAsThePreviewSaidAndTheRestDeletedNow) {
    HeldFile holder(held_);
    const std::string shortPath = ShortPath(dirs_.system + "\\quorvane.dll");  // as OK names it
    Changes previewed, made;
    EXPECT_EQ(1, PreviewOkChanges(none_, NoteFileChange, &previewed)) << "a restart must follow";
    EXPECT_EQ(kTheirWininit, ReadAll(wininit_)) << "the preview changed WININIT.INI";
    ASSERT_EQ(3u, previewed.size());
    EXPECT_EQ(kOkFileDeleted, previewed[0].first);
    EXPECT_EQ(kOkFileDeletedAtRestart, previewed[1].first);
    EXPECT_NE(std::string::npos, previewed[1].second.find("quorvane.dll"));
    EXPECT_EQ(kOkFileDeleted, previewed[2].first);

    EXPECT_EQ(1, ApplyOkChanges(none_, NoteFileChange, &made));
    EXPECT_EQ(previewed, made);
    EXPECT_TRUE(dirs_.Exists(held_)) << "deleted from under the program holding it";
    EXPECT_FALSE(dirs_.Exists(inf_));
    EXPECT_FALSE(dirs_.Exists(free_));
    EXPECT_EQ("[boot]\r\nshell=x\r\n[rename]\r\nNUL=" + shortPath +
                  "\r\nNUL=C:\\OLD.TMP\r\nC:\\A.DLL=C:\\A.NEW\r\n\r\n[o]\r\nk=v\r\n",
              ReadAll(wininit_));
}

}  // namespace
