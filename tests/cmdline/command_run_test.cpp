// tests/cmdline/command_run_test.cpp: /list, /rename and /remove over the test machine's registry,
// run as the program runs them, standard output standing in a temporary file.
#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "platform/host/memory_registry.h"
#include "tests/cmdline/run_capture.h"
#include "tests/support/fixture_registry.h"
#include "tests/support/inventory_walk.h"
#include "tests/support/test_inventory.h"

namespace {

class CommandRun : public ::testing::Test {
  protected:
    void SetUp() override { ResetInventory(); }

    // Runs the line unattended over the registry as it stands; returns the exit code and
    // keeps what went to standard output.
    int Run(const std::string& line) {
        CommandLine parsed;
        ParseCommandLine(line.c_str(), &parsed);
        return RunCapturing(parsed, &output_);
    }
    // Makes the line's changes in the test machine's inventory as the dialog would start with them.
    int Change(const std::string& line) {
        CommandLine parsed;
        ParseCommandLine(line.c_str(), &parsed);
        EXPECT_FALSE(parsed.bad) << parsed.errorText;
        ResetInventory();
        EXPECT_TRUE(BuildPortInventory());
        message_[0] = 0;
        return ApplyCommandChanges(parsed, g_inventory, message_, sizeof message_);
    }
    // Every port's name on a board not removed, in list order, and which boards are marked.
    static std::string Names() {
        std::string names;
        for (int b = 0; b < g_inventory.boardCount; ++b) {
            BoardRecord& board = g_inventory.boards[b];
            names += board.removed ? "-" : board.modified ? "*" : "";
            names += "[";
            for (const PortRecord* port : PresentPorts(board))
                names += std::string(" ") + port->portName;
            names += " ]";
        }
        return names;
    }

    std::string output_;
    char message_[kCommandMessageSize];
};

const char kMachineNames[] =
    "[ COM1 ][ COM2 ][ COM16 ][ COM5 COM6 ][ COM7 COM8 COM9 COM10 ][ COM11 COM12 COM21 COM22 "
    "COM23 COM24 COM25 COM26 COM27 COM28 COM29 COM30 COM31 COM32 COM33 COM34 COM35 ]";

TEST_F(CommandRun, ListWritesTheRowsWithKeyPathsAndASummary) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    EXPECT_EQ(kExitDone, Run("/list -"));
    EXPECT_EQ(ReadFixtureText("machine.list.txt"), output_);

    EXPECT_EQ(kExitDone, Run("/list - /log -"));
    EXPECT_EQ(ReadFixtureText("machine.list.txt") + "Listed 6 boards, 26 ports\nResult: done\n", output_);
}

TEST_F(CommandRun, BadLinesAndUnwritableFilesChangeNothingAndSaySo) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    std::string before = MemoryRegistrySave();
    const struct {
        const char* line;
        int code;
        const char* log;
    } cases[] = {
        {"/bogus /ok /log -", kExitBadCommandLine,
         "Unknown option: /bogus\nResult: bad command line\n"},
        // A name that begins with / is quoted, or it would be an option.
        {"/list \"/no/such/dir/x.txt\" /log -", kExitBadCommandLine,
         "Cannot write to /no/such/dir/x.txt\nResult: bad command line\n"},
        {"/rename COM7=COM1 /single /ok /log -", kExitRefused,
         "COM Port=[COM1] is already being used!\nResult: refused\n"},
        {"/remove 0D /ok /log -", kExitRefused,
         "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports\n"
         "Result: refused\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.code, Run(c.line));
        EXPECT_EQ(c.log, output_);
        EXPECT_EQ(before, MemoryRegistrySave());
    }
    // A long name is said whole, not cut where a short message would end.
    const std::string longPath = "/no/such/dir/" + std::string(200, 'x') + ".txt";
    EXPECT_EQ(kExitBadCommandLine, Run("/list \"" + longPath + "\" /log -"));
    EXPECT_EQ("Cannot write to " + longPath + "\nResult: bad command line\n", output_);
}

