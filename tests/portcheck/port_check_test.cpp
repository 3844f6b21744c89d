// tests/portcheck/port_check_test.cpp: what each check reports over a scripted port, for
// every plug and the wirings a technician meets, and that the port is always put back.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/portcheck/scripted_port.h"

namespace {

const char* const kPortName = kScriptedPortName;
const std::vector<std::string> kInputs = {"CTS", "DSR", "DCD", "RI"};

TEST(PortTestChecks, SignalPairsReadAsThePlugAndItsWiringSay) {
    struct Case {
        const char* name;
        int plug;
        int cts, dsr, dcd, ring;
        int inputsFail;
        const char* inputs;
        int result;
    };
    const Case cases[] = {
        {"full plug", kPlugFull, kWireRts, kWireDtr, kWireDtr, kWireDtr, 0,
         "CTS: follows RTS: pass; DSR: follows DTR: pass; DCD: follows DTR: pass; RI: follows DTR",
         kPortTestPassed},
        {"full plug without RI", kPlugFull, kWireRts, kWireDtr, kWireDtr, kWireNothing, 0,
         "CTS: follows RTS: pass; DSR: follows DTR: pass; DCD: follows DTR: pass; RI: not wired",
         kPortTestPassed},
        // An RJ-45 plug that wires RTS-CTS alone is no 8-pin plug: its DSR never follows DTR.
        {"RTS-CTS plug as an RJ-45 8-pin plug", kPlugRj45, kWireRts, kWireNothing, kWireNothing,
         kWireNothing, 0,
         "CTS: follows RTS: pass; DSR: not wired: fail, must follow DTR; DCD: not wired; RI: not "
         "wired",
         kPortTestFailed},
        // Nothing is driven or read without a plug: no input has a line.
        {"no plug chosen", kPlugNone, kWireNothing, kWireNothing, kWireNothing, kWireNothing, 0, "",
         kPortTestPassed},
        {"CTS stuck on", kPlugFull, kWireStuckOn, kWireDtr, kWireDtr, kWireDtr, 0,
         "CTS: stuck on: fail; DSR: follows DTR: pass; DCD: follows DTR: pass; RI: follows DTR",
         kPortTestFailed},
        {"DCD not wired", kPlugFull, kWireRts, kWireDtr, kWireNothing, kWireDtr, 0,
         "CTS: follows RTS: pass; DSR: follows DTR: pass; DCD: not wired: fail, must follow DTR; "
         "RI: follows DTR",
         kPortTestFailed},
        {"DSR and CTS swapped", kPlugFull, kWireDtr, kWireRts, kWireDtr, kWireDtr, 0,
         "CTS: follows DTR: fail, must follow RTS; DSR: follows RTS: fail, must follow DTR; DCD: "
         "follows DTR: pass; RI: follows DTR",
         kPortTestFailed},
        {"RJ-45 plug in a full plug's place", kPlugFull, kWireRts, kWireNothing, kWireNothing,
         kWireNothing, 0,
         "CTS: follows RTS: pass; DSR: not wired: fail, must follow DTR; DCD: not wired: fail, "
         "must follow DTR; RI: not wired",
         kPortTestFailed},
        // Never a pass for what was not seen: a port without modem status says so.
        {"modem status fails", kPlugFull, kWireRts, kWireDtr, kWireDtr, kWireDtr, 1,
         "CTS: could not be read: not fully tested; DSR: could not be read: not fully tested; "
         "DCD: could not be read: not fully tested; RI: could not be read",
         kPortTestNotFullyTested},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();
        script.cts = c.cts, script.dsr = c.dsr, script.dcd = c.dcd, script.ring = c.ring;
        script.inputsFail = c.inputsFail;
        Lines lines;
        EXPECT_EQ(RunScripted(&script, c.plug, &lines), c.result);
        EXPECT_EQ(lines.Find("settings"), "settings: 9600 baud, 7E1, RTS/CTS flow control");
        EXPECT_EQ(lines.Join(kInputs), c.inputs);
        ExpectPutBack(script);
    }
}

TEST(PortTestChecks, APortThatCannotBeUsedIsNeverWrittenTo) {
    struct Case {
        const char* name;
        int openResult;
        unsigned long openError;
        int settingsFail;
        const char* line;
        int result;
    };
    const Case cases[] = {
        {"held by another program", kCommBusy, 32, 0,
         "open: busy, another program holds it (if an MS-DOS program used it, close its window)",
         kPortTestBusy},
        {"no such device", kCommAbsent, 2, 0, "open: not present", kPortTestAbsent},
        {"opens, but no serial port answers", kCommOpened, 0, 1, "open: not present",
         kPortTestAbsent},
        {"another error", kCommOpenFailed, 1234, 0, "open: failed, error 1234", kPortTestAbsent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();
        script.openResult = c.openResult;
        script.openError = c.openError;
        script.settingsFail = c.settingsFail;
        Lines lines;
        EXPECT_EQ(RunScripted(&script, kPlugFull, &lines), c.result);
        EXPECT_EQ(lines.lines, std::vector<std::string>{c.line});
        EXPECT_EQ(script.echoLength, 0u);
    }
}

TEST(PortTestChecks, APortIsPutBackAfterAFailureMidwayAndWhenStopped) {
    // No plug for data; the modem status fails after the outputs were changed.
    CommScript script = WiredPort();
    script.echoData = 0;
    script.inputsFail = 1;
    Lines lines;
    EXPECT_EQ(RunScripted(&script, kPlugFull, &lines), kPortTestFailed);
    EXPECT_EQ(lines.Find("data 9600"), "data 9600: no data came back");
    EXPECT_EQ(lines.Find("put back"), "put back: done");
    ExpectPutBack(script);

    // The port goes away during the data check: what can be put back is, and it is said.
    script = WiredPort();
    script.failAfter = 6;
    lines = Lines();
    EXPECT_EQ(RunScripted(&script, kPlugFull, &lines), kPortTestFailed);
    EXPECT_EQ(lines.Find("put back").rfind("put back: failed, error ", 0), 0u);
    EXPECT_EQ(script.closed, 1);

    volatile long stop = 1;
    script = WiredPort();
    lines = Lines();
    EXPECT_EQ(RunScripted(&script, kPlugFull, &lines, &stop), kPortTestStopped);
    EXPECT_EQ(lines.Find("stopped"), "stopped");
    ExpectPutBack(script);
}

// The port's own settings have RTS/CTS handshaking on, which would make Windows refuse RTS:
// Identify turns it off while it runs. A line that is refused anyway is said once, and the name
// still goes out.
TEST(PortTestChecks, IdentifyWritesTheNameUntilStoppedAndPutsThePortBack) {
    const std::string kRuns =
        "identify: until Stop, sends \"This is COM7\" once a second and blinks DTR and RTS";
    struct Case {
        const char* name;
        int outputsFail;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"lines driven", 0, {"open: free", kRuns, "put back: done"}},
        {"lines refused",
         1,
         {"open: free", kRuns, "identify: DTR could not be set, error 5", "put back: done"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();
        script.outputsFail = c.outputsFail;
        CommScriptUse(kPortName, &script);
        volatile long stop = 0;
        Lines lines;
        PortTestControl control = {Lines::Write, &lines, &stop, nullptr};
        int result = -1;
        std::thread identify([&] { result = RunIdentify(kPortName, control); });
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        auto stopped = std::chrono::steady_clock::now();
        stop = 1;
        identify.join();
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::milliseconds(500));
        CommScriptUse(kPortName, nullptr);
        EXPECT_EQ(result, kPortTestStopped);
        EXPECT_EQ(lines.lines, c.lines);
        // Once a second: two rounds in 1.3 seconds, at the port's own settings.
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(script.echo), script.echoLength),
                  "This is COM7\r\nThis is COM7\r\n");
        ExpectPutBack(script);
    }
}

