// tests/cmdline/command_setup_test.cpp: /save and /apply over the test machine's registry, run as
// the program runs them: what the log says, the exit code, and the registry after.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "platform/host/memory_registry.h"
#include "tests/cmdline/run_capture.h"
#include "tests/commit/commit_test_support.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

class CommandSetup : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetInventory();
        ASSERT_TRUE(LoadFixtureFile("machine.reg"));
        close(mkstemp(path_));
    }
    void TearDown() override {
        unlink(path_);
        std::filesystem::remove_all(dirs_.windows + "/KORVALIN");
    }

    int Run(const std::string& line) {
        CommandLine parsed;
        ParseCommandLine(line.c_str(), &parsed);
        EXPECT_FALSE(parsed.bad) << parsed.errorText;
        return RunCapturing(parsed, &log_);
    }
    // A value that begins with / is quoted, or it would be an option.
    std::string Quoted() const { return std::string("\"") + path_ + "\""; }
    void WriteSetup(const std::string& text) {
        FILE* file = fopen(path_, "wb");
        fputs(text.c_str(), file);
        fclose(file);
    }
    // Every port's name in list order, read from the registry again.
    static std::string Names() {
        ResetInventory();
        EXPECT_TRUE(BuildPortInventory());
        std::string names;
        for (int b = 0; b < g_inventory.boardCount; ++b)
            for (const PortRecord* port : PresentPorts(g_inventory.boards[b]))
                names += std::string(" ") + port->portName;
        return names;
    }

    ScratchDirectories dirs_;  // OK's Windows directory, for its undo folder
    char path_[32] = "/tmp/korvalin-setup-XXXXXX";
    std::string log_;
};

const char kMachineNames[] =
    " COM1 COM2 COM16 COM5 COM6 COM7 COM8 COM9 COM10 COM11 COM12 COM21 COM22 COM23 COM24 COM25"
    " COM26 COM27 COM28 COM29 COM30 COM31 COM32 COM33 COM34 COM35";

TEST_F(CommandSetup, SavedSetupAppliedToItsOwnMachineChangesNoName) {
    EXPECT_EQ(kExitDone, Run("/save " + Quoted() + " /log -"));
    EXPECT_EQ("Saved " + std::string(path_) + "\nResult: done\n", log_);
    const std::string before = MemoryRegistrySave();

    EXPECT_EQ(kExitDone, Run("/apply " + Quoted() + " /preview - /log -"));
    EXPECT_NE(std::string::npos, log_.find("Setup: 0 names changed\n")) << log_;
    EXPECT_EQ(std::string::npos, log_.find("write PORTNAME")) << log_;
    EXPECT_EQ(before, MemoryRegistrySave());
}

// Other ID#s match by order within their type, a swap applies, and a board the file does not
// name keeps its names.
TEST_F(CommandSetup, BoardsUnderOtherIdsTakeTheSavedNamesEvenSwapped) {
    WriteSetup(
        "KORVALIN-SETUP=1\r\n; hand-made\r\nBOARD=Tessaline 4/8 Port, ID# 112233\r\nPORT=1 COM8\r\n"
        "PORT=2 COM7\r\nBOARD=Standard COM Port, ID# 0D\r\nPORT=1 COM1\r\n");
    EXPECT_EQ(kExitRestartNeeded, Run("/apply " + Quoted() + " /ok /log -"));
    EXPECT_NE(std::string::npos, log_.find("(by order)")) << log_;
    EXPECT_NE(std::string::npos, log_.find("Setup: 2 names changed\n")) << log_;
    std::string swapped = kMachineNames;
    swapped.replace(swapped.find(" COM7 COM8 "), 11, " COM8 COM7 ");
    EXPECT_EQ(swapped, Names());
}

TEST_F(CommandSetup, RefusedOrBadSetupsChangeNothingAndSayWhichLine) {
    const std::string board = "KORVALIN-SETUP=1\nBOARD=Tessaline 4/8 Port, ID# 706F5E\n";
    const struct {
        std::string text;
        const char* options;
        int code;
        const char* said;
    } cases[] = {
        // One case per way the run ends; each kind of refusal is the apply's and the reader's
        // own tests' ground.
        {board + "PORT=1 COM1\n", "/ok", kExitRefused, "line 3: "},
        {board + "BOARD=Tessaline 16 Port, ID# 7D8E9F\nBOARD=Tessaline 16 Port, ID# 010203\n",
         "/ok", kExitRefused, "line 4: "},
        {board + "BOARD=Tessaline 16 Port, ID# 010203\nBOARD=Tessaline 16 Port, ID# 7D8E9F\n"
                 "PORT=1 COM40\n",
         "/partial /preview -", kExitDone, "skipped"},
        {"[Ports]\nCOM1=COM3\n", "/ok", kExitBadCommandLine, ": line 1: "},
    };
    const std::string before = MemoryRegistrySave();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteSetup(c.text);
        EXPECT_EQ(c.code, Run("/apply " + Quoted() + " " + c.options + " /log -"));
        EXPECT_NE(std::string::npos, log_.find(c.said)) << log_;
        EXPECT_EQ(before, MemoryRegistrySave());
    }
    EXPECT_EQ(kExitBadCommandLine, Run("/apply \"/no/such/setup.txt\" /ok /log -"));
    EXPECT_EQ("Cannot read /no/such/setup.txt\nResult: bad command line\n", log_);
}

}  // namespace