// Without a log (or with one that cannot be written) every bad, refused or unfinished run still
// tells the user why, in the message the entry shows in a box; a run that got done shows none.
TEST_F(CommandRun, EveryFailureWithoutALogReachesTheUser) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    std::string before = MemoryRegistrySave();
    const struct {
        const char* line;
        int code;
        const char* message;
    } cases[] = {
        {"/list", kExitBadCommandLine, "/list needs a value"},
        {"/rename COM21=COM40 /preview", kExitBadCommandLine, "/preview needs a value"},
        {"/bogus /ok", kExitBadCommandLine, "Unknown option: /bogus"},
        {"/restart /preview -", kExitBadCommandLine, "/restart needs /ok"},
        {"/rename COM7= /ok", kExitBadCommandLine, "/rename needs NAME=NEW, a port name of 1 to "
                                                   "19 characters on each side and no blanks in "
                                                   "NEW: COM7="},
        {"/rename COM7=ABCDEFGHIJKLMNOPQRST /ok", kExitBadCommandLine,
         "/rename needs NAME=NEW, a port name of 1 to 19 characters on each side and no blanks in "
         "NEW: COM7=ABCDEFGHIJKLMNOPQRST"},
        {"/rename COM7=COM1 COM7=COM3 /ok", kExitBadCommandLine, "Port COM7 is named twice"},
        {"/remove 7D8E9F 7d8e9f /ok", kExitBadCommandLine, "Board 7d8e9f is named twice"},
        {"/list \"/no/such/dir/x.txt\"", kExitBadCommandLine,
         "Cannot write to /no/such/dir/x.txt"},
        {"/ok @/no/such/args.txt", kExitBadCommandLine, "Cannot read @/no/such/args.txt"},
        {"/rename COM21==COM40 /ok", kExitBadCommandLine,
         "/rename COM21==COM40: a port name cannot hold the character ="},
        {"/rename COM99=COM40 /ok", kExitRefused, "No port is named [COM99]"},
        {"/remove 123456 /preview -", kExitRefused,
         "No board has the ID# or instance name [123456]"},
        {"/rename COM7=COM1 /single /ok", kExitRefused, "COM Port=[COM1] is already being used!"},
        {"/rename COM7=ABCDEFGHIJKLMNOPQRS /ok", kExitRefused, nullptr},  // 20 with its "1"
        {"/remove 0D /ok", kExitRefused,
         "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports"},
        // The log that cannot be written is named; /ok then makes no change at all.
        {"/ok /log \"/no/such/dir/k.log\"", kExitBadCommandLine,
         "Cannot write to the log /no/such/dir/k.log\n"
         "Nothing was changed: /ok makes no change without its log"},
        {"/list - /log - /log \"/no/such/x.log\"", kExitBadCommandLine, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::string message;
        CommandLine parsed;
        ParseCommandLine(c.line, &parsed);
        EXPECT_EQ(c.code, RunCapturing(parsed, &output_, &message));
        if (c.message != nullptr)
            EXPECT_EQ(c.message, message);
        EXPECT_NE("", message + output_) << "nobody is told";
        EXPECT_EQ(before, MemoryRegistrySave());
    }

    // /list still lists when only its log fails; the box names the log and says how it went.
    std::string message;
    CommandLine parsed;
    ParseCommandLine("/list - /log \"/no/such/dir/x.log\"", &parsed);
    EXPECT_EQ(kExitBadCommandLine, RunCapturing(parsed, &output_, &message));
    EXPECT_EQ(ReadFixtureText("machine.list.txt"), output_);
    EXPECT_EQ("Cannot write to the log /no/such/dir/x.log\nListed 6 boards, 26 ports", message);

    // A log given twice: the first one named takes the message.
    EXPECT_EQ(kExitBadCommandLine, Run("/list - /log - /log \"/no/such/x.log\""));
    EXPECT_EQ("/log is given twice\nResult: bad command line\n", output_);
    // A run that got done shows nothing.
    ParseCommandLine("/rename COM7=COM20 /preview -", &parsed);
    EXPECT_EQ(kExitDone, RunCapturing(parsed, &output_, &message));
    EXPECT_EQ("", message);
    // A line COMMAND.COM may have cut, on Windows 95.
    ParseCommandLine(("/list - " + std::string(kDosCutArguments, ' ')).c_str(), &parsed, 1);
    EXPECT_EQ(kExitBadCommandLine, RunCapturing(parsed, &output_, &message));
    EXPECT_EQ("The line may be cut at DOS's 127 characters: give the arguments as @FILE", message);
    // A name two ports hold.
    ASSERT_TRUE(LoadFixtureText(
        "REGEDIT4\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\0D]\n\"PORTNAME\"=\"COM1\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0D]\n\"PORTNAME\"=\"COM1\"\n\n"));
    ParseCommandLine("/rename COM1=COM3 /ok", &parsed);
    EXPECT_EQ(kExitRefused, RunCapturing(parsed, &output_, &message));
    EXPECT_EQ("More than one port is named [COM1]", message);
}

