// tests/portcheck/signal_check_test.cpp: the signal check over scripted ports: every plug against
// the wirings the published loopback plugs have, lines that are stuck, crossed, unwired or
// erratic, inputs that cannot be read, and no plug at all.
#include <gtest/gtest.h>

#include "tests/portcheck/scripted_port.h"

namespace {

const std::vector<std::string> kInputs = {"CTS", "DSR", "DCD", "RI"};

struct Wiring {
    int cts, dsr, dcd, ring;
};

// Runs `plug` over a port wired as `wiring`; its input lines joined, each within 70 characters.
std::string InputLines(int plug, Wiring wiring, int* result, CommScript* script) {
    *script = WiredPort();
    script->cts = wiring.cts, script->dsr = wiring.dsr, script->dcd = wiring.dcd;
    script->ring = wiring.ring;
    Lines lines;
    *result = RunScripted(script, plug, &lines);
    for (const std::string& line : lines.lines)
        EXPECT_LE(line.size(), 70u) << line;
    ExpectPutBack(*script);
    return lines.Join(kInputs);
}

// The published plugs all wire RTS to CTS and DTR to DSR and DCD, and differ on RI; RJ-45 plugs
// may leave DCD, RI or DSR out.
TEST(SignalCheck, EveryPlugJudgesThePublishedWirings) {
    const Wiring kRiOnRts = {kWireRts, kWireDtr, kWireDtr, kWireRts};
    const Wiring kRiOnDtr = {kWireRts, kWireDtr, kWireDtr, kWireDtr};
    const Wiring kNoRi = {kWireRts, kWireDtr, kWireDtr, kWireNothing};
    const Wiring kRj45WithDsr = {kWireRts, kWireDtr, kWireNothing, kWireNothing};
    const Wiring kRtsCtsOnly = {kWireRts, kWireNothing, kWireNothing, kWireNothing};
    const std::string kFullPass =
        "CTS: follows RTS: pass; DSR: follows DTR: pass; DCD: follows DTR: pass; ";
    const std::string kRj45Pass = "CTS: follows RTS: pass; DSR: follows DTR: pass; ";
    const std::string kDsrFails = "CTS: follows RTS: pass; DSR: not wired: fail, must follow DTR; ";
    const std::string kDcdFails = "DCD: not wired: fail, must follow DTR; RI: not wired";
    struct Case {
        const char* name;
        Wiring wiring;
        // By plug: data, full, rj45, rj45-rts, rj45-10.
        std::string lines[5];
        int results[5];
    };
    const int P = kPortTestPassed, F = kPortTestFailed;
    const Case cases[] = {
        {"RI on RTS",
         kRiOnRts,
         {"CTS: follows RTS; DSR: follows DTR; DCD: follows DTR; RI: follows RTS",
          kFullPass + "RI: follows RTS", kRj45Pass + "DCD: follows DTR; RI: follows RTS",
          "CTS: follows RTS: pass; DSR: follows DTR; DCD: follows DTR; RI: follows RTS",
          kFullPass + "RI: follows RTS"},
         {P, P, P, P, P}},
        {"RI on DTR",
         kRiOnDtr,
         {"CTS: follows RTS; DSR: follows DTR; DCD: follows DTR; RI: follows DTR",
          kFullPass + "RI: follows DTR", kRj45Pass + "DCD: follows DTR; RI: follows DTR",
          "CTS: follows RTS: pass; DSR: follows DTR; DCD: follows DTR; RI: follows DTR",
          kFullPass + "RI: follows DTR"},
         {P, P, P, P, P}},
        {"RI not wired",
         kNoRi,
         {"CTS: follows RTS; DSR: follows DTR; DCD: follows DTR; RI: not wired",
          kFullPass + "RI: not wired", kRj45Pass + "DCD: follows DTR; RI: not wired",
          "CTS: follows RTS: pass; DSR: follows DTR; DCD: follows DTR; RI: not wired",
          kFullPass + "RI: not wired"},
         {P, P, P, P, P}},
        {"RJ-45 8-pin with DSR",
         kRj45WithDsr,
         {"CTS: follows RTS; DSR: follows DTR; DCD: not wired; RI: not wired",
          kRj45Pass + kDcdFails, kRj45Pass + "DCD: not wired; RI: not wired",
          "CTS: follows RTS: pass; DSR: follows DTR; DCD: not wired; RI: not wired",
          kRj45Pass + kDcdFails},
         {P, F, P, P, F}},
        {"RJ-45 RTS-CTS only",
         kRtsCtsOnly,
         {"CTS: follows RTS; DSR: not wired; DCD: not wired; RI: not wired", kDsrFails + kDcdFails,
          kDsrFails + "DCD: not wired; RI: not wired",
          "CTS: follows RTS: pass; DSR: not wired; DCD: not wired; RI: not wired",
          kDsrFails + kDcdFails},
         {P, F, F, P, F}},
    };
    const int plugs[] = {kPlugData, kPlugFull, kPlugRj45, kPlugRj45Rts, kPlugRj45Ten};
    for (const Case& c : cases) {
        for (int p = 0; p < 5; ++p) {
            SCOPED_TRACE(std::string(c.name) + " as " + kPlugNames[plugs[p]].commandWord);
            CommScript script;
            int result;
            EXPECT_EQ(InputLines(plugs[p], c.wiring, &result, &script), c.lines[p]);
            EXPECT_EQ(result, c.results[p]);
        }
    }
}

TEST(SignalCheck, StuckCrossedErraticAndUnreadLinesAreNamed) {
    const Wiring kFull = {kWireRts, kWireDtr, kWireDtr, kWireDtr};
    const std::string kErraticReadings = "read off/on/on/off with none/DTR/RTS/both on";
    struct Case {
        const char* name;
        int plug;
        Wiring wiring;
        int inputsFail, outputsFail;
        const char* input;  // the line of interest begins with it
        std::string line;
        int result;
    };
    const Case cases[] = {
        {"CTS stuck on",
         kPlugFull,
         {kWireStuckOn, kWireDtr, kWireDtr, kWireDtr},
         0,
         0,
         "CTS",
         "CTS: stuck on: fail",
         kPortTestFailed},
        {"CTS on DTR",
         kPlugRj45Rts,
         {kWireDtr, kWireDtr, kWireDtr, kWireDtr},
         0,
         0,
         "CTS",
         "CTS: follows DTR: fail, must follow RTS",
         kPortTestFailed},
        {"DCD on RTS",
         kPlugFull,
         {kWireRts, kWireDtr, kWireRts, kWireDtr},
         0,
         0,
         "DCD",
         "DCD: follows RTS: fail, must follow DTR",
         kPortTestFailed},
        {"RI on both",
         kPlugFull,
         {kWireRts, kWireDtr, kWireDtr, kWireBoth},
         0,
         0,
         "RI",
         "RI: follows both: fail",
         kPortTestFailed},
        {"RI on either",
         kPlugRj45,
         {kWireRts, kWireDtr, kWireDtr, kWireEither},
         0,
         0,
         "RI",
         "RI: follows both: fail",
         kPortTestFailed},
        {"DSR stuck on, may hold",
         kPlugRj45Rts,
         {kWireRts, kWireStuckOn, 0, 0},
         0,
         0,
         "DSR",
         "DSR: stuck on: fail",
         kPortTestFailed},
        {"RI erratic",
         kPlugFull,
         {kWireRts, kWireDtr, kWireDtr, 0x6},
         0,
         0,
         "RI",
         "RI: erratic: fail, " + kErraticReadings,
         kPortTestFailed},
        // The data plug reports what it saw and judges nothing.
        {"RI erratic, data plug",
         kPlugData,
         {kWireRts, kWireDtr, kWireDtr, 0x6},
         0,
         0,
         "RI",
         "RI: erratic, " + kErraticReadings,
         kPortTestPassed},
        {"CTS stuck on, data plug",
         kPlugData,
         {kWireStuckOn, 0, 0, 0},
         0,
         0,
         "CTS",
         "CTS: stuck on",
         kPortTestPassed},
        // A check that could not be made never passes where the plug needs it.
        {"status unread", kPlugFull, kFull, 1, 0, "DCD", "DCD: could not be read: not fully tested",
         kPortTestNotFullyTested},
        {"lines refused", kPlugRj45Rts, kFull, 0, 1, "CTS",
         "CTS: could not be read: not fully tested", kPortTestNotFullyTested},
        {"lines refused, RI", kPlugRj45Rts, kFull, 0, 1, "RI", "RI: could not be read",
         kPortTestNotFullyTested},
        {"status unread, data plug", kPlugData, kFull, 1, 0, "CTS", "CTS: could not be read",
         kPortTestPassed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();
        script.cts = c.wiring.cts, script.dsr = c.wiring.dsr, script.dcd = c.wiring.dcd;
        script.ring = c.wiring.ring;
        script.inputsFail = c.inputsFail;
        script.outputsFail = c.outputsFail;
        Lines lines;
        EXPECT_EQ(RunScripted(&script, c.plug, &lines), c.result);
        EXPECT_EQ(lines.Join({std::string(c.input) + ":"}), c.line);
        ExpectPutBack(script);
    }
    // The worst wins: data that failed outweighs inputs that could not be read.
    CommScript script = WiredPort();
    script.echoData = 0;
    script.inputsFail = 1;
    Lines lines;
    EXPECT_EQ(RunScripted(&script, kPlugFull, &lines), kPortTestFailed);
}

TEST(SignalCheck, NoPlugSendsNothingAndDrivesNothing) {
    CommScript script = WiredPort();
    Lines lines;
    EXPECT_EQ(RunScripted(&script, kPlugNone, &lines), kPortTestPassed);
    const std::vector<std::string> expected = {
        "open: free", "settings: 9600 baud, 7E1, RTS/CTS flow control", "data: not tested: no plug",
        "signals: not tested: no plug", "put back: done"};
    EXPECT_EQ(lines.lines, expected);
    EXPECT_EQ(script.written, 0u);
    EXPECT_EQ(script.outputSets, 0);
    EXPECT_EQ(script.prepares, 0);  // the handshakes stay as the port's owner set them
    EXPECT_EQ(script.inputReads, 0);
    ExpectPutBack(script);
}

}  // namespace
