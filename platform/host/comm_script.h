// platform/host/comm_script.h: a scripted serial port for native tests.
//
// A pseudo-terminal has no modem lines, and no host device can be told to stick CTS on or to
// wire RI nowhere: a script stands in for the device behind one port name and behaves as the
// test says, recording what was done to it.
#ifndef KORVALIN_PLATFORM_HOST_COMM_SCRIPT_H
#define KORVALIN_PLATFORM_HOST_COMM_SCRIPT_H

#include <stddef.h>

#include "platform/comm_port.h"

// What drives an input line: a truth table over the outputs, bit (DTR + 2 * RTS) on when the
// input is on with those outputs. Any other four bits make a line no plug wires.
enum CommWire {
    kWireNothing = 0x0,  // never on
    kWireDtr = 0xA,      // on while DTR is on
    kWireRts = 0xC,      // on while RTS is on
    kWireStuckOn = 0xF,  // always on
    kWireBoth = 0x8,     // on only while both are on
    kWireEither = 0xE,   // on while either is on
};

enum { kCommScriptEchoSize = 2048 };

struct CommScript {
    // --- set by the test
    int openResult;              // a CommOpenResult
    unsigned long openError;     // the error code an open that fails gives
    int settingsFail;            // CommReadSettings fails
    CommSettings settings;       // the port's settings as found
    int echoData;                // 1: bytes written come back (a plug wired for data)
    int cts, dsr, ring, dcd;     // CommWire: what drives each input
    int inputsFail;              // CommReadInputs fails
    int outputsFail;             // CommSetOutput fails
    int failAfter;               // > 0: every operation after this many fails (the port went away)
    int openPlain;               // opens only by its plain name, as Windows 95 may
    unsigned lineErrors;         // CommLineErrorBits the next data read brings
    unsigned long fastestBaud;   // the fastest speed the port says it takes (0: it does not say)
    unsigned long refusedBaud;   // a speed CommPrepare refuses although the port says it takes it
    unsigned long overrunAbove;  // > 0: above this speed every data read brings an overrun
    unsigned long dropEvery;     // > 0: of the bytes written, every dropEvery-th is lost
    unsigned long byteEveryMs;   // > 0: bytes come back one per this many ms (a slow peer)
    int flickerEvery;            // > 0: every flickerEvery-th read of the inputs, DCD reads wrong
    // --- kept by the port
    unsigned outputs;      // 1 << kOutputDtr and 1 << kOutputRts while on; both on at open
    CommSettings current;  // the settings now
    int operations;        // operations since the open
    int opened, restored, closed;
    int prepares, outputSets, inputReads;  // calls of each since the open
    unsigned long written;                 // bytes written since the open
    unsigned char echo[kCommScriptEchoSize];
    size_t echoLength;
};

// Opens of `name` (compared without regard to case) reach `script` until it is taken back with
// a null script. One scripted name at a time.
void CommScriptUse(const char* name, CommScript* script);

// --- comm_script.cpp: the scripted port's side of each operation, for comm_native.cpp, which
// counts every call but the open and the close. Each returns as the comm operation does.
CommScript* CommScriptFor(const char* name);  // the script behind `name`, or null
int CommScriptOpen(CommScript* script, unsigned long* error);
int CommScriptStep(CommScript* script);  // counts one operation: 0, or the error once gone
int CommScriptReadSettings(CommScript* script, CommSettings* settings);
int CommScriptPrepare(CommScript* script, unsigned long baudRate);
int CommScriptWrite(CommScript* script, const void* data, size_t size, size_t* done);
// Waits as a read with `timeoutMs` would for a slow peer.
int CommScriptRead(CommScript* script, void* data, size_t size, size_t* done,
                   unsigned long timeoutMs);
int CommScriptReadFastestSpeed(CommScript* script, unsigned long* baud);
int CommScriptTakeLineErrors(CommScript* script, unsigned* errors);
int CommScriptSetOutput(CommScript* script, int line, int on);
int CommScriptReadInputs(CommScript* script, unsigned* inputs);
int CommScriptRestore(CommScript* script);

#endif