TEST_F(CommandRun, RenamesAsApplyDoesOrAreRefusedWithTheInventoryUntouched) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    const struct {
        const char* line;
        int code;
        const char* message;
        const char* names;  // null: as the test machine has them
    } cases[] = {
        // Automatic enumeration passes over COM21 and up, the Tessaline 16's names.
        {"/rename COM7=COM20", kExitDone, "",
         "[ COM1 ][ COM2 ][ COM16 ][ COM5 COM6 ]*[ COM20 COM36 COM37 COM38 ][ COM11 COM12 COM21 "
         "COM22 COM23 COM24 COM25 COM26 COM27 COM28 COM29 COM30 COM31 COM32 COM33 COM34 COM35 ]"},
        {"/rename COM8=MODEM /single", kExitDone, "",
         "[ COM1 ][ COM2 ][ COM16 ][ COM5 COM6 ]*[ COM7 MODEM1 COM9 COM10 ][ COM11 COM12 COM21 "
         "COM22 COM23 COM24 COM25 COM26 COM27 COM28 COM29 COM30 COM31 COM32 COM33 COM34 COM35 ]"},
        // Each rename works on the names the one before left.
        {"/rename COM1=COM3 /rename COM3=COM4", kExitDone, "",
         "*[ COM4 ][ COM2 ][ COM16 ][ COM5 COM6 ][ COM7 COM8 COM9 COM10 ][ COM11 COM12 COM21 "
         "COM22 COM23 COM24 COM25 COM26 COM27 COM28 COM29 COM30 COM31 COM32 COM33 COM34 COM35 ]"},
        // A removed board's names are free, as in the dialog.
        {"/remove 3C2B1A /rename COM7=COM5 /single", kExitDone, "",
         "[ COM1 ][ COM2 ][ COM16 ]-[ COM5 COM6 ]*[ COM5 COM8 COM9 COM10 ][ COM11 COM12 COM21 "
         "COM22 COM23 COM24 COM25 COM26 COM27 COM28 COM29 COM30 COM31 COM32 COM33 COM34 COM35 ]"},
        {"/rename COM7=COM1 /single", kExitRefused, "COM Port=[COM1] is already being used!",
         nullptr},
        {"/rename com1=COM3", kExitRefused, "No port is named [com1]", nullptr},
        {"/remove 3C2B1A /rename COM5=COM3", kExitRefused, "No port is named [COM5]", nullptr},
        {"/rename COM7=ABCDEFGHIJKLMNOPQRS", kExitRefused,
         "COM Port name [ABCDEFGHIJKLMNOPQRS1] is too long!", nullptr},
        // A refusal takes back the changes before it too.
        {"/rename COM7=COM40 /remove ALL /rename COM99=COM1", kExitRefused,
         "No port is named [COM99]", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.code, Change(c.line));
        EXPECT_STREQ(c.message, message_);
        EXPECT_EQ(c.names != nullptr ? c.names : kMachineNames, Names());
    }
}

