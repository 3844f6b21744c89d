// tests/portcheck/data_repeat_test.cpp: the data check's speeds over scripted ports, the repeated
// test and its counts, and that every check ends on time and Stop ends a run.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/portcheck/scripted_port.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(DataCheck, SpeedsFollowWhatThePortTakes) {
    const std::string kHint =
        "data: overruns: a 16450 UART or FIFO off (Advanced); try a lower speed";
    struct Case {
        const char* name;
        unsigned long fastest, refused, overrunAbove;
        std::vector<unsigned long> speeds;  // empty: the defaults
        std::string lines;
        int result;
    };
    const Case cases[] = {
        {"a 16550",
         115200,
         0,
         0,
         {},
         "data 9600: pass (512 bytes); data 115200: pass (512 bytes)",
         kPortTestPassed},
        {"a port that does not say",
         0,
         0,
         0,
         {},
         "data 9600: pass (512 bytes); data 115200: pass (512 bytes)",
         kPortTestPassed},
        {"at most 38400",
         38400,
         0,
         0,
         {},
         "data 9600: pass (512 bytes); data 38400: pass (512 bytes)",
         kPortTestPassed},
        {"at most 9600", 9600, 0, 0, {}, "data 9600: pass (512 bytes)", kPortTestPassed},
        {"at most 4800",
         4800,
         0,
         0,
         {},
         "data 9600: skipped, the port takes at most 4800 baud; data 4800: pass (512 bytes)",
         kPortTestPassed},
        {"asked for, one too fast",
         38400,
         0,
         0,
         {19200, 57600},
         "data 19200: pass (512 bytes); data 57600: skipped, the port takes at most 38400 baud",
         kPortTestPassed},
        // No speed left to check: the data was never checked.
        {"asked for, all too fast",
         38400,
         0,
         0,
         {57600},
         "data 57600: skipped, the port takes at most 38400 baud",
         kPortTestNotFullyTested},
        {"refused although listed",
         115200,
         115200,
         0,
         {},
         "data 9600: pass (512 bytes); data 115200: the port cannot be set to 115200 baud",
         kPortTestFailed},
        {"a 16450 at speed",
         115200,
         0,
         9600,
         {},
         "data 9600: pass (512 bytes); data 115200: 512 of 512 bytes came back; line errors: "
         "overrun; " +
             kHint,
         kPortTestFailed},
        // Overruns at 9,600 too are no FIFO matter: no hint.
        {"overruns everywhere",
         115200,
         0,
         2400,
         {},
         "data 9600: 512 of 512 bytes came back; line errors: overrun; data 115200: 512 of 512 "
         "bytes came back; line errors: overrun",
         kPortTestFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommScript script = WiredPort();
        script.fastestBaud = c.fastest;
        script.refusedBaud = c.refused;
        script.overrunAbove = c.overrunAbove;
        PortTestOptions options = OptionsFor(kPlugData);
        for (unsigned long speed : c.speeds)
            options.speeds[options.speedCount++] = speed;
        Lines lines;
        EXPECT_EQ(RunScripted(&script, options, &lines), c.result);
        EXPECT_EQ(lines.Join({"data"}), c.lines);
        ExpectPutBack(script);
    }
}

TEST(DataCheck, CountLinesGiveEveryKindApart) {
    struct Case {
        PortTestCounts counts;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {{1, 1024, 1024, 0, {}, 0, 0},
         "counts: 1 run, 1024 bytes sent, 1024 back, 0 differed",
         "counts: line errors none, 0 signal changes"},
        {{3, 3072, 3070, 5, {1, 2, 0, 0, 0}, 4, 2},
         "counts: 3 runs, 3072 bytes sent, 3070 back, 5 differed",
         "counts: line errors 1 framing, 2 overrun, 4 signal changes"},
        {{50, 51200, 51200, 0, {0, 1, 0, 1, 4}, 0, 0},
         "counts: 50 runs, 51200 bytes sent, 51200 back, 0 differed",
         "counts: line errors 1 overrun, 1 break, 4 input buffer full, 0 signal changes"},
    };
    for (const Case& c : cases) {
        char first[kPortTestLineSize], second[kPortTestLineSize];
        FormatCountLines(c.counts, first, second);
        EXPECT_STREQ(first, c.first);
        EXPECT_STREQ(second, c.second);
    }
}

