// portcheck/port_check.h: testing one serial port: is it there and free, does data come back
// through a loopback plug, are the signal lines wired as the plug wires them; and Identify,
// which marks the port's connector for someone at the far end.
//
// No window calls: the dialog and the command line both run these, and only turn the lines
// into list rows or log lines. The port is always put back as it was found, on every path,
// and nothing here touches the registry.
#ifndef KORVALIN_PORTCHECK_PORT_CHECK_H
#define KORVALIN_PORTCHECK_PORT_CHECK_H

// The loopback plug on the port, which decides what the test sends and which input lines it
// judges. Its names (kPlugNames) and its rule (kPlugRules) sit side by side in
// signal_check.cpp.
enum PlugKind {
    kPlugNone = 0,  // nothing is fitted: the port is opened, read and put back, nothing is sent
    kPlugData,      // TX to RX only: data is judged, the inputs are reported, never judged
    kPlugFull,      // 9- or 25-pin: CTS follows RTS, DSR and DCD follow DTR, RI either or none
    kPlugRj45,      // RJ-45 8-pin: CTS follows RTS, DSR follows DTR, DCD and RI either or none
    kPlugRj45Rts,   // RJ-45, RTS-CTS only: CTS follows RTS, the rest either or none
    kPlugRj45Ten,   // RJ-45 10-pin: as the 9- or 25-pin plug
    kPlugKinds,
};

// What the dialog's plug list and /plug call each plug, by PlugKind (signal_check.cpp).
struct PlugName {
    const char* dialogText;   // "9- or 25-pin loopback plug"
    const char* commandWord;  // "full"
};
extern const PlugName kPlugNames[kPlugKinds];

// How a whole test ended. When several ports are tested the worst wins, in this order.
enum PortTestResult {
    kPortTestPassed = 0,      // every check the plug asks for was made and passed
    kPortTestNotFullyTested,  // nothing failed, but a check the plug asks for could not be made
    kPortTestFailed,          // a check failed, or the port could not be put back
    kPortTestBusy,            // another program holds the port: nothing was sent
    kPortTestAbsent,          // no such port, or it could not be opened
    kPortTestStopped,         // stopped on request before the end; the port was put back
};

enum {
    kPortTestLineSize = 128,  // one result line, without the port's name
    kPortTestBytes = 512,     // the data check's pattern: every byte value, then PRBS-9
    kPortTestMaxSpeeds = 8,   // speeds one test may be given
    kPortTestMaxRuns = 9999,  // the most runs /repeat takes
    kLineErrorKinds = 5,      // CommLineErrorBits, by bit
};

// What to test and how often.
struct PortTestOptions {
    int plug;  // a PlugKind
    // The data check's speeds, in order; speedCount 0: 9,600 baud and the fastest the port
    // takes, up to 115,200.
    unsigned long speeds[kPortTestMaxSpeeds];
    int speedCount;
    // Runs of the data and signal checks: 1 to kPortTestMaxRuns; 0 runs until stopped.
    unsigned runs;
};

// Running counts over every run, kept as they change.
struct PortTestCounts {
    unsigned long runs;  // runs finished
    unsigned long bytesSent, bytesReceived, bytesDiffered;
    unsigned long lineErrors[kLineErrorKinds];  // by CommLineErrorBits bit
    unsigned long signalChanges;                // input changes seen while the outputs held still
    unsigned long failedRun;                    // the first run that failed, 0 while none has
};

// Takes one result line, such as "open: free" or "data 9600: pass (512 bytes)"; the front end
// puts the port's name before it.
typedef void (*PortTestLineWriter)(void* context, const char* line);

struct PortTestControl {
    PortTestLineWriter writeLine;
    void* context;
    // Non-null: nonzero asks a running test, Identify or the watch to stop; another thread may
    // set it. Each answers within half a second, and puts the port back.
    volatile long* stop;
    // Non-null: the test keeps the counts here as they change, for a front end to show while
    // it runs (another thread may read them).
    PortTestCounts* counts;
};

// The input and output lines while the watch runs: the front end sets `outputs`, the watch
// reads the inputs at least ten times a second.
struct PortLines {
    volatile long outputs;  // 1 << kOutputDtr and 1 << kOutputRts: wanted on
    volatile long inputs;   // CommInputBits as last read
    volatile long read;     // 1 once the inputs were read; 0 when they could not be, and
                            // once the watch has ended
};

// --- port_check.cpp
// Runs the checks (open, settings, then for each run the data check at each speed and the
// signal check, put back), a line for each; later runs give only the lines that are not a
// pass, each after "run N: ". A test that sent data ends with the two count lines, and with
// the first failed run when one of several failed. Returns a PortTestResult; stopped only
// when nothing failed before Stop. With kPlugNone nothing is sent and neither DTR nor RTS is
// driven.
int RunPortTest(const char* portName, const PortTestOptions& options,
                const PortTestControl& control);

// The counts as the last lines of a repeated test give them, and as the dialog shows them while
// it runs: two lines, runs and bytes, then line errors and signal changes.
void FormatCountLines(const PortTestCounts& counts, char first[kPortTestLineSize],
                      char second[kPortTestLineSize]);

// --- watch_lines.cpp
// Opens the port (busy and absent read as in the test), turns every handshake off, then until
// stopped sets DTR and RTS as lines->outputs says and reads the inputs into lines->inputs;
// puts the port back. Lines for the open, for a line that could not be set or read (once),
// and for putting back. Returns a PortTestResult (kPortTestStopped when stopped).
int RunWatchLines(const char* portName, PortLines* lines, const PortTestControl& control);

// --- identify.cpp
// Until *control.stop is set: once a second writes "This is NAME" and CR LF at the port's own
// settings and pulses DTR and RTS; then puts the port back. Lines for the open, one saying what
// it sends once it runs, and one for putting back. Returns a PortTestResult (kPortTestStopped when
// stopped).
int RunIdentify(const char* portName, const PortTestControl& control);

// --- check_pattern.cpp
// The data check's bytes: 0 to 255, then the PRBS-9 sequence (x^9 + x^5 + 1) from all ones,
// eight bits to a byte, first bit in the lowest.
void MakeTestPattern(unsigned char* pattern, int size);

#endif
