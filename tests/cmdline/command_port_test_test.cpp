// tests/cmdline/command_port_test_test.cpp: /test and /plug: what the line may say, and the log
// of a run over scripted ports, with the exit code a batch file sees.
#include <string>

#include <gtest/gtest.h>

#include "cmdline/command_line.h"
#include "platform/host/comm_script.h"
#include "platform/host/memory_registry.h"
#include "porttest/port_test.h"
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
        {"/test", "/test needs a value", kPlugNone, 0},
        {"/test COM5 /plug", "/plug needs a value", kPlugNone, 1},
        {"/test COM5 /plug db9", "/plug takes none, full or rj45: db9", kPlugNone, 1},
        {"/test COM5 /plug full /plug none", "/plug is given twice", kPlugFull, 1},
        {"/plug full /log -", "/plug needs /test", kPlugFull, 0},
        {"/test ABCDEFGHIJKLMNOPQRST", "Too long: ABCDEFGHIJKLMNOPQRST", kPlugNone, 0},
        // A test changes nothing, and nothing is changed with it.
        {"/test COM5 /ok", "/test goes with /plug and /log only", kPlugNone, 1},
        {"/rename COM5=COM40 /test COM5", "/test goes with /plug and /log only", kPlugNone, 1},
        {"/test COM5 /remove ALL /log -", "/test goes with /plug and /log only", kPlugNone, 1},
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
        "COM5 data 9600: pass (512 bytes)\n"
        "COM5 data 115200: pass (512 bytes)\n"
        "COM5 RTS-CTS: not wired by this plug\n"
        "COM5 DTR-DSR: not wired by this plug\n"
        "COM5 DTR-DCD: not wired by this plug\n"
        "COM5 DTR-RI: not wired by this plug\n"
        "COM5 put back: done\n"
        "Result: done\n",
        output_);

    port_.cts = kWireStuckOn;
    EXPECT_EQ(kExitCheckFailed, Run("/test COM5 /plug rj45 /log -"));
    EXPECT_NE(output_.find("COM5 RTS-CTS: stuck on\n"), std::string::npos) << output_;
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
    EXPECT_EQ(0u, message.find("COM5 open: free\nCOM5 settings:")) << message;
}

}  // namespace
