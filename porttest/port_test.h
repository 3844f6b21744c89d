// porttest/port_test.h: testing one serial port: is it there and free, does data come back
// through a loopback plug, are the signal lines wired as the plug wires them; and Identify,
// which marks the port's connector for someone at the far end.
//
// No window calls: the dialog and the command line both run these, and only turn the lines
// into list rows or log lines. The port is always put back as it was found, on every path,
// and nothing here touches the registry.
#ifndef KORVALIN_PORTTEST_PORT_TEST_H
#define KORVALIN_PORTTEST_PORT_TEST_H

// The loopback plug on the port, which decides the signal pairs that can be checked.
enum PlugKind {
    kPlugNone = 0,  // no signal pair is wired
    kPlugFull,      // 9- or 25-pin: RTS to CTS, DTR to DSR and DCD, and RI where it has it
    kPlugRj45,      // RTS to CTS only
    kPlugKinds,
};

// How a whole test ended, worst first wins when several ports are tested.
enum PortTestResult {
    kPortTestPassed = 0,  // every check made passed (a check that could not be made is not one)
    kPortTestFailed,      // a check failed, or the port could not be put back
    kPortTestBusy,        // another program holds the port: nothing was sent
    kPortTestAbsent,      // no such port, or it could not be opened
    kPortTestStopped,     // stopped on request before the end; the port was put back
};

enum {
    kPortTestLineSize = 128,  // one result line, without the port's name
    kPortTestBytes = 512,     // the data check's pattern: every byte value, then PRBS-9
};

// Takes one result line, such as "open: free" or "data 9600: pass (512 bytes)"; the front end
// puts the port's name before it.
typedef void (*PortTestLineWriter)(void* context, const char* line);

struct PortTestControl {
    PortTestLineWriter writeLine;
    void* context;
    // Non-null: nonzero asks a running test or Identify to stop; another thread may set it.
    volatile long* stop;
};

// --- port_test.cpp
// Runs the checks in order (open, settings, data at 9,600 and 115,200 baud, the signal pairs
// for `plug`, put back), a line for each. Returns a PortTestResult. Takes a few seconds at most:
// every read has a timeout.
int RunPortTest(const char* portName, int plug, const PortTestControl& control);

// --- identify.cpp
// Until *control.stop is set: once a second writes "This is NAME" and CR LF at the port's own
// settings and pulses DTR and RTS; then puts the port back. Lines for the open, one saying what
// it sends once it runs, and one for putting back. Returns a PortTestResult (kPortTestStopped when
// stopped).
int RunIdentify(const char* portName, const PortTestControl& control);

// --- test_pattern.cpp
// The data check's bytes: 0 to 255, then the PRBS-9 sequence (x^9 + x^5 + 1) from all ones,
// eight bits to a byte, first bit in the lowest.
void MakeTestPattern(unsigned char* pattern, int size);

#endif
