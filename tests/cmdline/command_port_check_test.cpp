// tests/cmdline/command_port_check_test.cpp: /test and /plug: what the line may say, and the log
// of a run over scripted ports, with the exit code a batch file sees.
#include <string>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "platform/host/comm_script.h"
#include "platform/host/memory_registry.h"
#include "portcheck/port_check.h"
#include "tests/cmdline/run_capture.h"
#include "tests/support/fixture_registry.h"

namespace {

TEST(CommandPortTestLine, TestAndPlugGoodAndBad) {
    const struct {
        const char* line;
        const char* error;
        int plug;
        int ports;
    } cases[] = {
        {"/test COM5 /log -", "", kPlugNone, 1},
        {"/TEST com5 COM7 /plug RJ45", "", kPlugRj45, 2},
        {"/test ALL /plug full /log x.log", "", kPlugFull, 1},
        {"/test COM5 /plug Data", "", kPlugData, 1},
        {"/test COM5 /plug rj45-rts", "", kPlugRj45Rts, 1},
        {"/test COM5 /plug rj45-10", "", kPlugRj45Ten, 1},
        {"/test", "/test needs a value", kPlugNone, 0},
        {"/test COM5 /plug", "/plug needs a value", kPlugNone, 1},
        {"/test COM5 /plug db9", "/plug takes none, data, full, rj45, rj45-rts or rj45-10: db9",
         kPlugNone, 1},
        {"/test COM5 /plug full /plug none", "/plug is given twice", kPlugFull, 1},
        {"/plug full /log -", "/plug needs /test", kPlugFull, 0},
        {"/test ABCDEFGHIJKLMNOPQRST", "Too long: ABCDEFGHIJKLMNOPQRST", kPlugNone, 0},
        // A test changes nothing, and nothing is changed with it.
        {"/test COM5 /ok", "/test goes with /plug, /speed, /repeat and /log only", kPlugNone, 1},
        {"/rename COM5=COM40 /test COM5", "/test goes with /plug, /speed, /repeat and /log only",
         kPlugNone, 1},
        {"/test COM5 /remove ALL /log -", "/test goes with /plug, /speed, /repeat and /log only",
         kPlugNone, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CommandLine parsed;
        ParseCommandLine(c.line, &parsed);
        EXPECT_EQ(std::string(c.error), parsed.errorText);
        if (c.error[0] == 0)
            EXPECT_EQ(kRunUnattended, CommandRunOf(parsed));
        EXPECT_EQ(c.plug, parsed.plug);
        EXPECT_EQ(c.ports, parsed.testCount);
    }
}

#define BAD_VALUE "Not a /speed or /repeat value: "

// Speeds in the order given, the slowest and fastest a UART takes included; a list that is not
// whole numbers in range between single commas is bad as a whole.
TEST(CommandPortTestLine, SpeedAndRepeatGoodAndBad) {
    const struct {
        const char* line;
        const char* error;
        const char* speeds;  // as kept, "" for none
        unsigned runs;
    } cases[] = {
        {"/test COM5 /speed 115200,50,9600,50", "", "115200,50,9600,50", 0},
        {"/test A /speed 1200,2400,4800,9600,19200,38400,57600,115200 /repeat 9999", "",
         "1200,2400,4800,9600,19200,38400,57600,115200", 9999},
        {"/test COM5 /repeat 1", "", "", 1},
        {"/test A /speed 49", BAD_VALUE "49", "", 0},
        {"/test A /speed 115201", BAD_VALUE "115201", "", 0},
        {"/test A /speed 9600,,19200", BAD_VALUE "9600,,19200", "", 0},
        {"/test A /speed 9600baud", BAD_VALUE "9600baud", "", 0},
        {"/test A /repeat 1,2", BAD_VALUE "1,2", "", 0},
        {"/test A /speed 99999999999999999999", BAD_VALUE "99999999999999999999", "", 0},
        {"/test A /speed 50,75,110,150,300,600,1200,2400,4800",
         BAD_VALUE "50,75,110,150,300,600,1200,2400,4800", "", 0},
        {"/test A /speed 9600 /speed 19200", "/speed is given twice", "9600", 0},
        {"/speed 9600 /log -", "/speed needs /test", "9600", 0},
        {"/test A /repeat 0", BAD_VALUE "0", "", 0},
        {"/test A /repeat 10000", BAD_VALUE "10000", "", 0},
        {"/test A /repeat 3 /repeat 3", "/repeat is given twice", "", 3},
        {"/repeat 3 /log -", "/repeat needs /test", "", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CommandLine parsed;
        ParseCommandLine(c.line, &parsed);
        EXPECT_EQ(std::string(c.error), parsed.errorText);
        std::string speeds;
        for (int i = 0; i < parsed.testOptions.speedCount; ++i)
            speeds += (i ? "," : "") + std::to_string(parsed.testOptions.speeds[i]);
        EXPECT_EQ(c.speeds, speeds);
        EXPECT_EQ(c.runs, parsed.testOptions.runs);
    }
}

// The box names a port's first check that did not pass by its line, whatever words the check
// chose, as long as a failure says "fail" or a data line does not say "pass".
TEST(CommandPortTestLine, CheckNotPassedNamesTheCheckOfALineThatDidNotPass) {
    const struct {
        const char* line;
        const char* check;  // "" for a line that passed
    } cases[] = {
        {"open: free", ""},
        {"data 9600: pass (512 bytes)", ""},
        {"data 57600: skipped, the port takes at most 38400 baud", ""},
        {"data: not tested: no plug", ""},
        {"CTS: follows RTS: pass", ""},
        {"RI: could not be read", ""},
        {"data 115200: byte 3 differs", "data 115200"},
        {"run 7: data 115200: 500 of 512 bytes came back; line errors: overrun", "data 115200"},
        {"DSR: not wired: fail, must follow DTR", "DSR"},
        {"CTS: could not be read: not fully tested", "CTS"},
        {"put back: failed, error 5", "put back"},
        {"a check line with no name that failed", "a check line with no na"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        char name[24] = "unchanged";
        EXPECT_EQ(c.check[0] != 0, CheckNotPassed(c.line, name, sizeof name));
        EXPECT_EQ(c.check[0] != 0 ? c.check : "unchanged", std::string(name));
    }
}

class CommandPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadFixtureFile("machine.reg"));
        port_.openResult = kCommOpened;
        port_.settings = {9600, 8, kParityNone, kStopBitsOne, 0};
        port_.echoData = 1;
        CommScriptUse("COM5", &port_);
    }
    void TearDown() override { CommScriptUse("COM5", nullptr); }

    int Run(const char* line, std::string* message = nullptr) {
        CommandLine parsed;
        ParseCommandLine(line, &parsed);
        return RunCapturing(parsed, &output_, message);
    }

    CommScript port_ = {};
    std::string output_;
};

TEST_F(CommandPortTest, EachCheckIsALogLineAndTheExitCodeIsTheWorstResult) {
    std::string registry = MemoryRegistrySave();
    EXPECT_EQ(kExitDone, Run("/test COM5 /log -"));
    EXPECT_EQ(
        "COM5 open: free\n"
        "COM5 settings: 9600 baud, 8N1, no flow control\n"
        "COM5 data: not tested: no plug\n"
        "COM5 signals: not tested: no plug\n"
        "COM5 put back: done\n"
        "Result: done\n",
        output_);

    // A repeated test's count lines reach the log, after the port is put back.
    EXPECT_EQ(kExitDone, Run("/test COM5 /plug data /repeat 3 /speed 9600 /log -"));
    EXPECT_NE(output_.find("COM5 put back: done\n"
                           "COM5 counts: 3 runs, 1536 bytes sent, 1536 back, 0 differed\n"
                           "COM5 counts: line errors none, 0 signal changes\n"
                           "Result: done\n"),
              std::string::npos)
        << output_;

    port_.cts = kWireStuckOn;
    EXPECT_EQ(kExitCheckFailed, Run("/test COM5 /plug rj45 /log -"));
    EXPECT_NE(output_.find("COM5 CTS: stuck on: fail\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("\nResult: a check failed\n"), std::string::npos) << output_;

    port_.openResult = kCommBusy;
    EXPECT_EQ(kExitPortBusy, Run("/test COM5 /log -"));
    EXPECT_EQ(0u, output_.find("COM5 open: busy, another program holds it")) << output_;
    EXPECT_NE(output_.find("\nResult: a port is busy\n"), std::string::npos) << output_;

    // COM1 has no device on this host: absent, worse than the busy COM5 beside it.
    EXPECT_EQ(kExitPortAbsent, Run("/test COM5 COM1 /log -"));
    EXPECT_NE(output_.find("COM1 open: not present\n"), std::string::npos) << output_;
    EXPECT_NE(output_.find("\nResult: a port is not present\n"), std::string::npos) << output_;
    EXPECT_EQ(registry, MemoryRegistrySave());
}

TEST_F(CommandPortTest, AnUnknownPortIsRefusedBeforeAnyPortIsOpened) {
    EXPECT_EQ(kExitRefused, Run("/test COM5 COM99 /log -"));
    EXPECT_EQ("No port is named [COM99]\nResult: refused\n", output_);
    EXPECT_EQ(0, port_.opened);
}

TEST_F(CommandPortTest, AllTestsEveryPortInTheListsOrderAndWithoutALogShowsTheLines) {
    EXPECT_EQ(kExitPortAbsent, Run("/test ALL /log -"));
    const char* order[] = {"COM1 open", "COM2 open", "COM16 open",
                           "COM5 open", "COM6 open", "COM35 open"};
    size_t at = 0;
    for (const char* line : order) {
        SCOPED_TRACE(line);
        size_t found = output_.find(line, at);
        ASSERT_NE(std::string::npos, found);
        at = found;
    }
    std::string message;
    EXPECT_EQ(kExitDone, Run("/test COM5", &message));
    EXPECT_EQ("COM5: passed\nResult: done\n/log FILE writes every check's line.", message);
}

}  // namespace

// Without a log the box gives a line per port, the first check that did not pass named, then the
// result of the worst port by the results' order (not fully tested is better than failed, though
// its exit code is higher), and where the full lines are to be had.
TEST_F(CommandPortTest, WithoutALogTheBoxGivesALinePerPortAndTheWorstResult) {
    const struct {
        const char* line;
        int echoData, inputsFail, openResult;
        int code;
        const char* box;
    } cases[] = {
        {"/test COM5 /plug data", 1, 0, kCommOpened, kExitDone, "COM5: passed\nResult: done"},
        {"/test COM5 /plug data", 0, 0, kCommOpened, kExitCheckFailed,
         "COM5: a check failed: data 9600\nResult: a check failed"},
        {"/test COM5 /plug data /speed 1200", 0, 0, kCommOpened, kExitCheckFailed,
         "COM5: a check failed: data 1200\nResult: a check failed"},
        {"/test COM5 /plug full", 1, 1, kCommOpened, kExitNotFullyTested,
         "COM5: not fully tested: CTS\nResult: not fully tested"},
        {"/test COM5 COM1 /plug full", 1, 1, kCommOpened, kExitPortAbsent,
         "COM5: not fully tested: CTS\nCOM1: not present\nResult: a port is not present"},
        {"/test COM1 COM5", 1, 0, kCommBusy, kExitPortAbsent,
         "COM1: not present\nCOM5: busy\nResult: a port is not present"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        port_.echoData = c.echoData;
        port_.inputsFail = c.inputsFail;
        port_.openResult = c.openResult;
        std::string message;
        EXPECT_EQ(c.code, Run(c.line, &message));
        EXPECT_EQ(std::string(c.box) + "\n/log FILE writes every check's line.", message);
    }
}

// ALL on the test machine is more ports than a 640x480 box holds.
TEST_F(CommandPortTest, ABoxOfMorePortsThanItHoldsSaysHowManyMore) {
    std::string message;
    EXPECT_EQ(kExitPortAbsent, Run("/test ALL", &message));
    EXPECT_EQ(0u, message.find("COM1: not present\nCOM2: not present\n")) << message;
    EXPECT_NE(std::string::npos, message.find("\nCOM5: passed\n")) << message;
    EXPECT_NE(std::string::npos, message.find("\nand 2 more ports\nResult: a port is not present\n"
                                              "/log FILE writes every check's line."))
        << message;
}
