// tests/portcheck/scripted_port.h: what the port test's native tests share: a scripted port wired
// as a full plug wires it, the test run over it, and its lines collected.
#ifndef KORVALIN_TESTS_PORTCHECK_SCRIPTED_PORT_H
#define KORVALIN_TESTS_PORTCHECK_SCRIPTED_PORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/comm_script.h"
#include "portcheck/port_check.h"

inline constexpr char kScriptedPortName[] = "COM7";

struct Lines {
    std::vector<std::string> lines;
    static void Write(void* context, const char* line) {
        static_cast<Lines*>(context)->lines.push_back(line);
    }
    std::string Find(const char* start) const {
        for (const std::string& line : lines)
            if (line.rfind(start, 0) == 0)
                return line;
        return "(no line " + std::string(start) + ")";
    }
    // The lines that begin with any of `starts`, joined by "; ".
    std::string Join(std::vector<std::string> starts) const {
        std::string joined;
        for (const std::string& line : lines)
            for (const std::string& start : starts)
                if (line.rfind(start, 0) == 0)
                    joined += (joined.empty() ? "" : "; ") + line;
        return joined;
    }
};

// A port that answers, with a plug wired for data and the modem lines as a full plug wires them
// (RI on DTR), its own settings 9600 7E1 with RTS/CTS handshaking.
inline CommScript WiredPort() {
    CommScript script = {};
    script.openResult = kCommOpened;
    script.settings = {9600, 7, kParityEven, kStopBitsOne, kFlowRtsCts};
    script.echoData = 1;
    script.cts = kWireRts;
    script.dsr = script.dcd = script.ring = kWireDtr;
    return script;
}

inline PortTestOptions OptionsFor(int plug, unsigned runs = 1) {
    PortTestOptions options = {};
    options.plug = plug;
    options.runs = runs;
    return options;
}

inline int RunScripted(CommScript* script, const PortTestOptions& options, Lines* lines,
                       volatile long* stop = nullptr, PortTestCounts* counts = nullptr) {
    CommScriptUse(kScriptedPortName, script);
    PortTestControl control = {Lines::Write, lines, stop, counts};
    int result = RunPortTest(kScriptedPortName, options, control);
    CommScriptUse(kScriptedPortName, nullptr);
    return result;
}

inline int RunScripted(CommScript* script, int plug, Lines* lines, volatile long* stop = nullptr) {
    return RunScripted(script, OptionsFor(plug), lines, stop);
}

inline void ExpectPutBack(const CommScript& script) {
    EXPECT_EQ(script.restored, 1);
    EXPECT_EQ(script.closed, 1);
    EXPECT_EQ(script.outputs, (1u << kOutputDtr) | (1u << kOutputRts));
    EXPECT_EQ(script.current.baudRate, script.settings.baudRate);
    EXPECT_EQ(script.current.dataBits, script.settings.dataBits);
    EXPECT_EQ(script.current.parity, script.settings.parity);
    EXPECT_EQ(script.current.flow, script.settings.flow);
}

#endif
