// tests/cmdline/command_ok_test.cpp: /preview and /ok over the test machine: the preview lists
// what /ok then does, /ok leaves the registry the dialog's OK leaves, and a commit cut short is
// never reported as done.
#include <stdio.h>
#include <string.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "commit/ok_changes.h"
#include "platform/files.h"
#include "platform/host/memory_registry.h"
#include "rename/rename_rule.h"
#include "tests/cmdline/run_capture.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

const char kMakersInf[] = "[Manufacturer]\n%Prov%=Marrowlink\n";

class CommandOk : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
        ASSERT_TRUE(LoadFixtureFile("machine.reg"));
        RestoreFiles();
    }
    void TearDown() override { std::filesystem::remove_all(dirs_.windows + "/KORVALIN"); }

    int Run(const std::string& line) {
        CommandLine parsed;
        ParseCommandLine(line.c_str(), &parsed);
        EXPECT_FALSE(parsed.bad) << parsed.errorText;
        return RunParsed(parsed);
    }
    int RunParsed(const CommandLine& parsed) { return RunCapturing(parsed, &output_); }
    void RestoreFiles() {
        dirs_.Write(dirs_.inf, "oem1.inf", kMakersInf);
        dirs_.Write(dirs_.system, "quorvane.vxd", "driver");
    }
    // The text after `prefix` on the output's line that begins with it.
    std::string LineAfter(const std::string& prefix) const {
        size_t at = output_.find(prefix);
        if (at == std::string::npos)
            return "(no line " + prefix + ")";
        at += prefix.size();
        return output_.substr(at, output_.find('\n', at) - at);
    }

    ScratchDirectories dirs_;
    std::string output_;
};

