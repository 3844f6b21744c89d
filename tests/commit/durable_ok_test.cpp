// tests/commit/durable_ok_test.cpp: what OK puts on the disk before what, natively.
//
// The native platform tells a hook of each change before it makes it, and lets the hook refuse
// one as a failing disk or registry would. The order must be: every undo file flushed to the
// disk, then the registry changes, then the registry flushed, then the file deletions.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "commit/ok_changes.h"
#include "gtest/gtest.h"
#include "inventory/inventory.h"
#include "commit/restart_deletions.h"
#include "platform/host/change_journal.h"
#include "platform/files.h"
#include "platform/host/files_native.h"
#include "platform/host/memory_registry.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/test_inventory.h"

namespace {

const char kMakersInf[] = "[Manufacturer]\r\n%Prov%=VarnakTessalineBoard\r\n";

struct Journal {
    std::vector<std::pair<int, std::string>> changes;
    int refuse = -1;  // the change kind to refuse, once a name containing `refuseIn` comes
    std::string refuseIn;
};

int Note(void* context, int change, const char* name) {
    Journal* journal = static_cast<Journal*>(context);
    if (change == journal->refuse && std::string(name).find(journal->refuseIn) != std::string::npos)
        return 0;
    journal->changes.push_back({change, name});
    return 1;
}

class DurableOk : public ::testing::Test {
  protected:
    void SetUp() override {
        MemoryRegistryReset();
        ResetInventory();
        dirs_.Write(dirs_.inf, "oem4.inf", kMakersInf);
        dirs_.Write(dirs_.system, "quorvane.vxd", "driver");
        ASSERT_TRUE(LoadFixtureFile("machine.reg"));
        ASSERT_EQ(1, BuildPortInventory());
        // Every maker's board goes: keys are deleted, ports renamed and files removed.
        for (int b = 0; b < g_inventory.boardCount; ++b)
            g_inventory.boards[b].removed = g_inventory.boards[b].boardType != kBoardStandardCom;
        Rename(g_inventory.boards[0].ports[0], "COM9");
        before_ = ExportTestRegistry();
    }
    void TearDown() override {
        SetPlatformChangeHook(nullptr, nullptr);
        std::filesystem::remove_all(dirs_.windows + "/KORVALIN");
    }
    OkOutcome Ok() {
        SetPlatformChangeHook(Note, &journal_);
        OkOutcome outcome;
        CarryOutOkChanges(g_inventory, &outcome);
        SetPlatformChangeHook(nullptr, nullptr);
        return outcome;
    }
    // The positions of the first and last change of `kind` in the journal (-1 when none).
    struct Positions {
        int first, last;
    };
    Positions Span(int kind) const {
        int first = -1, last = -1;
        for (int i = 0; i < static_cast<int>(journal_.changes.size()); ++i) {
            if (journal_.changes[i].first == kind) {
                last = i;
                first = first < 0 ? i : first;
            }
        }
        return {first, last};
    }
    ScratchDirectories dirs_;
    Journal journal_;
    std::string before_;
};

TEST_F(DurableOk, UndoFilesThenRegistryThenItsFlushThenFileDeletions) {
    OkOutcome outcome = Ok();
    ASSERT_EQ(kOkDone, outcome.result);
    std::vector<std::string> flushed;
    for (const auto& change : journal_.changes)
        if (change.first == kChangeFileFlushed)
            flushed.push_back(change.second.substr(change.second.rfind('\\') + 1));
    EXPECT_EQ((std::vector<std::string>{"FILE0001.DAT", "FILE0002.DAT", "UNDO.REG", "UNDO.BAT",
                                        "UNDODOS.BAT"}),
              flushed);

    auto files = Span(kChangeFileFlushed), values = Span(kChangeValueWritten),
         keys = Span(kChangeKeyDeleted), registry = Span(kChangeRegistryFlushed),
         deletions = Span(kChangeFileDeleted);
    ASSERT_GE(values.first, 0);
    ASSERT_GE(keys.first, 0);
    ASSERT_EQ(registry.first, registry.last) << "the registry is flushed once";
    EXPECT_LT(files.last, std::min(values.first, keys.first));
    EXPECT_LT(std::max(values.last, keys.last), registry.first);
    EXPECT_EQ(registry.first + 1, deletions.first);
    EXPECT_EQ(2, deletions.last - deletions.first + 1);
}

// A full disk (the journal refuses the flush) leaves no folder behind, and says so: of the copy
// of a file, or of the folder's own files.
TEST_F(DurableOk, UndoFileThatDoesNotReachTheDiskChangesNothing) {
    const std::string folder = dirs_.windows + "\\KORVALIN\\UNDO0001";
    const struct {
        const char* file;
        std::string said;
    } cases[] = {
        {"FILE0002.DAT", dirs_.system + "\\quorvane.vxd could not be copied"},
        {"UNDO.REG", "The undo folder " + folder + " could not be written"},
        {"UNDO.BAT", "The undo folder " + folder + " could not be written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        journal_ = Journal{{}, kChangeFileFlushed, c.file};
        OkOutcome outcome = Ok();
        EXPECT_EQ(kOkUndoNotWritten, outcome.result);
        EXPECT_EQ(before_, ExportTestRegistry());
        EXPECT_TRUE(dirs_.Exists(dirs_.inf + "/oem4.inf"));
        EXPECT_TRUE(dirs_.Exists(dirs_.system + "/quorvane.vxd"));
        EXPECT_FALSE(dirs_.Exists(dirs_.windows + "/KORVALIN"));
        char reason[kUndoFailureSize];
        EXPECT_EQ(kUndoDiskFull, DescribeUndoFailure(outcome, reason, sizeof reason));
        EXPECT_EQ(c.said + ": the disk may be full or read-only (error 112)", reason);
        std::filesystem::remove_all(dirs_.windows + "/KORVALIN");
    }
}

// The registry is changed, but until it is on the disk no driver file may go: a crash would
// leave a registry that still loads them.
TEST_F(DurableOk, RegistryThatDoesNotReachTheDiskKeepsTheFiles) {
    journal_ = Journal{{}, kChangeRegistryFlushed, ""};
    OkOutcome outcome = Ok();
    EXPECT_EQ(kOkDone, outcome.result);
    EXPECT_EQ(1, outcome.changed);
    EXPECT_NE(before_, ExportTestRegistry());
    EXPECT_EQ(-1, Span(kChangeFileDeleted).first);
    EXPECT_TRUE(dirs_.Exists(dirs_.inf + "/oem4.inf"));
    EXPECT_TRUE(dirs_.Exists(dirs_.system + "/quorvane.vxd"));
}

// A driver file in use is left for the restart: WININIT.INI reaches the disk after the registry
// did, and UNDO.BAT names that line and takes it out again (FIND /V, run from the Windows
// directory) before copying the file back.
TEST_F(DurableOk, HeldFileGoesIntoWininitAfterTheRegistryFlushAndUndoTakesItOut) {
    const std::string held = dirs_.system + "\\quorvane.vxd";
    FilesNativeSetInUse(held.c_str(), 1);
    OkOutcome outcome = Ok();
    FilesNativeSetInUse(held.c_str(), 0);
    ASSERT_EQ(kOkDone, outcome.result);
    EXPECT_EQ(kOkAsPlanned, outcome.deviation);
    EXPECT_EQ(1, outcome.made[kOkFileDeleted]);
    EXPECT_EQ(1, outcome.made[kOkFileDeletedAtRestart]);
    EXPECT_TRUE(dirs_.Exists(dirs_.system + "/quorvane.vxd"));

    int wininitFlushed = -1;
    for (int i = 0; i < static_cast<int>(journal_.changes.size()); ++i)
        if (journal_.changes[i].first == kChangeFileFlushed &&
            journal_.changes[i].second.find(kWininitFile) != std::string::npos)
            wininitFlushed = i;
    EXPECT_LT(Span(kChangeRegistryFlushed).first, wininitFlushed);

    std::string bat;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dirs_.windows))
        if (entry.path().filename() == "UNDO.BAT")
            bat = std::string(std::istreambuf_iterator<char>(std::ifstream(entry.path()).rdbuf()),
                              std::istreambuf_iterator<char>());
    size_t find = bat.find("\r\nREM NUL=" + held + "\r\n");
    EXPECT_NE(std::string::npos, find) << bat;
    find = bat.find(" COMMAND\\FIND /V \"" + held + "\" <WININIT.INI >KVUNDO.NEW\r\n", find);
    EXPECT_NE(std::string::npos, find) << bat;
    EXPECT_LT(find, bat.find("copy /Y FILE0002.DAT " + held)) << bat;
}