// A line changes only the names OK will write: each port keeps the name the machine holds, and
// only a port whose name differs from it, in letter case too, is pending. A refused line puts
// every name and flag back, from what the walks found.
TEST_F(CommandRun, OnlyNamesThatDifferFromTheMachinesArePending) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    const struct {
        const char* line;
        int code;
        const char* pending;  // "found>new" of each pending port, in list order
        const char* flags;    // per board: '-' removed, '*' renamed
    } cases[] = {
        {"/rename COM7=COM20", kExitDone, " COM7>COM20 COM8>COM36 COM9>COM37 COM10>COM38",
         "....*."},
        {"/rename COM2=com2", kExitDone, " COM2>com2", ".*...."},
        // Renamed and named back: OK rewrites the board, but no name is pending.
        {"/rename COM1=COM3 /rename COM3=COM1", kExitDone, "", "*....."},
        {"/remove 3C2B1A", kExitDone, "", "...-.."},
        {"/rename COM7=COM40 /rename COM2=COM41 /remove ALL /rename COM99=COM1", kExitRefused, "",
         "......"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.code, Change(c.line));
        std::string pending, flags, found;
        for (int b = 0; b < g_inventory.boardCount; ++b) {
            const BoardRecord& board = g_inventory.boards[b];
            flags += board.removed ? '-' : board.modified ? '*' : '.';
            found += "[";
            for (const PortRecord* port : PresentPorts(g_inventory.boards[b])) {
                found += std::string(" ") + port->foundName;
                if (IsRenamePending(*port))
                    pending += std::string(" ") + port->foundName + ">" + port->portName;
            }
            found += " ]";
        }
        EXPECT_EQ(c.pending, pending);
        EXPECT_EQ(c.flags, flags);
        EXPECT_EQ(kMachineNames, found);
    }
}

TEST_F(CommandRun, RemovesByIdOrInstanceNameButNeverAStandardComPort) {
    ASSERT_TRUE(LoadFixtureFile("machine.reg"));
    const struct {
        const char* line;
        int code;
        const char* message;
        const char* removed;  // per board: '-' removed
    } cases[] = {
        {"/remove 7D8E9F", kExitDone, "", ".....-"},
        {"/remove 9f8e7d6c", kExitDone, "", ".....-"},
        {"/remove 0000 706f5e", kExitDone, "", "..-.-."},
        {"/remove ALL", kExitDone, "", "..----"},
        {"/remove 0D", kExitRefused,
         "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports",
         "......"},
        {"/remove 7D8E9F 123456", kExitRefused, "No board has the ID# or instance name [123456]",
         "......"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.code, Change(c.line));
        EXPECT_STREQ(c.message, message_);
        std::string removed;
        for (int b = 0; b < g_inventory.boardCount; ++b)
            removed += g_inventory.boards[b].removed ? '-' : '.';
        EXPECT_EQ(c.removed, removed);
    }
}

TEST_F(CommandRun, NamesShownTwiceAreRefusedAsAmbiguous) {
    ASSERT_TRUE(LoadFixtureText(
        "REGEDIT4\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\BIOS\\*PNP0501\\0D]\n\"PORTNAME\"=\"COM1\"\n\n"
        "[HKEY_LOCAL_MACHINE\\Enum\\Root\\*PNP0501\\0D]\n\"PORTNAME\"=\"COM1\"\n\n"));
    EXPECT_EQ(kExitRefused, Change("/rename COM1=COM3"));
    EXPECT_STREQ("More than one port is named [COM1]", message_);
    EXPECT_EQ(kExitRefused, Change("/remove 0D"));
    EXPECT_STREQ("More than one board has the ID# or instance name [0D]", message_);
}

// A PC Card modem holds COM13: /list names it last, and /rename passes over it or refuses it.
TEST_F(CommandRun, NamesOfOtherDevicesAreListedAndInUse) {
    const std::string modem =
        "\n[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\BRIGHTWELL-DF288-4C1A\\1]\n\"PORTNAME\"=\"COM13\"\n";
    ASSERT_TRUE(LoadFixtureText(ReadFixtureText("machine.reg") + modem));
    EXPECT_EQ(kExitDone, Run("/list -"));
    EXPECT_EQ(ReadFixtureText("machine.list.txt") +
                  "Other device: COM13\tEnum\\PCMCIA\\BRIGHTWELL-DF288-4C1A\\1\n",
              output_);
    EXPECT_EQ(kExitRefused, Run("/rename COM12=COM13 /single /ok /log -"));
    EXPECT_EQ("COM Port=[COM13] is already being used!\nResult: refused\n", output_);
    EXPECT_EQ(kExitDone, Change("/rename COM11=COM12"));
    std::vector<PortRecord*> ports = PresentPorts(g_inventory.boards[5]);
    EXPECT_STREQ("COM12", ports[0]->portName);
    EXPECT_STREQ("COM14", ports[1]->portName);
    EXPECT_STREQ("COM15", ports[2]->portName);
}

}  // namespace