// A byte lost once in three runs: the first run says everything, the later ones only what
// failed, and the counts and the first failed run close the test.
TEST(RepeatedTest, OneByteLostInThreeRunsFailsAndIsCounted) {
    CommScript script = WiredPort();
    script.dropEvery = 3 * 1024;  // two speeds of 512 bytes a run: the last byte of runs 3, 6, 9
    PortTestCounts counts = {};
    Lines lines;
    EXPECT_EQ(RunScripted(&script, OptionsFor(kPlugFull, 10), &lines, nullptr, &counts),
              kPortTestFailed);
    const std::vector<std::string> expected = {
        "open: free",
        "settings: 9600 baud, 7E1, RTS/CTS flow control",
        "data 9600: pass (512 bytes)",
        "data 115200: pass (512 bytes)",
        "CTS: follows RTS: pass",
        "DSR: follows DTR: pass",
        "DCD: follows DTR: pass",
        "RI: follows DTR",
        "run 3: data 115200: 511 of 512 bytes came back",
        "run 6: data 115200: 511 of 512 bytes came back",
        "run 9: data 115200: 511 of 512 bytes came back",
        "put back: done",
        "counts: 10 runs, 10240 bytes sent, 10237 back, 0 differed",
        "counts: line errors none, 0 signal changes",
        "failed: run 3 of 10 was the first to fail",
    };
    EXPECT_EQ(lines.lines, expected);
    EXPECT_EQ(counts.runs, 10u);
    EXPECT_EQ(counts.bytesReceived, 10237u);
    EXPECT_EQ(counts.failedRun, 3u);
    ExpectPutBack(script);
}

TEST(RepeatedTest, LineErrorsAndInputChangesAreCountedAsTheyCome) {
    CommScript script = WiredPort();
    script.lineErrors = kLineErrorFraming | kLineErrorInputFull;  // the first data read only
    script.flickerEvery = 5;                                      // a loose DCD wire
    PortTestCounts counts = {};
    Lines lines;
    EXPECT_EQ(RunScripted(&script, OptionsFor(kPlugData, 3), &lines, nullptr, &counts),
              kPortTestFailed);
    EXPECT_EQ(counts.runs, 3u);
    EXPECT_EQ(counts.lineErrors[0], 1u);
    EXPECT_EQ(counts.lineErrors[4], 1u);
    EXPECT_GT(counts.signalChanges, 0u);
    EXPECT_EQ(counts.failedRun, 1u);
    EXPECT_EQ(lines.Find("counts: line errors"),
              "counts: line errors 1 framing, 1 input buffer full, " +
                  std::to_string(counts.signalChanges) + " signal changes");
}

// A peer that sends a byte every 100 ms: the check ends at its own deadline, not at every
// call's, and Stop ends a run that never would within half a second.
TEST(RepeatedTest, ASlowPeerEndsOnTimeAndStopEndsARun) {
    CommScript script = WiredPort();
    script.byteEveryMs = 100;
    PortTestOptions options = OptionsFor(kPlugData);
    options.speeds[options.speedCount++] = 9600;
    Lines lines;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunScripted(&script, options, &lines), kPortTestFailed);
    double seconds = SecondsSince(start);
    // 512 bytes at 9,600 baud take 0.53 s; half a second more, in 0.2 s slices.
    EXPECT_GT(seconds, 1.0);
    EXPECT_LT(seconds, 2.0);
    EXPECT_EQ(lines.Find("data 9600"), "data 9600: 12 of 512 bytes came back");

    struct Case {
        const char* name;
        unsigned long byteEveryMs;
        int stopAfterMs;
    };
    const Case cases[] = {
        {"in a slow data check", 100, 700},
        {"in the signal check", 0, 900},
        {"at once", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        script = WiredPort();
        script.byteEveryMs = c.byteEveryMs;
        volatile long stop = c.stopAfterMs == 0;
        lines = Lines();
        int result = -1;
        std::thread run(
            [&] { result = RunScripted(&script, OptionsFor(kPlugFull, 0), &lines, &stop); });
        std::this_thread::sleep_for(std::chrono::milliseconds(c.stopAfterMs));
        start = std::chrono::steady_clock::now();
        stop = 1;
        run.join();
        EXPECT_LT(SecondsSince(start), 0.5);
        EXPECT_EQ(result, kPortTestStopped);
        EXPECT_EQ(lines.Find("stopped"), "stopped");
        EXPECT_EQ(lines.Find("put back"), "put back: done");
        ExpectPutBack(script);
    }
}

}  // namespace