// The undo folder, the INF clean-up and WININIT.INI all live in the Windows directory: each
// takes one of 79 characters, and none one of 80, so OK never does only part of its work.
TEST_F(DurableOk, EveryStepTakesAWindowsDirectoryOf79CharactersAndNoneOneOf80) {
    const std::string root = dirs_.windows.substr(0, dirs_.windows.rfind('/'));
    const std::string held = dirs_.system + "\\quorvane.vxd";
    for (size_t length : {80u, 79u}) {
        SCOPED_TRACE(length);
        const std::string windows = root + "/" + std::string(length - root.size() - 1, 'w');
        std::filesystem::create_directories(windows + "/INF");
        std::ofstream(windows + "/INF/oem4.inf") << kMakersInf;
        FilesNativeSetDirectories(windows.c_str(), dirs_.system.c_str());
        FilesNativeSetInUse(held.c_str(), 1);
        OkOutcome outcome = Ok();
        FilesNativeSetInUse(held.c_str(), 0);
        const bool inf = dirs_.Exists(windows + "/INF/oem4.inf"),
                   wininit = dirs_.Exists(windows + "/" + kWininitFile);
        std::filesystem::remove_all(windows);
        if (length == 80) {
            EXPECT_EQ(kOkUndoNotWritten, outcome.result);
            char reason[kUndoFailureSize];  // a DOS line too long: no Windows error to give
            EXPECT_EQ(kUndoOtherFailure, DescribeUndoFailure(outcome, reason, sizeof reason));
            EXPECT_EQ(
                "The undo folder " + std::string(outcome.undoFolder) + " could not be written",
                reason);
            EXPECT_EQ(before_, ExportTestRegistry());
            EXPECT_TRUE(inf);
            EXPECT_FALSE(wininit);
        } else {
            ASSERT_EQ(kOkDone, outcome.result);
            EXPECT_EQ(kOkAsPlanned, outcome.deviation);
            EXPECT_EQ(0, std::string(outcome.undoFolder).find(windows)) << outcome.undoFolder;
            EXPECT_FALSE(inf);
            EXPECT_TRUE(wininit);
        }
    }
}

}  // namespace