TEST_F(CommandOk, PreviewListsWhatOkThenChangesAndOkMatchesTheDialog) {
    const struct {
        const char* changes;
        void (*dialog)();  // the same choices made as the dialog makes them
        int code;
        const char* summary;
    } cases[] = {
        {"/rename COM21=COM5",
         [] { RenamePorts(&g_inventory.boards[5].childGroups[1].ports[0], "COM5", 1); },
         kExitRestartNeeded, "15 values changed (2 rewritten unchanged), 1 key deleted, 0 files deleted; restart needed"},
        {"/remove ALL",
         [] {
             for (int b = 2; b < 6; ++b)
                 g_inventory.boards[b].removed = 1;
         },
         kExitRestartNeeded, "0 values changed, 60 keys deleted, 2 files deleted; restart needed"},
        {"/rename COM1=MODEM /single",
         [] { RenamePorts(&g_inventory.boards[0].ports[0], "MODEM", 0); }, kExitRestartNeeded,
         "1 value changed, 1 key deleted, 0 files deleted; restart needed"},
        {"", [] {}, kExitDone, "0 values changed, 1 key deleted, 0 files deleted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.changes);
        const std::string before = MemoryRegistrySave();

        ASSERT_EQ(kExitDone, Run(std::string(c.changes) + " /preview - /log -")) << output_;
        const std::string preview = output_;
        EXPECT_EQ(before, MemoryRegistrySave()) << "the preview changed the registry";

        EXPECT_EQ(c.code, Run(std::string(c.changes) + " /ok /log -"));
        const std::string afterOk = MemoryRegistrySave();
        EXPECT_EQ(c.summary, LineAfter("Done: "));
        // Every change the preview listed was made: /ok says so in the same counts.
        output_ = preview;
        EXPECT_EQ(c.summary, LineAfter("Preview: "));

        // The dialog's OK, over the same machine with the same choices.
        ASSERT_TRUE(LoadFixtureText(before));
        ResetInventory();
        ASSERT_TRUE(BuildPortInventory());
        c.dialog();
        OkOutcome outcome;
        CarryOutOkChanges(g_inventory, &outcome);
        EXPECT_EQ(afterOk, MemoryRegistrySave());

        ASSERT_TRUE(LoadFixtureText(before));
        RestoreFiles();
    }
}

// OK rewrites every port name of a board it changes; the preview and the count tell the names
// that keep their text from those that change.
TEST_F(CommandOk, RewritesThatKeepTheirTextAreToldApart) {
    ASSERT_EQ(kExitDone, Run("/rename COM21=COM5 /preview - /log -"));
    EXPECT_EQ("COM11 -> COM11 (unchanged)",
              LineAfter("write PORTNAME in HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX3C63001\\"
                        "9F8E7D6C: "));
    EXPECT_EQ("COM21 -> COM13", LineAfter("write PORTNAME in HKEY_LOCAL_MACHINE\\Enum\\MF\\"
                                          "CHILD0001\\ISAPNP&QVX3C63002&9F8E7D6C: "));
    // A name given the same letters in another case is a change. Only automatic enumeration
    // can make it: a single rename counts the port's own name as in use, in any case.
    ASSERT_EQ(kExitDone, Run("/rename COM2=com2 /preview - /log -"));
    EXPECT_EQ("COM2 -> com2", LineAfter("write PORTNAME in HKEY_LOCAL_MACHINE\\Enum\\BIOS\\"
                                        "*PNP0501\\0E: "));
    EXPECT_EQ("1 value changed, 1 key deleted, 0 files deleted; restart needed",
              LineAfter("Preview: "));
}

// A PORTNAME stored as another type, or with bytes after its end, reads as the same name, so no
// rename is pending; but OK writes a plain string over it, and the preview, which reads the old
// value's type and bytes, says so rather than "(unchanged)".
TEST_F(CommandOk, NameThatReadsTheSameButIsStoredOtherwiseIsRewritten) {
    std::string reg = ReadFixtureText("machine.reg");
    for (const auto& value : {std::make_pair("\"COM11\"", "hex(2):43,4f,4d,31,31,00"),
                              std::make_pair("\"COM12\"", "hex(1):43,4f,4d,31,32,00,78,00")}) {
        size_t at = reg.find(std::string("\"PORTNAME\"=") + value.first);
        ASSERT_NE(std::string::npos, at);
        reg.replace(at + 11, strlen(value.first), value.second);
    }
    ASSERT_TRUE(LoadFixtureText(reg));
    ASSERT_TRUE(BuildPortInventory());
    std::vector<PortRecord*> ports = PresentPorts(g_inventory.boards[5]);
    for (int i : {0, 1}) {
        EXPECT_STREQ(i == 0 ? "COM11" : "COM12", ports.at(i)->foundName);
        EXPECT_EQ(0, IsRenamePending(*ports.at(i)));
    }

    ASSERT_EQ(kExitDone, Run("/rename COM21=COM5 /preview - /log -"));
    EXPECT_EQ("COM11 -> COM11",
              LineAfter("write PORTNAME in HKEY_LOCAL_MACHINE\\Enum\\ISAPNP\\QVX3C63001\\"
                        "9F8E7D6C: "));
    EXPECT_EQ("COM12 -> COM12", LineAfter("write PORTNAME in HKEY_LOCAL_MACHINE\\Enum\\MF\\"
                                          "CHILD0000\\ISAPNP&QVX3C63002&9F8E7D6C: "));
}

// Where a port lives is recorded once, by the walk: the key /list shows for each port is the key
// /preview writes its new name into once every port is renamed.
TEST_F(CommandOk, ListedKeyPathsAreTheKeysThePreviewWrites) {
    ASSERT_EQ(kExitDone, Run("/list -"));
    std::set<std::string> listed;
    std::string renames = "/rename";
    int boards = 0;
    bool boardRowBefore = false;
    std::istringstream lines(output_);
    for (std::string line; std::getline(lines, line);) {
        size_t tab = line.find('\t');
        size_t arrow = line.find(" -> ");
        if (tab == std::string::npos) {
            boardRowBefore = true;
            continue;
        }
        listed.insert(line.substr(tab + 1));
        // A board's first port renamed: OK then writes every port name of the board.
        if (boardRowBefore)
            renames += " " + line.substr(arrow + 4, tab - arrow - 4) + "=B" +
                       std::to_string(boards++) + "X";
        boardRowBefore = false;
    }
    ASSERT_EQ(26u, listed.size()) << output_;

    ASSERT_EQ(kExitDone, Run(renames + " /single /preview -")) << renames;
    std::set<std::string> written;
    const std::string write = "write PORTNAME in HKEY_LOCAL_MACHINE\\";
    std::istringstream preview(output_);
    for (std::string line; std::getline(preview, line);)
        if (line.rfind(write, 0) == 0)
            written.insert(line.substr(write.size(), line.find(": ") - write.size()));
    EXPECT_EQ(listed, written);
}

// With /restart the log's last line says whether Windows took the request to restart.
TEST_F(CommandOk, RestartIsToldInTheLastLine) {
    const std::string before = MemoryRegistrySave();
    const struct {
        int (*restart)();
        int code;
        const char* ending;
    } cases[] = {
        {[] { return 1; }, kExitDone, "Result: done, Windows was asked to restart\n"},
        {[] { return 0; }, kExitRestartNeeded,
         "Windows did not take the request to restart; restart it to finish\n"
         "Result: restart needed, changes done\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dirs_.windows + "/KORVALIN");
        ASSERT_TRUE(LoadFixtureText(before));
        CommandLine parsed;
        ParseCommandLine("/remove 7D8E9F /ok /restart /log -", &parsed);
        EXPECT_EQ(c.code, RunCapturing(parsed, &output_, nullptr, c.restart));
        const size_t folder = output_.find("\\UNDO0001\n");
        ASSERT_NE(std::string::npos, folder) << output_;
        EXPECT_EQ(c.ending, output_.substr(folder + 10));
    }
}

// A driver file another program holds is listed, and counted, as deleted at the restart, which
// /ok then asks for even when the registry alone would not need it.
TEST_F(CommandOk, FileInUseIsPreviewedAndCountedAsDeletedAtRestart) {
    g_inventory = {};
    ASSERT_TRUE(LoadFixtureText("REGEDIT4\n"));  // no board of the maker's: its files go
    const std::string held = dirs_.system + "\\quorvane.vxd";
    HeldFile holder(held);
    ASSERT_EQ(kExitDone, Run("/preview - /log -")) << output_;
    EXPECT_EQ(held, LineAfter("delete file at restart (in use): "));
    EXPECT_EQ("0 values changed, 0 keys deleted, 1 file deleted, 1 file deleted at restart; "
              "restart needed",
              LineAfter("Preview: "));
    EXPECT_EQ(kExitRestartNeeded, Run("/ok /log -"));
    EXPECT_EQ("0 values changed, 0 keys deleted, 1 file deleted, 1 file deleted at restart; "
              "restart needed",
              LineAfter("Done: "));
    EXPECT_TRUE(dirs_.Exists(dirs_.system + "/quorvane.vxd"));
    std::filesystem::remove(dirs_.windows + "/WININIT.INI");
}

// A registry that refuses a write or a deletion part-way: /ok either made every change (0,
// 4) or says it did not (3) and names the first it could not make and the undo folder.
TEST_F(CommandOk, CommitCutShortIsNeverReportedDone) {
    const std::string before = MemoryRegistrySave();
    CommandLine parsed;
    ParseCommandLine("/remove ALL /ok /log -", &parsed);
    ASSERT_EQ(kExitRestartNeeded, RunParsed(parsed));
    // The real run's registry operations come last: fail each of them in turn.
    const long operations = MemoryRegistryOperationCount();
    int cutShort = 0;
    for (long nth = operations > 250 ? operations - 250 : 1; nth <= operations; ++nth) {
        SCOPED_TRACE(nth);
        std::filesystem::remove_all(dirs_.windows + "/KORVALIN");
        ASSERT_TRUE(LoadFixtureText(before));
        RestoreFiles();
        MemoryRegistryFailOperation(nth, 5 /* access denied */);
        int code = RunParsed(parsed);
        MemoryRegistryFailOperation(0, 0);
        if (code == kExitNotCompleted &&
            output_.find("the first not made: ") != std::string::npos) {
            ++cutShort;
            EXPECT_NE(std::string::npos, output_.find("Undo folder: ")) << output_;
        } else if (code != kExitNotCompleted) {
            EXPECT_EQ(kExitRestartNeeded, code) << output_;
            EXPECT_EQ("0 values changed, 60 keys deleted, 2 files deleted; restart needed",
                      LineAfter("Done: "));
        }
    }
    EXPECT_GT(cutShort, 0) << "no fault landed in the real run";
}

}  // namespace