// What the driver said about the open and the data is passed on, each kind by its own name.
TEST(PortTestChecks, OpenAndDataLinesSayWhatTheDriverReported) {
    struct Case {
        const char* name;
        int openPlain;
        unsigned lineErrors;
        const char* open;
        const char* data;
    };
    const Case cases[] = {
        {"opened as \\\\.\\COM7", 0, 0, "open: free", "data 9600: pass (512 bytes)"},
        {"opened by the plain name", 1, 0, "open: free, as COM7 (\\\\.\\COM7 found nothing)",
         "data 9600: pass (512 bytes)"},
        {"the UART lost bytes", 0, kLineErrorOverrun, "open: free",
         "data 9600: 512 of 512 bytes came back; line errors: overrun"},
        {"the input buffer was full", 0, kLineErrorInputFull, "open: free",
         "data 9600: 512 of 512 bytes came back; line errors: input buffer full"},
        {"both, and framing", 0, kLineErrorInputFull | kLineErrorOverrun | kLineErrorFraming,
         "open: free",
         "data 9600: 512 of 512 bytes came back; line errors: framing overrun input buffer full"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();
        script.openPlain = c.openPlain;
        script.lineErrors = c.lineErrors;
        Lines lines;
        EXPECT_EQ(RunScripted(&script, kPlugFull, &lines),
                  c.lineErrors ? kPortTestFailed : kPortTestPassed);
        EXPECT_EQ(lines.lines.front(), c.open);
        EXPECT_EQ(lines.Find("data 9600"), c.data);
        EXPECT_EQ(lines.Find("data 115200"), "data 115200: pass (512 bytes)");
    }
}

TEST(PortTestChecks, ThePatternIsEveryByteThenPrbs9) {
    unsigned char pattern[kPortTestBytes];
    MakeTestPattern(pattern, kPortTestBytes);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(pattern[i], i);
    // PRBS-9 repeats after 511 bits, and no sooner.
    unsigned char longer[256 + 130];
    MakeTestPattern(longer, sizeof longer);
    auto bit = [&](int n) { return (longer[256 + n / 8] >> (n % 8)) & 1; };
    for (int n = 0; n < 511; ++n)
        ASSERT_EQ(bit(n), bit(n + 511)) << n;
    for (int period = 1; period < 511; ++period) {
        int same = 1;
        for (int n = 0; n < 511 && same; ++n)
            same = bit(n) == bit(n + period);
        EXPECT_FALSE(same) << period;
    }
    int ones = 0;
    for (int n = 0; n < 511; ++n)
        ones += bit(n);
    EXPECT_EQ(ones, 256);  // a maximal-length sequence of 511 bits has 256 ones
}

}  // namespace
