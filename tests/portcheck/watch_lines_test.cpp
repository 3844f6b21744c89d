// tests/portcheck/watch_lines_test.cpp: the watch over scripted ports: the inputs follow the
// outputs the front end sets, a refusal is said once, and Stop puts the port back at once.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/portcheck/scripted_port.h"

namespace {

// Waits up to a second for the watch to read `inputs`.
bool WaitForInputs(const PortLines& lines, long inputs) {
    for (int i = 0; i < 100; ++i) {
        if (lines.read && lines.inputs == inputs)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(WatchLines, InputsFollowTheOutputsSetAndStopPutsThePortBack) {
    struct Case {
        const char* name;
        int openResult, outputsFail, inputsFail;
        std::vector<std::string> lines;
        int result;
    };
    const Case cases[] = {
        {"a full plug", kCommOpened, 0, 0, {"open: free", "put back: done"}, kPortTestStopped},
        {"lines refused",
         kCommOpened,
         1,
         0,
         {"open: free", "watch: DTR could not be set, error 5", "put back: done"},
         kPortTestStopped},
        {"no modem status",
         kCommOpened,
         0,
         1,
         {"open: free", "watch: the inputs could not be read, error 5", "put back: done"},
         kPortTestStopped},
        {"busy",
         kCommBusy,
         0,
         0,
         {"open: busy, another program holds it (if an MS-DOS program used it, close its window)"},
         kPortTestBusy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();  // RTS/CTS handshaking on, which the watch turns off
        script.openResult = c.openResult;
        script.outputsFail = c.outputsFail;
        script.inputsFail = c.inputsFail;
        CommScriptUse(kScriptedPortName, &script);
        PortLines ports = {1 << kOutputDtr, 0, 0};
        volatile long stop = 0;
        Lines lines;
        PortTestControl control = {Lines::Write, &lines, &stop, nullptr};
        int result = -1;
        std::thread watch([&] { result = RunWatchLines(kScriptedPortName, &ports, control); });
        if (c.openResult == kCommOpened && !c.outputsFail && !c.inputsFail) {
            EXPECT_TRUE(WaitForInputs(ports, kInputDsr | kInputDcd | kInputRing));
            ports.outputs = 1 << kOutputRts;
            EXPECT_TRUE(WaitForInputs(ports, kInputCts));
            ports.outputs = 0;
            EXPECT_TRUE(WaitForInputs(ports, 0));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            EXPECT_EQ(ports.read, c.openResult == kCommOpened && !c.inputsFail);
        }
        auto start = std::chrono::steady_clock::now();
        stop = 1;
        watch.join();
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  0.5);
        CommScriptUse(kScriptedPortName, nullptr);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(lines.lines, c.lines);
        EXPECT_EQ(ports.read, 0);
        // Both lines at the start, then each change of the outputs: set when they change, not
        // at every reading.
        EXPECT_LE(script.outputSets, 6);
        if (c.openResult == kCommOpened)
            ExpectPutBack(script);
    }
}

}  // namespace
